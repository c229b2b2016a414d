#include "app/NumberScanner.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

qsizetype skipDigits(QStringView text, qsizetype at)
{
    while (at < text.size() && isDigit(text[at]))
        ++at;
    return at;
}

// The length of the number of the kind at the start of text; 0 for none.
qsizetype numberLength(QStringView text, bool real)
{
    qsizetype at = 0;
    if (at < text.size() && (text[at] == QLatin1Char('+') || text[at] == QLatin1Char('-')))
        ++at;
    const qsizetype digitsStart = at;
    at = skipDigits(text, at);
    qsizetype digits = at - digitsStart;
    if (!real)
        return digits > 0 ? at : 0;
    if (at < text.size() && text[at] == QLatin1Char('.')) {
        const qsizetype fraction = skipDigits(text, at + 1);
        digits += fraction - (at + 1);
        at = fraction;
    }
    if (digits == 0)
        return 0;
    if (at < text.size() && (text[at] == QLatin1Char('e') || text[at] == QLatin1Char('E'))) {
        qsizetype exponent = at + 1;
        if (exponent < text.size()
            && (text[exponent] == QLatin1Char('+') || text[exponent] == QLatin1Char('-')))
            ++exponent;
        const qsizetype exponentEnd = skipDigits(text, exponent);
        if (exponentEnd > exponent)
            at = exponentEnd;
    }
    return at;
}

std::string latin1(QStringView text)
{
    std::string bytes = text.toLatin1().toStdString();
    if (!bytes.empty() && bytes.front() == '+')
        bytes.erase(0, 1);
    return bytes;
}

// A whole number clamped to [lowest, highest]; the text holds only its digits.
std::int64_t clampedInteger(QStringView number, std::int64_t lowest, std::int64_t highest)
{
    const std::string bytes = latin1(number);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(bytes.data(), bytes.data() + bytes.size(), value);
    if (error == std::errc::result_out_of_range)
        return bytes.front() == '-' ? lowest : highest;
    return std::clamp(value, lowest, highest);
}

// A real number; false when it is out of range.
bool realValue(QStringView number, double& value)
{
    const std::string bytes = latin1(number);
    const auto [end, error] = std::from_chars(bytes.data(), bytes.data() + bytes.size(), value);
    return error == std::errc() && std::isfinite(value);
}

bool isReal(NumberKind kind)
{
    return kind == NumberKind::Float || kind == NumberKind::Double;
}

qsizetype skipCharacters(QStringView text, qsizetype at, QStringView skipped)
{
    while (at < text.size() && skipped.contains(text[at]))
        ++at;
    return at;
}

QStringView leadingNumber(QStringView text, bool real)
{
    const qsizetype start = skipCharacters(text, 0, WhiteSpaceCharacters());
    const QStringView rest = text.mid(start);
    return rest.left(numberLength(rest, real));
}

} // namespace

QStringView WhiteSpaceCharacters()
{
    return u" \t\n\r\v\f\u00a0\u2028\u2029";
}

bool IsNumberText(QStringView text, NumberKind kind, QStringView skipped)
{
    const qsizetype start = skipCharacters(text, 0, skipped);
    const QStringView rest = text.mid(start);
    const qsizetype length = numberLength(rest, isReal(kind));
    if (length == 0)
        return false;
    if (isReal(kind)) {
        double value = 0;
        if (!realValue(rest.left(length), value))
            return false;
        if (kind == NumberKind::Float && std::abs(value) > std::numeric_limits<float>::max())
            return false;
    }
    return skipCharacters(rest, length, skipped) == rest.size();
}

std::int64_t LeadingInteger(QStringView text)
{
    const QStringView number = leadingNumber(text, false);
    if (number.isEmpty())
        return 0;
    return clampedInteger(number, std::numeric_limits<std::int64_t>::min(),
                          std::numeric_limits<std::int64_t>::max());
}

std::int32_t LeadingInt32(QStringView text)
{
    const QStringView number = leadingNumber(text, false);
    if (number.isEmpty())
        return 0;
    return std::int32_t(clampedInteger(number, std::numeric_limits<std::int32_t>::min(),
                                       std::numeric_limits<std::int32_t>::max()));
}

double LeadingDouble(QStringView text)
{
    double value = 0;
    const QStringView number = leadingNumber(text, true);
    return !number.isEmpty() && realValue(number, value) ? value : 0;
}

float LeadingFloat(QStringView text)
{
    const double value = LeadingDouble(text);
    return std::abs(value) > std::numeric_limits<float>::max() ? 0.0f : float(value);
}

namespace {

template <typename Real>
QString plainText(Real value)
{
    if (value == 0 || !std::isfinite(value))
        return QStringLiteral("0");
    char buffer[400];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                            std::chars_format::fixed);
    if (error != std::errc())
        return QStringLiteral("0");
    return QString::fromLatin1(buffer, end - buffer);
}

} // namespace

QString PlainNumberText(double value)
{
    return plainText(value);
}

QString PlainNumberText(float value)
{
    return plainText(value);
}
