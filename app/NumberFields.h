#pragma once
// Text fields and combo boxes that keep their text numeric while the user
// types and pull the value into its allowed range when editing ends. Each
// member differs only in the kind of number it scans and in its two rules;
// all state is the control's text. Changes made by the program (setText, the
// value setters) are never corrected and never signalled.
#include <QComboBox>
#include <QLineEdit>

#include <cstdint>

struct NumericRule;

// A control's text read and set as numbers.
class NumericText {
public:
    explicit NumericText(QLineEdit* edit) : m_edit(edit) {}

    QString text() const;
    void setText(const QString& text);
    std::int32_t intValue() const;
    std::int64_t integerValue() const;
    float floatValue() const;
    double doubleValue() const;
    void setIntValue(std::int32_t value);
    void setIntegerValue(std::int64_t value);
    void setFloatValue(float value);
    void setDoubleValue(double value);

private:
    QLineEdit* m_edit;
};

class ValidatedTextField : public QLineEdit {
    Q_OBJECT
public:
    std::int32_t intValue() const { return numbers().intValue(); }
    std::int64_t integerValue() const { return numbers().integerValue(); }
    float floatValue() const { return numbers().floatValue(); }
    double doubleValue() const { return numbers().doubleValue(); }
    void setDoubleValue(double value) { numbers().setDoubleValue(value); }
    void setIntegerValue(std::int64_t value) { numbers().setIntegerValue(value); }

signals:
    // The user changed the text; the correction has been made.
    void textDidChange();
    // Editing ended (Return or focus leaving); the correction has been made.
    void textDidEndEditing();

protected:
    ValidatedTextField(const NumericRule& rule, QWidget* parent);

private:
    NumericText numbers() const { return NumericText(const_cast<ValidatedTextField*>(this)); }
    const NumericRule& m_rule;
};

class ValidatedComboBox : public QComboBox {
    Q_OBJECT
public:
    std::int64_t integerValue() const { return numbers().integerValue(); }
    void setIntegerValue(std::int64_t value) { numbers().setIntegerValue(value); }

signals:
    void textDidChange();
    void textDidEndEditing();

protected:
    ValidatedComboBox(const NumericRule& rule, QWidget* parent);

private:
    NumericText numbers() const { return NumericText(lineEdit()); }
    const NumericRule& m_rule;
};

// The members of the family, by the numbers they hold.
class WholeNumberField final : public ValidatedTextField {
public:
    explicit WholeNumberField(QWidget* parent = nullptr);
};
class NumberField final : public ValidatedTextField {
public:
    explicit NumberField(QWidget* parent = nullptr);
};
class ZeroCountNumberField final : public ValidatedTextField {
public:
    explicit ZeroCountNumberField(QWidget* parent = nullptr);
};
class StartDigitNumberField final : public ValidatedTextField {
public:
    explicit StartDigitNumberField(QWidget* parent = nullptr);
};
class PageCountNumberField final : public ValidatedTextField {
public:
    explicit PageCountNumberField(QWidget* parent = nullptr);
};
class FileSizeNumberField final : public ValidatedTextField {
public:
    explicit FileSizeNumberField(QWidget* parent = nullptr);
};
class FontSizeNumberField final : public ValidatedTextField {
public:
    explicit FontSizeNumberField(QWidget* parent = nullptr);
};
class RotationAngleNumberField final : public ValidatedTextField {
public:
    explicit RotationAngleNumberField(QWidget* parent = nullptr);
};
class ShadowBlurNumberField final : public ValidatedTextField {
public:
    explicit ShadowBlurNumberField(QWidget* parent = nullptr);
};
class ShadowXOffsetNumberField final : public ValidatedTextField {
public:
    explicit ShadowXOffsetNumberField(QWidget* parent = nullptr);
};
class ShadowYOffsetNumberField final : public ValidatedTextField {
public:
    explicit ShadowYOffsetNumberField(QWidget* parent = nullptr);
};
class PDFScaleNumberField final : public ValidatedTextField {
public:
    explicit PDFScaleNumberField(QWidget* parent = nullptr);
};
class CharSpaceField final : public ValidatedTextField {
public:
    explicit CharSpaceField(QWidget* parent = nullptr);
};
class ScaleFactorNumberField final : public ValidatedTextField {
public:
    explicit ScaleFactorNumberField(QWidget* parent = nullptr);
};
class PageRangeNumberField final : public ValidatedTextField {
public:
    explicit PageRangeNumberField(QWidget* parent = nullptr);
};
class ResolutionComboBox final : public ValidatedComboBox {
public:
    explicit ResolutionComboBox(QWidget* parent = nullptr);
};
class ScaleComboBox final : public ValidatedComboBox {
public:
    explicit ScaleComboBox(QWidget* parent = nullptr);
};
