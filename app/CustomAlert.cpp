#include "app/CustomAlert.h"

#include "app/LocalizedStrings.h"
#include "platform/MainThread.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>

namespace {

// Texts go in as escaped markup: a file name or typed text with "<b>" or
// "%@" in it is shown as typed.
QString boldText(const QString& text)
{
    return QStringLiteral("<b>%1</b>").arg(text.toHtmlEscaped());
}

QString plainParagraph(const QString& text)
{
    if (text.isEmpty())
        return {};
    return QStringLiteral("<p style=\"white-space:pre-wrap\">%1</p>").arg(text.toHtmlEscaped());
}

// Size of the program's icon on a plain alert.
constexpr int kAlertIconSize = 64;

void putAccessory(QMessageBox* box, QWidget* accessory)
{
    auto* grid = qobject_cast<QGridLayout*>(box->layout());
    auto* buttons = box->findChild<QDialogButtonBox*>();
    if (!grid || !buttons)
        return;
    // The accessory goes under the texts, above the buttons.
    grid->removeWidget(buttons);
    const int row = grid->rowCount();
    grid->addWidget(accessory, row, 1, 1, grid->columnCount() - 1);
    grid->addWidget(buttons, row + 1, 0, 1, grid->columnCount());
    accessory->show();
}

} // namespace

CustomAlert::CustomAlert() = default;

CustomAlert::CustomAlert(const QString& title, const QString& message, const QString& defaultButton,
                         const QString& alterButton, const QString& otherButton)
    : m_message(message.isNull() ? QString(QLatin1String("")) : message)
    , m_defaultButton(defaultButton)
    , m_otherButton(otherButton)
    , m_alterButton(alterButton)
    , m_title(title.isNull() ? QString(QLatin1String("")) : title)
{
}

CustomAlert::~CustomAlert() = default;

QMessageBox* CustomAlert::buildAlert(QWidget* parent, QWidget* accessory)
{
    auto* box = new QMessageBox(parent);
    box->setWindowTitle(QApplication::applicationName());
    box->setTextFormat(Qt::RichText);
    box->setText(boldText(m_title));
    box->setInformativeText(plainParagraph(m_message));
    if (m_alertStyle == Critical)
        box->setIcon(QMessageBox::Critical);
    else if (m_alertStyle == Informational)
        box->setIcon(QMessageBox::Information);
    else if (!QApplication::windowIcon().isNull())
        box->setIconPixmap(QApplication::windowIcon().pixmap(kAlertIconSize));
    const QString defaultTitle = m_defaultButton.isNull() ? LocalizedString(QStringLiteral("OkButtonString"))
                                                          : m_defaultButton;
    QPushButton* defaultButton = box->addButton(defaultTitle, QMessageBox::AcceptRole);
    QPushButton* alternateButton =
        m_alterButton.isNull() ? nullptr : box->addButton(m_alterButton, QMessageBox::RejectRole);
    QPushButton* otherButton =
        m_otherButton.isNull() ? nullptr : box->addButton(m_otherButton, QMessageBox::ActionRole);
    box->setDefaultButton(defaultButton);
    // Escape and the window's close button give the default answer.
    box->setEscapeButton(defaultButton);
    // The box's own thread (the main one) runs the answer, whichever thread
    // made this object.
    connect(box, &QMessageBox::buttonClicked, box, [=, this](QAbstractButton* button) {
        if (button == alternateButton)
            monitorAlertDidEnd(kAlternateAnswer);
        else if (button == otherButton && otherButton)
            monitorAlertDidEnd(kOtherAnswer);
        else
            monitorAlertDidEnd(kDefaultAnswer);
    });
    if (accessory)
        putAccessory(box, accessory);
    return box;
}

void CustomAlert::run(QWidget* parent, Qt::WindowModality modality, QWidget* accessory)
{
    {
        QMutexLocker locker(&m_endLock);
        m_ended = false;
    }
    m_responseCode = kAnswerPending;
    QPointer<QMessageBox> box = buildAlert(parent, accessory);
    m_alert = box;
    box->setWindowModality(modality);
    QEventLoop loop;
    connect(box.data(), &QMessageBox::finished, &loop, &QEventLoop::quit);
    connect(box.data(), &QObject::destroyed, &loop, &QEventLoop::quit);
    box->open();
    // The loop ends with the sheet, or early when the application quits or
    // the window goes away; the sheet then answers its default.
    if (m_responseCode == kAnswerPending)
        loop.exec();
    if (m_responseCode == kAnswerPending)
        monitorAlertDidEnd(kDefaultAnswer);
    if (accessory && box)
        accessory->setParent(nullptr);
    m_alert = nullptr;
    delete box.data();
}

void CustomAlert::showModalSheet()
{
    run(m_window ? m_window.data() : QApplication::activeWindow(), Qt::WindowModal, nullptr);
}

void CustomAlert::showModalSheetUsingAlert()
{
    if (m_message.isNull())
        return;
    run(m_window ? m_window.data() : QApplication::activeWindow(), Qt::WindowModal, m_view);
}

void CustomAlert::showModalAlert()
{
    run(QApplication::activeWindow(), Qt::ApplicationModal, nullptr);
}

void CustomAlert::monitorAlertDidEnd(std::int64_t returnCode)
{
    QMutexLocker locker(&m_endLock);
    m_responseCode = returnCode;
    m_ended = true;
    m_endCondition.wakeAll();
}

void CustomAlert::wait()
{
    QMutexLocker locker(&m_endLock);
    while (!m_ended)
        m_endCondition.wait(&m_endLock);
}

namespace {

std::int64_t runSheet(CustomAlert& alert, QWidget* window, void (CustomAlert::*show)())
{
    if (window)
        alert.setWindow(window);
    platform::runOnMainThread([&] { (alert.*show)(); }, true);
    return alert.responseCode();
}

} // namespace

std::int64_t RunCustomAlertSheet(const QString& title, const QString& message,
                                 const QString& defaultButton, const QString& alterButton,
                                 const QString& otherButton, QWidget* window)
{
    CustomAlert alert(title, message, defaultButton, alterButton, otherButton);
    return runSheet(alert, window, &CustomAlert::showModalSheet);
}

std::int64_t RunCustomAlertSheetWithView(const QString& title, const QString& message,
                                         const QString& defaultButton, const QString& alterButton,
                                         const QString& otherButton, QWidget* window,
                                         QWidget* view)
{
    CustomAlert alert(title, message, defaultButton, alterButton, otherButton);
    if (view)
        alert.setView(view);
    return runSheet(alert, window, &CustomAlert::showModalSheetUsingAlert);
}
