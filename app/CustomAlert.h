#pragma once
// Alert sheets that answer synchronously: the asking code gets the button
// pressed as a return value, from the main thread (a nested event loop runs
// until the answer is there) and from worker threads (which wait for the
// main thread). Texts are shown as they are, never read as markup.
#include <QMessageBox>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWaitCondition>

#include <atomic>
#include <cstdint>

class QWidget;

class CustomAlert : public QObject {
    Q_OBJECT
public:
    // The answer while a sheet waits for it; no button ends a sheet with it.
    static constexpr std::int64_t kAnswerPending = 2147483647;
    // The answers: the default, alternate and other buttons.
    static constexpr std::int64_t kDefaultAnswer = 1;
    static constexpr std::int64_t kAlternateAnswer = 0;
    static constexpr std::int64_t kOtherAnswer = -1;

    enum Style : std::uint64_t { Warning = 0, Informational = 1, Critical = 2 };

    CustomAlert();
    // A null button title means no such button; a null title or message shows
    // as empty text.
    CustomAlert(const QString& title, const QString& message, const QString& defaultButton,
                const QString& alterButton, const QString& otherButton);
    ~CustomAlert() override;

    // Shows the alert as a sheet on window (the active window when none) and
    // returns when it has ended. Main thread only.
    void showModalSheet();
    // The same with the accessory view under the texts; nothing when there is
    // no message.
    void showModalSheetUsingAlert();
    // Runs the alert application-modal.
    void showModalAlert();
    // The sheets' end: stores the answer and wakes a thread in wait().
    void monitorAlertDidEnd(std::int64_t returnCode);
    // Blocks a thread other than the main one until the sheet has ended;
    // returns at once when it already has.
    void wait();

    QString message() const { return m_message; }
    void setMessage(const QString& message) { m_message = message; }
    QString defaultButton() const { return m_defaultButton; }
    void setDefaultButton(const QString& title) { m_defaultButton = title; }
    QString otherButton() const { return m_otherButton; }
    void setOtherButton(const QString& title) { m_otherButton = title; }
    QString alterButton() const { return m_alterButton; }
    void setAlterButton(const QString& title) { m_alterButton = title; }
    QString title() const { return m_title; }
    void setTitle(const QString& title) { m_title = title; }
    std::uint64_t alertStyle() const { return m_alertStyle; }
    void setAlertStyle(std::uint64_t style) { m_alertStyle = style; }
    QWidget* window() const { return m_window; }
    void setWindow(QWidget* window) { m_window = window; }
    QWidget* view() const { return m_view; }
    void setView(QWidget* view) { m_view = view; }
    std::int64_t responseCode() const { return m_responseCode; }
    void setResponseCode(std::int64_t code) { m_responseCode = code; }

    // The alert on screen while a sheet runs (tests drive it).
    QMessageBox* alert() const { return m_alert; }

private:
    void run(QWidget* parent, Qt::WindowModality modality, QWidget* accessory);
    QMessageBox* buildAlert(QWidget* parent, QWidget* accessory);

    QString m_message;
    QString m_defaultButton;
    QString m_otherButton;
    QString m_alterButton;
    QString m_title;
    std::uint64_t m_alertStyle = Warning;
    QPointer<QWidget> m_window;
    QPointer<QWidget> m_view;
    std::atomic<std::int64_t> m_responseCode{-1};
    QPointer<QMessageBox> m_alert;
    // wait(): the end of the sheet, published under the lock it is waited on.
    QMutex m_endLock;
    QWaitCondition m_endCondition;
    bool m_ended = false;
};

// Shows an alert sheet on window and returns 1 for the default button, 0 for
// the alternate and -1 for the other. From a worker thread the main thread
// shows it while the worker waits.
std::int64_t RunCustomAlertSheet(const QString& title, const QString& message,
                                 const QString& defaultButton, const QString& alterButton,
                                 const QString& otherButton, QWidget* window);
std::int64_t RunCustomAlertSheetWithView(const QString& title, const QString& message,
                                         const QString& defaultButton, const QString& alterButton,
                                         const QString& otherButton, QWidget* window,
                                         QWidget* view);
