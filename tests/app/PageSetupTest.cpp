// Page setup: built-in sizes, units and their rounding, the fields and
// their steppers.
#include "tests/app/AppTestSupport.h"

#include "app/AppDelegate.h"
#include "app/PageSizes.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>

namespace {

QStringList fieldTexts(const AppDelegate& controller)
{
    QStringList texts;
    for (const AppDelegate::SizeControl& control : controller.sizeControls())
        texts << control.field->text();
    return texts;
}

QList<double> stepperValues(const AppDelegate& controller)
{
    QList<double> values;
    for (const AppDelegate::SizeControl& control : controller.sizeControls())
        values << control.stepper->value();
    return values;
}

void chooseUnit(AppDelegate& controller, int unit)
{
    QComboBox* popup = controller.inSizeTypePopupOutlet;
    popup->setCurrentIndex(popup->findData(unit));
    controller.ChangeSizeInTypePopup();
}

void choosePageSize(AppDelegate& controller, int item)
{
    controller.PageSizePopupOutlet->setCurrentIndex(item);
    controller.ChangePageSizePresetPopup();
}

// One edit of the user that replaces the text (as a paste does).
void type(QLineEdit* field, const QString& text)
{
    field->selectAll();
    QApplication::clipboard()->setText(text);
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
}

} // namespace

class PageSetupTest : public QObject {
    Q_OBJECT
private slots:
    void init() { apptest::clearPreferences(); }

    void builtInSizes_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<QStringList>("texts");
        const QList<QStringList> sizes = {
            {"297", "420"}, {"210", "297"}, {"148", "210"}, {"176", "250"}, {"105", "241"},
            {"120", "235"}, {"110", "220"}, {"182", "257"}, {"197", "273"}, {"330", "483"},
            {"279", "432"}, {"305", "457"}, {"216", "356"}, {"216", "279"}};
        for (int item = 2; item <= 15; ++item) {
            const bool tall = item == 3 || item == 6 || item == 14 || item == 15;
            QTest::addRow("item %d", item)
                << item << (sizes[item - 2] + QStringList{"27.2", "25.4", "27.2", tall ? "31.7" : "25.4"});
        }
    }

    void builtInSizes()
    {
        QFETCH(int, item);
        QFETCH(QStringList, texts);
        AppDelegate controller;
        chooseUnit(controller, PageSizeUnitInch);
        choosePageSize(controller, item);
        QCOMPARE(fieldTexts(controller), texts);
        QCOMPARE(controller.inSizeTypePopupOutlet->currentData().toInt(), int(PageSizeUnitMillimetre));
        QCOMPARE(controller.currentSizeFormatType, PageSizeUnitMillimetre);
        QCOMPARE(controller.PageSizePopupOutlet->currentIndex(), item);
        QCOMPARE(stepperValues(controller)[0], texts[0].toDouble());
    }

    void startsOnA4InMillimetres()
    {
        AppDelegate controller;
        QCOMPARE(fieldTexts(controller), (QStringList{"210", "297", "27.2", "25.4", "27.2", "31.7"}));
        QCOMPARE(controller.GetSizeTypeFactor(), 2.8299999237060547);
    }

    void unitConversions_data()
    {
        QTest::addColumn<QList<int>>("units");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("to inches") << QList<int>{PageSizeUnitInch}
                                   << QStringList{"8.27", "11.69", "1.07", "1.00", "1.07", "1.25"};
        QTest::newRow("to inches and back") << QList<int>{PageSizeUnitInch, PageSizeUnitMillimetre}
                                            << QStringList{"210.06", "296.93", "27.18", "25.40", "27.18", "31.75"};
        QTest::newRow("to points") << QList<int>{PageSizeUnitPoint}
                                   << QStringList{"594.30", "840.51", "76.98", "71.88", "76.98", "89.71"};
        QTest::newRow("to centimetres") << QList<int>{PageSizeUnitCentimetre}
                                        << QStringList{"21.00", "29.70", "2.72", "2.54", "2.72", "3.17"};
        QTest::newRow("the unit shown") << QList<int>{PageSizeUnitMillimetre}
                                        << QStringList{"210", "297", "27.2", "25.4", "27.2", "31.7"};
    }

    void unitConversions()
    {
        QFETCH(QList<int>, units);
        QFETCH(QStringList, texts);
        AppDelegate controller;
        for (int unit : units)
            chooseUnit(controller, unit);
        QCOMPARE(fieldTexts(controller), texts);
        QCOMPARE(controller.currentSizeFormatType, units.last());
        QCOMPARE(stepperValues(controller)[0], texts[0].toDouble());
    }

    void factors()
    {
        AppDelegate controller;
        const QList<std::pair<int, double>> factors = {
            {PageSizeUnitInch, 71.88199615478516}, {PageSizeUnitCentimetre, 28.299999237060547},
            {PageSizeUnitMillimetre, 2.8299999237060547}, {PageSizeUnitPoint, 1.0}, {0, -1.0}, {7, -1.0}};
        for (const auto& [unit, factor] : factors) {
            controller.currentSizeFormatType = unit;
            QCOMPARE(controller.GetSizeTypeFactor(), factor);
        }
    }

    // Typing switches the popup to the custom item; the stepper follows the
    // field up to the largest size; an emptied field leaves it alone.
    void typingInTheFields()
    {
        AppDelegate controller;
        NumberField* width = controller.widthEditFieldOutlet;
        type(width, QStringLiteral("32000"));
        QCOMPARE(controller.widthStepperOutlet->value(), 32000.0);
        QCOMPARE(controller.PageSizePopupOutlet->currentIndex(), 0);
        type(width, QStringLiteral("32001"));
        QCOMPARE(width->text(), QStringLiteral("32000"));
        type(width, QStringLiteral("150"));
        QTest::keyClick(width, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(width, Qt::Key_Backspace);
        QCOMPARE(width->text(), QString());
        QCOMPARE(controller.widthStepperOutlet->value(), 150.0);
    }

    void steppingAField()
    {
        AppDelegate controller;
        choosePageSize(controller, 3);
        controller.leftStepperOutlet->stepBy(1);
        QCOMPARE(controller.leftEditFieldOutlet->text(), QStringLiteral("28.20"));
        QCOMPARE(controller.PageSizePopupOutlet->currentIndex(), 0);
    }

    // Sizes the program sets never run the handlers of the user's edits.
    void applyingASizeKeepsItsItem()
    {
        AppDelegate controller;
        choosePageSize(controller, 4);
        chooseUnit(controller, PageSizeUnitPoint);
        QCOMPARE(controller.PageSizePopupOutlet->currentIndex(), 4);
    }

    void screenshot()
    {
        AppDelegate controller;
        controller.window->resize(860, 660);
        controller.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(controller.window));
        controller.exportOptionTabViewOutlet->setCurrentIndex(0);
        apptest::saveScreenshot(controller.window, QStringLiteral("tab-page-setup"));
        controller.exportOptionTabViewOutlet->setCurrentIndex(1);
        apptest::saveScreenshot(controller.window, QStringLiteral("tab-plain-text"));
        controller.openPasswordCheckBox->setChecked(true);
        controller.exportOptionTabViewOutlet->setCurrentIndex(3);
        apptest::saveScreenshot(controller.window, QStringLiteral("tab-security"));
    }
};

APP_TEST(PageSetupTest);
#include "PageSetupTest.moc"
