// Alert sheets: the answers, asked from the main thread and from a worker;
// Escape, closing and quitting; texts shown as they are.
#include "tests/app/AppTestSupport.h"

#include "app/CustomAlert.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QTest>
#include <QTextDocumentFragment>
#include <QThread>
#include <QTimer>

#include <atomic>

namespace {

QMessageBox* shownAlert()
{
    return qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
}

// Presses the button titled title of the alert on screen, once it is there.
void pressWhenShown(const QString& title)
{
    apptest::whenModalShown([title](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box);
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == title) {
                button->click();
                return;
            }
        }
        QFAIL(qPrintable("no button " + title));
    });
}

QStringList shownTexts(const QMessageBox* box)
{
    QStringList texts;
    for (const QLabel* label : box->findChildren<QLabel*>()) {
        if (!label->text().isEmpty() && label->pixmap().isNull())
            texts << QTextDocumentFragment::fromHtml(label->text()).toPlainText();
    }
    return texts;
}

std::int64_t askOnWorker(const std::function<std::int64_t()>& ask)
{
    std::atomic<std::int64_t> answer{CustomAlert::kAnswerPending};
    QThread* worker = QThread::create([&] { answer = ask(); });
    worker->start();
    if (!QTest::qWaitFor([&] { return worker->isFinished(); }, 10000))
        qWarning("the worker did not end");
    worker->wait();
    delete worker;
    return answer;
}

} // namespace

class CustomAlertTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_window = std::make_unique<QMainWindow>();
        m_window->resize(500, 300);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void cleanup() { m_window.reset(); }

    void answers_data()
    {
        QTest::addColumn<QString>("pressed");
        QTest::addColumn<bool>("onWorker");
        QTest::addColumn<qint64>("answer");
        for (bool worker : {false, true}) {
            const char* thread = worker ? "worker" : "main";
            QTest::addRow("default, %s", thread) << "OK" << worker << qint64(1);
            QTest::addRow("alternate, %s", thread) << "Discard Value" << worker << qint64(0);
            QTest::addRow("other, %s", thread) << "Later" << worker << qint64(-1);
        }
    }

    void answers()
    {
        QFETCH(QString, pressed);
        QFETCH(bool, onWorker);
        QFETCH(qint64, answer);
        pressWhenShown(pressed);
        auto ask = [this] {
            return RunCustomAlertSheet(QStringLiteral("Title"), QStringLiteral("Message"),
                                       QStringLiteral("OK"), QStringLiteral("Discard Value"),
                                       QStringLiteral("Later"), m_window.get());
        };
        QCOMPARE(onWorker ? askOnWorker(ask) : ask(), answer);
    }

    // The asking code waits for the answer, while the application keeps
    // handling events.
    void eventsRunWhileTheAnswerIsAwaited()
    {
        bool timerRan = false;
        bool answered = false;
        QTimer::singleShot(50, [&] {
            timerRan = true;
            QVERIFY(!answered);
        });
        QTimer::singleShot(150, [] { pressWhenShown(QStringLiteral("OK")); });
        const std::int64_t answer = RunCustomAlertSheet(QStringLiteral("T"), {}, QStringLiteral("OK"),
                                                        {}, {}, m_window.get());
        answered = true;
        QVERIFY(timerRan);
        QCOMPARE(answer, 1);
    }

    void escapeAndCloseGiveTheDefault_data()
    {
        QTest::addColumn<bool>("close");
        QTest::newRow("Escape") << false;
        QTest::newRow("close button") << true;
    }

    void escapeAndCloseGiveTheDefault()
    {
        QFETCH(bool, close);
        apptest::whenModalShown([close](QWidget* alert) {
            if (close)
                alert->close();
            else
                QTest::keyClick(alert, Qt::Key_Escape);
        });
        QCOMPARE(RunCustomAlertSheet(QStringLiteral("Title"), QStringLiteral("Message"),
                                     QStringLiteral("OK"), QStringLiteral("Cancel"),
                                     QStringLiteral("Other"), m_window.get()),
                 1);
    }

    void textsAreShownAsTyped()
    {
        const QString title = QStringLiteral("<b>%@ & %d</b> \"quoted\"");
        const QString message = QStringLiteral("50% of <i>report</i>.txt\n%@ %ld");
        QStringList texts;
        int buttons = 0;
        apptest::whenModalShown([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            texts = shownTexts(box);
            buttons = int(box->buttons().size());
            apptest::saveScreenshot(box, QStringLiteral("alert-sheet"));
            box->buttons().first()->click();
        });
        RunCustomAlertSheet(title, message, QStringLiteral("OK"), {}, {}, m_window.get());
        QVERIFY2(texts.contains(title), qPrintable(texts.join('|')));
        QVERIFY2(texts.contains(message), qPrintable(texts.join('|')));
        QCOMPARE(buttons, 1);
    }

    // A sheet that outlives the event loop (the program quits) answers its
    // default and lets the asking code go on.
    void quittingAnswersTheDefault()
    {
        std::int64_t answer = CustomAlert::kAnswerPending;
        QTimer::singleShot(0, [&] {
            answer = RunCustomAlertSheet(QStringLiteral("Title"), {}, QStringLiteral("OK"),
                                         QStringLiteral("Cancel"), {}, m_window.get());
        });
        QTimer::singleShot(100, [] { QCoreApplication::exit(0); });
        QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QCOMPARE(answer, 1);
        QVERIFY(!shownAlert());
    }

    // wait() sees an answer given before it started waiting.
    void waitSeesAnEarlierAnswer()
    {
        CustomAlert alert(QStringLiteral("T"), {}, QStringLiteral("OK"), {}, {});
        alert.monitorAlertDidEnd(0);
        QCOMPARE(askOnWorker([&] {
                     alert.wait();
                     return alert.responseCode();
                 }),
                 0);
    }

    void waitBlocksUntilTheSheetEnds()
    {
        CustomAlert alert(QStringLiteral("T"), {}, QStringLiteral("OK"), QStringLiteral("No"), {});
        alert.setWindow(m_window.get());
        std::atomic<bool> woke = false;
        QThread* waiter = QThread::create([&] {
            alert.wait();
            woke = true;
        });
        waiter->start();
        pressWhenShown(QStringLiteral("No"));
        QTimer::singleShot(0, [&] { QVERIFY(!woke); });
        alert.showModalSheet();
        QVERIFY(waiter->wait(5000));
        delete waiter;
        QVERIFY(woke);
        QCOMPARE(alert.responseCode(), 0);
    }

private:
    std::unique_ptr<QMainWindow> m_window;
};

APP_TEST(CustomAlertTest);
#include "CustomAlertTest.moc"
