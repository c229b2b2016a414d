// Start-up of the main window: first launch, saved settings (damaged ones
// included), the three product set-ups and the menu items that follow the
// toolbar.
#include "tests/app/AppTestSupport.h"

#include "app/AppDelegate.h"
#include "app/ColorWell.h"
#include "app/FileListModel.h"
#include "app/SegmentedControl.h"
#include "platform/DictionaryKeys.h"
#include "platform/SystemInfo.h"

#include <QFile>
#include <QHeaderView>
#include <QTest>
#include <QToolButton>

namespace {

const QString kPresetFile = QStringLiteral("%@-PresetPref.plist");
const QString kGeneralFile = QStringLiteral("%@-Pref.plist");
// The page-size popup's fixed items: custom, separators and built-in sizes.
constexpr int kFixedPageSizeItems = 17;

QVariantMap preset(const QVariant& index)
{
    QVariantMap entry{{"InputType", "Millimetres"}, {"Width", "100"}, {"Height", "200"}};
    if (index.isValid())
        entry.insert(QStringLiteral("PresetIndex"), index);
    return entry;
}

QStringList presetItems(const AppDelegate& controller)
{
    QStringList names;
    for (int item = kFixedPageSizeItems; item < controller.PageSizePopupOutlet->count(); ++item)
        names << controller.PageSizePopupOutlet->itemText(item);
    return names;
}

QStringList columnIdentifiers(const AppDelegate& controller)
{
    QStringList identifiers;
    for (const FileListModel::Column& column : controller.tableModel->columns())
        identifiers << column.identifier;
    return identifiers;
}

QStringList tabIdentifiers(const QTabWidget* tabs)
{
    QStringList identifiers;
    for (int index = 0; index < tabs->count(); ++index)
        identifiers << tabs->widget(index)->property("identifier").toString();
    return identifiers;
}

} // namespace

class AppDelegateStartupTest : public QObject {
    Q_OBJECT
private slots:
    void init() { apptest::clearPreferences(); }

