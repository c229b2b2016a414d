#include "app/NumberFields.h"

#include "app/NumberScanner.h"

#include <QString>

// One member's rules. typing runs for text that is not empty and is no
// number of the kind; ended when editing ends (null: nothing). typingValid,
// when set, runs for valid text too; filter, when set, replaces the scan.
struct NumericRule {
    NumberKind kind;
    QStringView skipped;
    void (*typing)(NumericText&);
    void (*ended)(NumericText&);
    void (*typingValid)(NumericText&) = nullptr;
    void (*filter)(NumericText&) = nullptr;
};

namespace {

// Scale limits of the scale box: 6400 per cent at most.
constexpr std::int64_t kLargestScale = 6400;
// Shadow offsets below this pull the shadow out of any page.
constexpr std::int64_t kSmallestShadowOffset = -5000;
// The scale factor field's smallest value.
constexpr std::int64_t kSmallestScaleFactor = 10;

void correctWhileTyping(const NumericRule& rule, NumericText text)
{
    if (rule.filter) {
        rule.filter(text);
        return;
    }
    const QString current = text.text();
    if (IsNumberText(current, rule.kind, rule.skipped)) {
        if (rule.typingValid)
            rule.typingValid(text);
        return;
    }
    if (!current.isEmpty())
        rule.typing(text);
}

void correctAtEnd(const NumericRule& rule, NumericText text)
{
    if (rule.ended)
        rule.ended(text);
}

// Page lists such as 1-3,5: the leading run of digits, hyphens and commas.
void filterPageRange(NumericText& text)
{
    static const QString allowed = QStringLiteral("1234567890-,");
    const QString current = text.text();
    qsizetype start = 0;
    while (start < current.size() && WhiteSpaceCharacters().contains(current[start]))
        ++start;
    qsizetype end = start;
    while (end < current.size() && allowed.contains(current[end]))
        ++end;
    QString run = current.mid(start, end - start);
    if (run.size() == 1 && (run == QLatin1String("-") || run == QLatin1String(",")))
        run.clear();
    static const QStringList doubled = {QStringLiteral("--"), QStringLiteral(",,"),
                                        QStringLiteral("-,"), QStringLiteral(",-")};
    if (run.size() >= 2 && doubled.contains(run.right(2)))
        run.chop(1);
    if (run != current)
        text.setText(run);
}

void atLeastOne(NumericText& text)
{
    const std::int64_t value = text.integerValue();
    text.setIntegerValue(value <= 0 ? 1 : value);
}

void atLeastOneAtEnd(NumericText& text)
{
    if (text.integerValue() <= 0)
        text.setIntegerValue(1);
}

void notNegative(NumericText& text)
{
    const std::int64_t value = text.integerValue();
    text.setIntegerValue(value < 0 ? 0 : value);
}

void notNegativeAtEnd(NumericText& text)
{
    if (text.integerValue() < 0)
        text.setIntegerValue(0);
}

void zeroOrAboveAtEnd(NumericText& text)
{
    if (text.integerValue() <= 0)
        text.setIntegerValue(0);
}

void positiveReal(NumericText& text)
{
    const double value = text.doubleValue();
    text.setDoubleValue(value > 0 ? value : 0);
}

void positiveRealAtEnd(NumericText& text)
{
    if (text.doubleValue() < 0)
        text.setDoubleValue(0.0);
}

void shadowOffset(NumericText& text)
{
    if (text.text() == QLatin1String("-"))
        return;
    const std::int64_t value = text.integerValue();
    text.setIntegerValue(value < kSmallestShadowOffset ? kSmallestShadowOffset : value);
}

void shadowOffsetAtEnd(NumericText& text)
{
    if (text.integerValue() <= kSmallestShadowOffset)
        text.setIntegerValue(kSmallestShadowOffset);
}

void largestScale(NumericText& text)
{
    if (text.integerValue() > kLargestScale)
        text.setIntegerValue(kLargestScale);
}

void scaleWhileTyping(NumericText& text)
{
    atLeastOne(text);
    largestScale(text);
}

const QStringView kWhiteSpace = WhiteSpaceCharacters();
const QStringView kPercent = u"%";

const NumericRule kWholeNumber{
    NumberKind::Int32, kWhiteSpace,
    [](NumericText& t) {
        const std::int32_t value = t.intValue();
        t.setIntValue(value > 0 ? value : 0);
    },
    notNegativeAtEnd};
const NumericRule kNumber{NumberKind::Double, kWhiteSpace, positiveReal, positiveRealAtEnd};
const NumericRule kZeroCount{NumberKind::Integer, kWhiteSpace, notNegative, notNegativeAtEnd};
const NumericRule kStartDigit{
    NumberKind::Float, kWhiteSpace,
    [](NumericText& t) {
        const float value = t.floatValue();
        t.setFloatValue(value >= 0 ? value : 0);
    },
    [](NumericText& t) {
        if (t.floatValue() < 0)
            t.setIntegerValue(0);
    }};
const NumericRule kAtLeastOne{NumberKind::Integer, kWhiteSpace, atLeastOne, atLeastOneAtEnd};
const NumericRule kFileSize{
    NumberKind::Float, kWhiteSpace,
    [](NumericText& t) {
        const float value = t.floatValue();
        t.setFloatValue(value >= 0.5f ? value : 0.5f);
    },
    [](NumericText& t) {
        if (t.floatValue() < 0.5f)
            t.setIntegerValue(0);
    }};
const NumericRule kZeroOrAbove{NumberKind::Integer, kWhiteSpace, notNegative, zeroOrAboveAtEnd};
const NumericRule kShadowOffset{NumberKind::Integer, kWhiteSpace, shadowOffset, shadowOffsetAtEnd};
const NumericRule kPDFScale{NumberKind::Integer, kPercent, atLeastOne, [](NumericText& t) {
                                if (t.integerValue() <= 1)
                                    t.setIntegerValue(1);
                            }};
const NumericRule kScaleFactor{
    NumberKind::Integer, kWhiteSpace,
    [](NumericText& t) {
        const std::int64_t value = t.integerValue();
        t.setIntegerValue(value < kSmallestScaleFactor ? kSmallestScaleFactor : value);
    },
    [](NumericText& t) {
        if (t.integerValue() < kSmallestScaleFactor)
            t.setIntegerValue(kSmallestScaleFactor);
    }};
const NumericRule kScaleBox{NumberKind::Integer, kPercent, scaleWhileTyping, nullptr, largestScale};
const NumericRule kPageRange{NumberKind::Integer, kWhiteSpace, nullptr, nullptr, nullptr,
                             filterPageRange};

} // namespace

