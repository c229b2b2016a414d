// General preferences and the plain-text font: what a first launch shows,
// what closing or quitting keeps, and how the font is built from the controls.
#include "tests/app/AppTestSupport.h"

#include "app/AppDelegate.h"
#include "app/ColorWell.h"
#include "platform/DictionaryKeys.h"
#include "platform/SystemInfo.h"

#include <QCollator>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QTest>

namespace {

const QString kGeneralFile = QStringLiteral("%@-Pref.plist");

QString generalFilePath()
{
    return platform::preferencesFolder() + "/" + platform::bundleIdentifier() + "-Pref.plist";
}

} // namespace

class PreferencesTest : public QObject {
    Q_OBJECT
private slots:
    void init() { apptest::clearPreferences(); }

    void firstLaunch()
    {
        AppDelegate controller;
        const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        QCOMPARE(controller.fontPopUpButtonOutlet->currentText(), QFontInfo(fixed).family());
        QCOMPARE(controller.fontSizeComboBoxOutlet->currentText(), QStringLiteral("12"));
        QCOMPARE(controller.textColorWellOutlet->color(), QColor(Qt::black));
        QVERIFY(!controller.openPasswordCheckBox->isChecked());
        QVERIFY(!controller.openPasswordTextField->isEnabled());
        QVERIFY(!controller.openPasswordLabel->isEnabled());
        QVERIFY(!controller.restrictPasswordTextField->isEnabled());
        QVERIFY(!controller.allowPrintingCheckBox->isEnabled());
        controller.GetTextAttributesFromControl();
        QCOMPARE(controller.textFont->pointSize(), 12);
        // The desktop's fixed-pitch font; fontconfig does not mark every
        // monospaced family as such (Noto Sans Mono), so its family is compared.
        QCOMPARE(QFontInfo(*controller.textFont).family(), QFontInfo(fixed).family());
    }

    // Every key written at the end of a run is read back at the next start.
    void roundTripThroughARestart_data()
    {
        QTest::addColumn<bool>("quit");
        QTest::newRow("window closed") << false;
        QTest::newRow("Quit command") << true;
    }

    void roundTripThroughARestart()
    {
        QFETCH(bool, quit);
        const QString family = QFontDatabase::families().contains("DejaVu Serif") ? "DejaVu Serif" : "DejaVu Sans";
        {
            AppDelegate controller;
            controller.mergeFilesToSinglePDF->setChecked(true);
            controller.PageSizePopupOutlet->setCurrentIndex(5);
            controller.ChangePageSizePresetPopup();
            controller.orientationRadioButtonOutlet->button(1)->setChecked(true);
            controller.setFontToControls(QFontDatabase::font(family, "Bold", 14));
            controller.fontSizeComboBoxOutlet->setEditText("14");
            controller.textColorWellOutlet->setColor(QColor(10, 120, 200, 255));
            controller.overrideRichTextCheckBox->setChecked(true);
            controller.mTitleEditFieldOutlet->setText("Title");
            controller.mAuthorEditFieldOutlet->setText("Author");
            controller.mSubjectEditFieldOutlet->setText("");
            controller.mKeywordsEditFieldOutlet->setText("a, b");
            controller.openPasswordCheckBox->setChecked(true);
            controller.openPasswordTextField->setText("open");
            controller.restrictPasswordCheckBox->setChecked(true);
            controller.restrictPasswordTextField->setText("owner");
            controller.allowPrintingCheckBox->setChecked(true);
            controller.allowCopyingCheckBox->setChecked(false);
            if (quit)
                controller.quitMenuItemOutlet->trigger();
            else
                controller.window->close();
        }
        const QVariantMap saved = apptest::readPreferences(kGeneralFile);
        QCOMPARE(saved.value(platform::keys::kCGPDFContextSubject).toString(), QString());
        QVERIFY(saved.contains(platform::keys::kCGPDFContextSubject));
        // The file holds passwords: its owner alone reads it.
        QCOMPARE(QFile::permissions(generalFilePath()) & (QFile::ReadGroup | QFile::ReadOther),
                 QFile::Permissions());

        AppDelegate controller;
        QVERIFY(controller.mergeFilesToSinglePDF->isChecked());
        QCOMPARE(controller.PageSizePopupOutlet->currentIndex(), 5);
        QCOMPARE(controller.widthEditFieldOutlet->text(), QStringLiteral("176"));
        QCOMPARE(controller.orientationRadioButtonOutlet->checkedId(), 1);
        QCOMPARE(controller.fontPopUpButtonOutlet->currentText(), family);
        QCOMPARE(controller.fontStylePopupButtonOutlet->currentText(), QStringLiteral("Bold"));
        QCOMPARE(controller.fontSizeComboBoxOutlet->currentText(), QStringLiteral("14"));
        QCOMPARE(controller.textColorWellOutlet->color(), QColor(10, 120, 200, 255));
        QVERIFY(controller.overrideRichTextCheckBox->isChecked());
        QCOMPARE(controller.mTitleEditFieldOutlet->text(), QStringLiteral("Title"));
        QCOMPARE(controller.mAuthorEditFieldOutlet->text(), QStringLiteral("Author"));
        QCOMPARE(controller.mKeywordsEditFieldOutlet->text(), QStringLiteral("a, b"));
        QVERIFY(controller.openPasswordCheckBox->isChecked());
        QCOMPARE(controller.openPasswordTextField->text(), QStringLiteral("open"));
        QVERIFY(controller.openPasswordTextField->isEnabled());
        QVERIFY(controller.restrictPasswordCheckBox->isChecked());
        QCOMPARE(controller.restrictPasswordTextField->text(), QStringLiteral("owner"));
        QVERIFY(controller.allowPrintingCheckBox->isChecked());
        QVERIFY(!controller.allowCopyingCheckBox->isChecked());
    }

