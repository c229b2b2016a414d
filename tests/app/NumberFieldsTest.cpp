// The validated numeric fields: what a typed text becomes while typing and
// when editing ends.
#include "tests/app/AppTestSupport.h"

#include "app/NumberFields.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>

#include <functional>

namespace {

QLineEdit* editOf(QWidget* control)
{
    if (auto* box = qobject_cast<QComboBox*>(control))
        return box->lineEdit();
    return qobject_cast<QLineEdit*>(control);
}

// Pastes the text as one edit of the user, as typing it whole would end.
void typeText(QLineEdit* edit, const QString& text)
{
    edit->clear();
    QApplication::clipboard()->setText(text);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
}

std::unique_ptr<QWidget> makeControl(const QString& name)
{
    static const std::map<QString, std::function<QWidget*()>> makers = {
        {"WholeNumberField", [] { return new WholeNumberField; }},
        {"NumberField", [] { return new NumberField; }},
        {"ZeroCountNumberField", [] { return new ZeroCountNumberField; }},
        {"StartDigitNumberField", [] { return new StartDigitNumberField; }},
        {"PageCountNumberField", [] { return new PageCountNumberField; }},
        {"FileSizeNumberField", [] { return new FileSizeNumberField; }},
        {"FontSizeNumberField", [] { return new FontSizeNumberField; }},
        {"RotationAngleNumberField", [] { return new RotationAngleNumberField; }},
        {"ShadowXOffsetNumberField", [] { return new ShadowXOffsetNumberField; }},
        {"PDFScaleNumberField", [] { return new PDFScaleNumberField; }},
        {"CharSpaceField", [] { return new CharSpaceField; }},
        {"ScaleFactorNumberField", [] { return new ScaleFactorNumberField; }},
        {"PageRangeNumberField", [] { return new PageRangeNumberField; }},
        {"ResolutionComboBox", [] { return new ResolutionComboBox; }},
        {"ScaleComboBox", [] { return new ScaleComboBox; }},
    };
    return std::unique_ptr<QWidget>(makers.at(name)());
}

} // namespace

class NumberFieldsTest : public QObject {
    Q_OBJECT
private slots:
    void typedTexts_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("whileTyping");
        QTest::addColumn<QString>("atEnd");
        const QList<QStringList> rows = {
            {"NumberField", "12a", "12", "12"},
            {"NumberField", "a", "0", "0"},
            {"NumberField", "2.5", "2.5", "2.5"},
            {"NumberField", "-3", "-3", "0"},
            {"NumberField", "nan", "0", "0"},
            {"NumberField", "inf", "0", "0"},
            {"NumberField", "-inf", "0", "0"},
            {"NumberField", "1,5", "1", "1"},
            {"NumberField", "0x1A", "0", "0"},
            {"NumberField", " 7 ", " 7 ", " 7 "},
            {"NumberField", "1e3", "1e3", "1e3"},
            {"NumberField", "1e999", "0", "0"},
            {"NumberField", "12.5.3", "12.5", "12.5"},
            {"WholeNumberField", "3.7", "3", "3"},
            {"WholeNumberField", "-4x", "0", "0"},
            {"ZeroCountNumberField", "-2", "-2", "0"},
            {"StartDigitNumberField", "-1.5x", "0", "0"},
            {"StartDigitNumberField", "0.3x", "0.3", "0.3"},
            {"PageCountNumberField", "x", "1", "1"},
            {"FileSizeNumberField", "0.3", "0.3", "0"},
            {"FileSizeNumberField", "0.3x", "0.5", "0.5"},
            {"FontSizeNumberField", "0", "0", "1"},
            {"RotationAngleNumberField", "-90", "-90", "0"},
            {"ShadowXOffsetNumberField", "-", "-", "-"},
            {"ShadowXOffsetNumberField", "-6000x", "-5000", "-5000"},
            {"ShadowXOffsetNumberField", "-5000", "-5000", "-5000"},
            {"ShadowXOffsetNumberField", "-7000", "-7000", "-5000"},
            {"PDFScaleNumberField", "50%", "50%", "50%"},
            {"PDFScaleNumberField", " 50", "50", "50"},
            {"PDFScaleNumberField", "1", "1", "1"},
            {"CharSpaceField", "-0.5", "-0.5", "0"},
            {"ScaleFactorNumberField", "5", "5", "10"},
            {"ScaleFactorNumberField", "5x", "10", "10"},
            {"PageRangeNumberField", "1-5,7", "1-5,7", "1-5,7"},
            {"PageRangeNumberField", "1--", "1-", "1-"},
            {"PageRangeNumberField", "1-,", "1-", "1-"},
            {"PageRangeNumberField", "3a-4", "3", "3"},
            {"PageRangeNumberField", ",", "", ""},
            {"PageRangeNumberField", ",5", ",5", ",5"},
            {"ResolutionComboBox", "-5", "-5", "1"},
            {"ResolutionComboBox", "300dpi", "300", "300"},
            {"ScaleComboBox", "7000%", "6400", "6400"},
            {"ScaleComboBox", "0", "0", "0"},
            {"ScaleComboBox", "abc", "1", "1"},
        };
        for (const QStringList& row : rows) {
            QTest::addRow("%s %s", qPrintable(row[0]), qPrintable(row[1]))
                << row[0] << row[1] << row[2] << row[3];
        }
    }

    void typedTexts()
    {
        QFETCH(QString, control);
        QFETCH(QString, typed);
        QFETCH(QString, whileTyping);
        QFETCH(QString, atEnd);
        std::unique_ptr<QWidget> widget = makeControl(control);
        QLineEdit* edit = editOf(widget.get());
        QVERIFY(edit);
        typeText(edit, typed);
        QCOMPARE(edit->text(), whileTyping);
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(edit->text(), atEnd);
    }

    // An empty text stays empty while typing; at the end only the members
    // whose rule tests "at most" fill it.
    void emptyTextAtEnd()
    {
        for (const auto& [name, expected] : std::map<QString, QString>{
                 {"NumberField", ""}, {"PageCountNumberField", "1"}, {"ShadowXOffsetNumberField", ""},
                 {"RotationAngleNumberField", "0"}, {"ZeroCountNumberField", ""}}) {
            std::unique_ptr<QWidget> widget = makeControl(name);
            QLineEdit* edit = editOf(widget.get());
            typeText(edit, QStringLiteral("5"));
            QTest::keyClick(edit, Qt::Key_Backspace);
            QCOMPARE(edit->text(), QString());
            QTest::keyClick(edit, Qt::Key_Return);
            QVERIFY2(edit->text() == expected, qPrintable(name + ": " + edit->text()));
        }
    }

    // Text set by the program is neither corrected nor signalled.
    void programChangesAreLeftAlone()
    {
        NumberField field;
        int signals_ = 0;
        connect(&field, &ValidatedTextField::textDidChange, this, [&] { ++signals_; });
        field.setText(QStringLiteral("abc"));
        QCOMPARE(field.text(), QStringLiteral("abc"));
        QCOMPARE(signals_, 0);
        typeText(&field, QStringLiteral("4"));
        QCOMPARE(signals_, 1);
    }
};

APP_TEST(NumberFieldsTest);
#include "NumberFieldsTest.moc"