QString NumericText::text() const
{
    return m_edit ? m_edit->text() : QString();
}

void NumericText::setText(const QString& text)
{
    if (m_edit)
        m_edit->setText(text);
}

std::int32_t NumericText::intValue() const
{
    return LeadingInt32(text());
}

std::int64_t NumericText::integerValue() const
{
    return LeadingInteger(text());
}

float NumericText::floatValue() const
{
    return LeadingFloat(text());
}

double NumericText::doubleValue() const
{
    return LeadingDouble(text());
}

void NumericText::setIntValue(std::int32_t value)
{
    setText(QString::number(value));
}

void NumericText::setIntegerValue(std::int64_t value)
{
    setText(QString::number(value));
}

void NumericText::setFloatValue(float value)
{
    setText(PlainNumberText(value));
}

void NumericText::setDoubleValue(double value)
{
    setText(PlainNumberText(value));
}

ValidatedTextField::ValidatedTextField(const NumericRule& rule, QWidget* parent)
    : QLineEdit(parent), m_rule(rule)
{
    connect(this, &QLineEdit::textEdited, this, [this] {
        correctWhileTyping(m_rule, numbers());
        emit textDidChange();
    });
    connect(this, &QLineEdit::editingFinished, this, [this] {
        correctAtEnd(m_rule, numbers());
        emit textDidEndEditing();
    });
}

ValidatedComboBox::ValidatedComboBox(const NumericRule& rule, QWidget* parent)
    : QComboBox(parent), m_rule(rule)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] {
        correctWhileTyping(m_rule, numbers());
        emit textDidChange();
    });
    connect(lineEdit(), &QLineEdit::editingFinished, this, [this] {
        correctAtEnd(m_rule, numbers());
        emit textDidEndEditing();
    });
}

WholeNumberField::WholeNumberField(QWidget* parent) : ValidatedTextField(kWholeNumber, parent) {}
NumberField::NumberField(QWidget* parent) : ValidatedTextField(kNumber, parent) {}
ZeroCountNumberField::ZeroCountNumberField(QWidget* parent) : ValidatedTextField(kZeroCount, parent) {}
StartDigitNumberField::StartDigitNumberField(QWidget* parent) : ValidatedTextField(kStartDigit, parent) {}
PageCountNumberField::PageCountNumberField(QWidget* parent) : ValidatedTextField(kAtLeastOne, parent) {}
FileSizeNumberField::FileSizeNumberField(QWidget* parent) : ValidatedTextField(kFileSize, parent) {}
FontSizeNumberField::FontSizeNumberField(QWidget* parent) : ValidatedTextField(kAtLeastOne, parent) {}
RotationAngleNumberField::RotationAngleNumberField(QWidget* parent)
    : ValidatedTextField(kZeroOrAbove, parent) {}
ShadowBlurNumberField::ShadowBlurNumberField(QWidget* parent) : ValidatedTextField(kZeroOrAbove, parent) {}
ShadowXOffsetNumberField::ShadowXOffsetNumberField(QWidget* parent)
    : ValidatedTextField(kShadowOffset, parent) {}
ShadowYOffsetNumberField::ShadowYOffsetNumberField(QWidget* parent)
    : ValidatedTextField(kShadowOffset, parent) {}
PDFScaleNumberField::PDFScaleNumberField(QWidget* parent) : ValidatedTextField(kPDFScale, parent) {}
CharSpaceField::CharSpaceField(QWidget* parent) : ValidatedTextField(kNumber, parent) {}
ScaleFactorNumberField::ScaleFactorNumberField(QWidget* parent) : ValidatedTextField(kScaleFactor, parent) {}
PageRangeNumberField::PageRangeNumberField(QWidget* parent) : ValidatedTextField(kPageRange, parent) {}
ResolutionComboBox::ResolutionComboBox(QWidget* parent) : ValidatedComboBox(kAtLeastOne, parent) {}
ScaleComboBox::ScaleComboBox(QWidget* parent) : ValidatedComboBox(kScaleBox, parent) {}