    void passwordBoxes_data()
    {
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<QString>("text");
        QTest::newRow("ticked and empty") << true << "";
        QTest::newRow("cleared with text") << false << "secret";
    }

    // A ticked box comes back ticked even with an empty password; a cleared
    // box stores no password whatever its field held.
    void passwordBoxes()
    {
        QFETCH(bool, ticked);
        QFETCH(QString, text);
        {
            AppDelegate controller;
            controller.openPasswordCheckBox->setChecked(ticked);
            controller.openPasswordTextField->setText(text);
            controller.window->close();
        }
        QCOMPARE(apptest::readPreferences(kGeneralFile).contains(platform::keys::kCGPDFContextUserPassword),
                 ticked);
        AppDelegate controller;
        QCOMPARE(controller.openPasswordCheckBox->isChecked(), ticked);
        QCOMPARE(controller.openPasswordTextField->text(), QString());
    }

    void fontSizeFromTheBox_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("size");
        QTest::newRow("empty") << "" << 12;
        QTest::newRow("0") << "0" << 12;
        QTest::newRow("negative") << "-4" << 12;
        QTest::newRow("9") << "9" << 9;
        QTest::newRow("with text") << "18pt" << 18;
    }

    void fontSizeFromTheBox()
    {
        QFETCH(QString, box);
        QFETCH(int, size);
        AppDelegate controller;
        controller.fontSizeComboBoxOutlet->setEditText(box);
        controller.GetTextFontFromControl();
        QCOMPARE(controller.textFont->pointSize(), size);
    }

    // The chooser's font goes to the controls only; its size is cut to a
    // whole number.
    void fontFromTheChooser()
    {
        AppDelegate controller;
        QFont chosen("DejaVu Sans");
        chosen.setPointSizeF(10.7);
        controller.changeFont(chosen);
        QCOMPARE(controller.fontPopUpButtonOutlet->currentText(), QStringLiteral("DejaVu Sans"));
        QCOMPARE(controller.fontSizeComboBoxOutlet->currentText(), QStringLiteral("10"));
        controller.GetTextFontFromControl();
        QCOMPARE(controller.textFont->pointSize(), 10);
        QCOMPARE(controller.textFont->family(), QStringLiteral("DejaVu Sans"));
    }

    void familiesInCaseInsensitiveOrder()
    {
        AppDelegate controller;
        QStringList families;
        for (int item = 0; item < controller.fontPopUpButtonOutlet->count(); ++item)
            families << controller.fontPopUpButtonOutlet->itemText(item);
        QVERIFY(families.size() > 1);
        QCollator order;
        order.setCaseSensitivity(Qt::CaseInsensitive);
        QVERIFY(std::is_sorted(families.begin(), families.end(),
                               [&](const QString& a, const QString& b) { return order.compare(a, b) < 0; }));
    }

    void qualityLabel_data()
    {
        QTest::addColumn<int>("slider");
        QTest::addColumn<QString>("label");
        QTest::newRow("0.755") << 755 << "JPEG Compression Quality (75%):";
        QTest::newRow("1.0") << 1000 << "JPEG Compression Quality (100%):";
        QTest::newRow("0") << 0 << "JPEG Compression Quality (0%):";
    }

    void qualityLabel()
    {
        QFETCH(int, slider);
        QFETCH(QString, label);
        AppDelegate controller;
        controller.imageCompressionQuaitySliderOutlet->setValue(slider);
        controller.ImageQualitySliderAction();
        QCOMPARE(controller.imageCompressionQuaityLabelOutlet->text(), label);
    }

    void textAttributes()
    {
        AppDelegate controller;
        controller.textColorWellOutlet->setColor(Qt::red);
        controller.GetTextAttributesFromControl();
        const QVariantMap attributes = *controller.textStringAttributes;
        QCOMPARE(attributes.value(platform::keys::NSForegroundColorAttributeName).value<QColor>(), QColor(Qt::red));
        QCOMPARE(attributes.value(platform::keys::NSFontAttributeName).value<QFont>(), *controller.textFont);
    }
};

APP_TEST(PreferencesTest);
#include "PreferencesTest.moc"
