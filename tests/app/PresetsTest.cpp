// Page-size presets: the dialog's default name, saving, replacing and
// removing presets with the preset file checked after each, and applying one.
#include "tests/app/AppTestSupport.h"

#include "app/AppDelegate.h"
#include "app/PageSizes.h"

#include <QFile>
#include <QMessageBox>
#include <QTest>
#include <QTextDocumentFragment>

#include "platform/SystemInfo.h"

namespace {

const QString kPresetFile = QStringLiteral("%@-PresetPref.plist");

QVariantMap preset(int index, const QString& unit = QStringLiteral("Millimetres"))
{
    return {{"InputType", unit}, {"Width", "100"}, {"Height", "150.5"}, {"Left", "10"},
            {"Top", "11"},       {"Right", "12"},  {"Bottom", "13"},    {"PresetIndex", index}};
}

QStringList presetItems(const AppDelegate& controller)
{
    QStringList names;
    for (int item = AppDelegate::kFirstPresetItem; item < controller.PageSizePopupOutlet->count(); ++item)
        names << controller.PageSizePopupOutlet->itemText(item);
    return names;
}

QMap<QString, qint64> savedIndexes()
{
    QMap<QString, qint64> indexes;
    const QVariantMap presets = apptest::readPreferences(kPresetFile);
    for (auto entry = presets.cbegin(); entry != presets.cend(); ++entry)
        indexes.insert(entry.key(), entry.value().toMap().value("PresetIndex").toLongLong());
    return indexes;
}

// Answers every alert the dialog raises with the button titled answer and
// records the alerts' titles.
struct AlertAnswers {
    QStringList titles;
    void answerWith(const QString& answer)
    {
        apptest::whenModalShown(
            [this, answer](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            titles << QTextDocumentFragment::fromHtml(box->text()).toPlainText();
            for (QAbstractButton* button : box->buttons()) {
                if (button->text() == answer)
                    button->click();
            }
        },
            "QMessageBox");
    }
};

// Opens the dialog, lets steps run inside it, and returns once it is closed.
void inPresetDialog(AppDelegate& controller, const std::function<void()>& steps)
{
    apptest::whenModalShown(
        [&controller, steps](QWidget*) {
            steps();
            if (controller.AddPresetDialogOutlet->isVisible())
                controller.CancelPresetButtonAction();
        },
        "QDialog", [&controller](QWidget* shown) { return shown == controller.AddPresetDialogOutlet; });
    controller.AddPresetAction();
}

} // namespace

class PresetsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { apptest::clearPreferences(); }

    void defaultNameAndCounter_data()
    {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QString>("proposed");
        QTest::newRow("none") << QStringList{} << "Page Size Preset";
        QTest::newRow("base name taken") << QStringList{"Page Size Preset"} << "Page Size Preset 1";
        QTest::newRow("base and 1 taken") << QStringList{"Page Size Preset 1", "Page Size Preset"}
                                          << "Page Size Preset 2";
    }

    void defaultNameAndCounter()
    {
        QFETCH(QStringList, existing);
        QFETCH(QString, proposed);
        QVariantMap presets;
        for (int index = 0; index < existing.size(); ++index)
            presets.insert(existing[index], preset(index));
        QVERIFY(apptest::writePreferences(kPresetFile, presets));
        AppDelegate controller;
        QString shown;
        inPresetDialog(controller, [&] {
            shown = controller.PresetNameComboboxOutlet->currentText();
            apptest::saveScreenshot(controller.AddPresetDialogOutlet, QStringLiteral("preset-dialog"));
        });
        QCOMPARE(shown, proposed);
    }

    void savingNewPresets()
    {
        AppDelegate controller;
        for (const QString& name : {QStringLiteral("Wide"), QStringLiteral("Narrow")}) {
            inPresetDialog(controller, [&] {
                controller.PresetNameComboboxOutlet->setEditText(name);
                controller.SavePresetAction();
            });
        }
        QCOMPARE(savedIndexes(), (QMap<QString, qint64>{{"Wide", 0}, {"Narrow", 1}}));
        QCOMPARE(presetItems(controller), (QStringList{"Wide", "Narrow"}));
        QCOMPARE(controller.PageSizePopupOutlet->currentIndex(), AppDelegate::kFirstPresetItem + 1);
        const QVariantMap saved = apptest::readPreferences(kPresetFile).value("Wide").toMap();
        QCOMPARE(saved.value("InputType").toString(), QStringLiteral("Millimetres"));
        QCOMPARE(saved.value("Width").toString(), QStringLiteral("210"));
        QCOMPARE(saved.value("Bottom").toString(), QStringLiteral("31.7"));
        QCOMPARE(QFile::permissions(platform::preferencesFolder() + "/" + platform::bundleIdentifier()
                                    + "-PresetPref.plist")
                     & (QFile::ReadGroup | QFile::ReadOther),
                 QFile::Permissions());
    }

    void refusedNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("alert");
        QTest::newRow("empty") << "" << "Please enter a name for the preset.";
        QTest::newRow("built-in") << "A5 (148 \u00d7 210 mm)"
                                  << "\u201cA5 (148 \u00d7 210 mm)\u201d is the name of a built-in page size. "
                                     "Please choose another name.";
    }

    void refusedNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, alert);
        AppDelegate controller;
        AlertAnswers answers;
        bool stayedOpen = false;
        inPresetDialog(controller, [&] {
            controller.PresetNameComboboxOutlet->setEditText(name);
            answers.answerWith(QStringLiteral("OK"));
            controller.SavePresetAction();
            stayedOpen = controller.AddPresetDialogOutlet->isVisible();
        });
        QCOMPARE(answers.titles, QStringList{alert});
        QVERIFY(stayedOpen);
        QVERIFY(apptest::readPreferences(kPresetFile).isEmpty());
    }

    // Replacing asks first and keeps the preset's place.
    void replacingAPreset()
    {
        QVERIFY(apptest::writePreferences(kPresetFile, {{"A", preset(0)}, {"B", preset(1)}}));
        AppDelegate controller;
        controller.widthEditFieldOutlet->setText(QStringLiteral("99"));
        for (const QString& answer : {QStringLiteral("No"), QStringLiteral("Replace")}) {
            AlertAnswers answers;
            inPresetDialog(controller, [&] {
                controller.PresetNameComboboxOutlet->setEditText(QStringLiteral("A"));
                answers.answerWith(answer);
                controller.SavePresetAction();
            });
            QCOMPARE(answers.titles.size(), 1);
        }
        const QVariantMap saved = apptest::readPreferences(kPresetFile);
        QCOMPARE(saved.value("A").toMap().value("Width").toString(), QStringLiteral("99"));
        QCOMPARE(savedIndexes(), (QMap<QString, qint64>{{"A", 0}, {"B", 1}}));
        QCOMPARE(presetItems(controller), (QStringList{"A", "B"}));
        QCOMPARE(controller.PageSizePopupOutlet->currentIndex(), AppDelegate::kFirstPresetItem);
    }

    void removingAPreset()
    {
        QVERIFY(apptest::writePreferences(kPresetFile, {{"A", preset(0)}, {"B", preset(1)}, {"C", preset(2)}}));
        AppDelegate controller;
        bool stayedOpen = false;
        AlertAnswers answers;
        inPresetDialog(controller, [&] {
            controller.PresetNameComboboxOutlet->setEditText(QStringLiteral("B"));
            answers.answerWith(QStringLiteral("Remove"));
            controller.RemovePresetAction();
            stayedOpen = controller.AddPresetDialogOutlet->isVisible();
        });
        QVERIFY(stayedOpen);
        QCOMPARE(savedIndexes(), (QMap<QString, qint64>{{"A", 0}, {"C", 1}}));
        QCOMPARE(presetItems(controller), (QStringList{"A", "C"}));

        AlertAnswers missing;
        inPresetDialog(controller, [&] {
            controller.PresetNameComboboxOutlet->setEditText(QStringLiteral("Nope"));
            missing.answerWith(QStringLiteral("OK"));
            controller.RemovePresetAction();
        });
        QCOMPARE(missing.titles, QStringList{"There is no preset named \u201cNope\u201d."});
    }

    void applyingAPreset()
    {
        QVERIFY(apptest::writePreferences(kPresetFile, {{"Card", preset(0, "Points")}}));
        AppDelegate controller;
        controller.PageSizePopupOutlet->setCurrentIndex(AppDelegate::kFirstPresetItem);
        controller.ChangePageSizePresetPopup();
        QCOMPARE(controller.widthEditFieldOutlet->text(), QStringLiteral("100"));
        QCOMPARE(controller.heightStepperOutlet->value(), 150.5);
        QCOMPARE(controller.currentSizeFormatType, PageSizeUnitPoint);
        QCOMPARE(controller.GetSizeTypeFactor(), 1.0);
    }

    // A unit title no item bears leaves no unit: conversions wait for a
    // built-in size.
    void presetWithAnUnknownUnit()
    {
        QVERIFY(apptest::writePreferences(kPresetFile, {{"Odd", preset(0, "Furlongs")}}));
        AppDelegate controller;
        controller.PageSizePopupOutlet->setCurrentIndex(AppDelegate::kFirstPresetItem);
        controller.ChangePageSizePresetPopup();
        QCOMPARE(controller.inSizeTypePopupOutlet->currentIndex(), -1);
        QCOMPARE(controller.currentSizeFormatType, -1);
        QCOMPARE(controller.GetSizeTypeFactor(), -1.0);
        controller.inSizeTypePopupOutlet->setCurrentIndex(0);
        controller.ChangeSizeInTypePopup();
        QCOMPARE(controller.widthEditFieldOutlet->text(), QStringLiteral("100"));
    }
};

APP_TEST(PresetsTest);
#include "PresetsTest.moc"
