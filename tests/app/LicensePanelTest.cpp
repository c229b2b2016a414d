// The licence panel: loaded once, closed any way, the agreement shown.
#include "tests/app/AppTestSupport.h"

#include "app/LicensePanelController.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>

class LicensePanelTest : public QObject {
    Q_OBJECT
private slots:
    void loadsOnceAndShowsTheAgreement()
    {
        LicensePanelController* panel = LicensePanelController::sharedInstance();
        QVERIFY(panel);
        QVERIFY(panel->licenseTextView->toPlainText().contains(QStringLiteral("Licence Agreement")));
        QCOMPARE(panel->appNameField->text(), QStringLiteral("Scribora"));

        // A mark in the loaded text survives a second showing: nothing is read again.
        panel->licenseTextView->append(QStringLiteral("(seen)"));
        apptest::whenModalShown([](QWidget* shown) {
            apptest::saveScreenshot(shown, QStringLiteral("licence-panel"));
            shown->findChild<QPushButton*>(QStringLiteral("licenseOkButton"))->click();
        });
        panel->showPanel();
        QCOMPARE(LicensePanelController::sharedInstance(), panel);
        QVERIFY(panel->licenseTextView->toPlainText().endsWith(QStringLiteral("(seen)")));
        QVERIFY(!panel->licenseWindow->isVisible());
    }

    void everyWayOfClosingEndsTheModalLoop_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("button") << 0;
        QTest::newRow("Escape") << 1;
        QTest::newRow("close button") << 2;
    }

    void everyWayOfClosingEndsTheModalLoop()
    {
        QFETCH(int, way);
        LicensePanelController* panel = LicensePanelController::sharedInstance();
        apptest::whenModalShown([way](QWidget* shown) {
            if (way == 0)
                shown->findChild<QPushButton*>(QStringLiteral("licenseOkButton"))->click();
            else if (way == 1)
                QTest::keyClick(shown, Qt::Key_Escape);
            else
                shown->close();
        });
        panel->showPanel();
        QVERIFY(!panel->licenseWindow->isVisible());
        QCOMPARE(panel->licenseWindow->windowModality(), Qt::ApplicationModal);
    }
};

APP_TEST(LicensePanelTest);
#include "LicensePanelTest.moc"