    void firstLaunch()
    {
        AppDelegate controller;
        QCOMPARE(controller.PageSizePopupOutlet->currentIndex(), 3);
        QCOMPARE(controller.PageSizePopupOutlet->count(), kFixedPageSizeItems);
        QVERIFY(!controller.openPasswordCheckBox->isChecked());
        QVERIFY(!controller.restrictPasswordCheckBox->isChecked());
        QCOMPARE(controller.textColorWellOutlet->color(), QColor(Qt::black));
        QVERIFY(!controller.isConversionCancelled());
        QCOMPARE(controller.window->windowTitle(), QStringLiteral("Scribora"));
        controller.window->resize(860, 660);
        controller.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(controller.window));
        apptest::saveScreenshot(controller.window, QStringLiteral("main-window"));
    }

    void presetsInSavedOrder_data()
    {
        QTest::addColumn<QVariantMap>("presets");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("one") << QVariantMap{{"Only", preset(0)}} << QStringList{"Only"};
        QTest::newRow("three") << QVariantMap{{"A", preset(2)}, {"B", preset(0)}, {"C", preset(1)}}
                               << QStringList{"B", "C", "A"};
        // Entries without a usable index come last, in name order.
        QTest::newRow("damaged indexes")
            << QVariantMap{{"A", preset({})}, {"B", preset(1)}, {"C", preset("x")}, {"D", preset(0)}}
            << QStringList{"D", "B", "A", "C"};
    }

    void presetsInSavedOrder()
    {
        QFETCH(QVariantMap, presets);
        QFETCH(QStringList, items);
        QVERIFY(apptest::writePreferences(kPresetFile, presets));
        AppDelegate controller;
        QCOMPARE(presetItems(controller), items);
    }

    void savedPageSizeItem_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("selected");
        QTest::newRow("0") << QVariant(0) << 3;
        QTest::newRow("1") << QVariant(1) << 3;
        QTest::newRow("negative") << QVariant(-1) << 3;
        QTest::newRow("the item count") << QVariant(kFixedPageSizeItems + 1) << 3;
        QTest::newRow("a user preset") << QVariant(kFixedPageSizeItems) << kFixedPageSizeItems;
        QTest::newRow("A5") << QVariant(4) << 4;
        QTest::newRow("a string") << QVariant("5") << 3;
    }

    void savedPageSizeItem()
    {
        QFETCH(QVariant, stored);
        QFETCH(int, selected);
        QVERIFY(apptest::writePreferences(kPresetFile, {{"Mine", preset(0)}}));
        QVERIFY(apptest::writePreferences(kGeneralFile, {{"PresetIndex", stored}}));
        AppDelegate controller;
        QCOMPARE(controller.PageSizePopupOutlet->currentIndex(), selected);
    }

    void savedImageQuality_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("slider");
        QTest::newRow("0 ignored") << QVariant(0.0) << 750;
        QTest::newRow("1.5 ignored") << QVariant(1.5) << 750;
        QTest::newRow("1 taken") << QVariant(1.0) << 1000;
        QTest::newRow("0.25 taken") << QVariant(0.25) << 250;
    }

    void savedImageQuality()
    {
        QFETCH(QVariant, stored);
        QFETCH(int, slider);
        QVERIFY(apptest::writePreferences(kGeneralFile, {{"JPEGQuality", stored}}));
        AppDelegate controller;
        QCOMPARE(controller.imageCompressionQuaitySliderOutlet->value(), slider);
    }

    void savedControls()
    {
        using namespace platform::keys;
        QVERIFY(apptest::writePreferences(
            kGeneralFile, {{"MergeFlag", true},
                           {"PageSetupOrientationOption", 1},
                           {"OverrideRichText", true},
                           {QString(kCGPDFContextTitle), "Report"},
                           {QString(kCGPDFContextUserPassword), ""},
                           {QString(kCGPDFContextOwnerPassword), "owner"},
                           {QString(kCGPDFContextAllowsPrinting), false},
                           {"ColorSpaceModel", 2},
                           {"DownSampleValue", 300}}));
        AppDelegate controller;
        QVERIFY(controller.mergeFilesToSinglePDF->isChecked());
        QCOMPARE(controller.orientationRadioButtonOutlet->checkedId(), 1);
        QVERIFY(controller.overrideRichTextCheckBox->isChecked());
        QCOMPARE(controller.mTitleEditFieldOutlet->text(), QStringLiteral("Report"));
        QVERIFY(controller.openPasswordCheckBox->isChecked());
        QCOMPARE(controller.openPasswordTextField->text(), QString());
        QVERIFY(controller.restrictPasswordCheckBox->isChecked());
        QCOMPARE(controller.restrictPasswordTextField->text(), QStringLiteral("owner"));
        QVERIFY(!controller.allowPrintingCheckBox->isChecked());
        QCOMPARE(controller.colorModelPopUpOutlet->currentData().toInt(), 2);
        QCOMPARE(controller.downsampleImageComboBoxOutlet->currentText(), QStringLiteral("300"));
    }

    // A file that is no property list, or holds values of other types, is
    // passed over: the window starts as on a first launch.
    void damagedPreferenceFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("not a property list") << QByteArray("\x00\xff garbage", 10);
        QTest::newRow("an array") << QByteArray(
            "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><string>x</string></array></plist>");
        QTest::newRow("wrong types") << QByteArray(
            "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
            "<key>MergeFlag</key><string>yes</string><key>PresetIndex</key><real>4.5</real>"
            "<key>TextFont</key><string>Serif</string><key>TextFontColor</key><integer>3</integer>"
            "<key>kCGPDFContextUserPassword</key><integer>7</integer>"
            "<key>PageSetupOrientationOption</key><string>1</string></dict></plist>");
    }

    void damagedPreferenceFiles()
    {
        QFETCH(QByteArray, bytes);
        for (const QString& name : {QStringLiteral("-Pref.plist"), QStringLiteral("-PresetPref.plist")}) {
            QVERIFY(apptest::writePreferences(kGeneralFile, {}));
            QFile file(platform::preferencesFolder() + '/' + platform::bundleIdentifier() + name);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(bytes);
        }
        AppDelegate controller;
        QCOMPARE(controller.PageSizePopupOutlet->currentIndex(), 3);
        QCOMPARE(controller.PageSizePopupOutlet->count(), kFixedPageSizeItems);
        QVERIFY(!controller.mergeFilesToSinglePDF->isChecked());
        QVERIFY(!controller.openPasswordCheckBox->isChecked());
        QCOMPARE(controller.orientationRadioButtonOutlet->checkedId(), 0);
        QCOMPARE(controller.textColorWellOutlet->color(), QColor(Qt::black));
    }

    void scriboraWindow()
    {
        AppDelegate controller;
        QCOMPARE(columnIdentifiers(controller), (QStringList{"Index", "FilePath", "Kind"}));
        // The path column takes the widths of the two removed ones.
        QCOMPARE(controller.imageListTable->horizontalHeader()->sectionSize(1), 400 + 64 + 110);
        const QList<QAction*> items = controller.mainToolbar->actions();
        QVERIFY(!items.contains(controller.rotateToolbarItem1));
        QCOMPARE(items.size(), 11);
        QCOMPARE(items[7], controller.exportAllToolbarItem1);
        QVERIFY(!items[8]->isSeparator());
        QCOMPARE(tabIdentifiers(controller.exportOptionTabViewOutlet), (QStringList{"1", "3", "4", "5"}));
        QCOMPARE(controller.exportOptionTabViewOutlet->widget(3)->objectName(), QStringLiteral("securityTab"));
        QVERIFY(!controller.toolMenu->menuAction()->isVisible());
        QCOMPARE(controller.quitMenuItemOutlet->text(), QStringLiteral("Quit Scribora"));
        QCOMPARE(controller.aboutMenuItemOutlet->text(), QStringLiteral("About Scribora"));
        QCOMPARE(controller.helpMenuItemOutlet->text(), QStringLiteral("Scribora Help"));
    }

    void junctoraWindow()
    {
        AppDelegate controller(AppDelegate::StartUp::NibOnly);
        const int barWidth = controller.conversionProgressIndicator->sizeHint().width();
        controller.SetupJunctoraApplicationControls();
        QCOMPARE(controller.window->windowTitle(), QStringLiteral("Junctora"));
        QCOMPARE(controller.exportButton->text(), QStringLiteral("Merge"));
        QCOMPARE(controller.exportToolbarItem->text(), QStringLiteral("Merge"));
        QCOMPARE(controller.exportAllMenuItem->text(), QStringLiteral("Merge All"));
        QVERIFY(columnIdentifiers(controller).contains(QStringLiteral("Page Count")));
        QVERIFY(!columnIdentifiers(controller).contains(QStringLiteral("Kind")));
        QVERIFY(controller.mergeFilesToSinglePDF->isHidden());
        QVERIFY(controller.progressCancelOutlet->isHidden());
        QCOMPARE(controller.conversionProgressIndicator->minimumWidth(), barWidth + 92);
        QCOMPARE(tabIdentifiers(controller.exportOptionTabViewOutlet), (QStringList{"4", "5"}));
        QCOMPARE(controller.mainToolbar->actions().size(), 13);
    }

    void pictavoWindow()
    {
        AppDelegate controller(AppDelegate::StartUp::NibOnly);
        controller.SetupApplicationControls();
        QCOMPARE(controller.window->windowTitle(), QStringLiteral("Pictavo"));
        QCOMPARE(controller.quitMenuItemOutlet->text(), QStringLiteral("Quit Pictavo"));
        QCOMPARE(tabIdentifiers(controller.exportOptionTabViewOutlet), (QStringList{"1", "2", "4", "5"}));
    }

    // Menu items follow the toolbar controls as soon as these change.
    void menuItemsFollowTheToolbar()
    {
        AppDelegate controller;
        struct Case {
            std::function<void(bool)> set;
            QList<QAction*> items;
        };
        const QList<Case> cases = {
            {[&](bool on) { controller.addToolbarItem->setEnabled(on); }, {controller.addImageMenuItem}},
            {[&](bool on) { controller.exportButton->setEnabled(on); },
             {controller.exportMenuItem, controller.exportAllMenuItem}},
            {[&](bool on) { controller.removeToolbarItem->setEnabled(on); },
             {controller.selectAllMenuItem, controller.removeMenuItem, controller.removeAllMenuItem,
              controller.rotateLeftMenuItem, controller.rotateRightMenuItem}},
            {[&](bool on) { controller.moveSegmentedToolbarItem->setEnabled(1, on); },
             {controller.moveUpMenuItem, controller.moveTopMenuItem}},
            {[&](bool on) { controller.moveSegmentedToolbarItem->setEnabled(2, on); },
             {controller.moveDownMenuItem, controller.moveBottomMenuItem}},
        };
        for (const Case& item : cases) {
            for (bool on : {false, true, false}) {
                item.set(on);
                for (QAction* action : item.items)
                    QVERIFY2(action->isEnabled() == on, qPrintable(action->objectName()));
            }
        }
        // Items no control stands for stay enabled.
        QVERIFY(controller.helpMenuItemOutlet->isEnabled());
        QVERIFY(controller.quitMenuItemOutlet->isEnabled());
    }
};

APP_TEST(AppDelegateStartupTest);
#include "AppDelegateStartupTest.moc"
