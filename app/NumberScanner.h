#pragma once
// Numbers in the text of a settings field, read the same way whatever the
// user's locale: an optional sign, digits, at most one point and, for real
// numbers, an exponent. "nan", "inf", "1,5" and hexadecimal are no numbers.
#include <QString>
#include <QStringView>

#include <cstdint>

enum class NumberKind {
    Int32,   // whole number, clamped to 32 bits
    Integer, // whole number, clamped to 64 bits
    Float,   // real number of single precision
    Double,  // real number
};

// True when the whole text is one number of the kind, with nothing but
// characters of skipped around it.
bool IsNumberText(QStringView text, NumberKind kind, QStringView skipped);

// The characters a scan skips unless told otherwise: spaces, tabs, line ends.
QStringView WhiteSpaceCharacters();

// The number at the start of the text after white space (its longest prefix
// that is a number of the kind); 0 when there is none.
std::int64_t LeadingInteger(QStringView text);
std::int32_t LeadingInt32(QStringView text);
double LeadingDouble(QStringView text);
float LeadingFloat(QStringView text);

// The plain decimal text of a number, without grouping or exponent, in the
// fewest digits that read back as the same number of its precision.
QString PlainNumberText(double value);
QString PlainNumberText(float value);
