// The value scanner of the store's answer: a search over the text, not a
// JSON parser. It takes the first occurrence of a key at any depth and sees
// a value only when a comma follows it somewhere.
#include "app/MacAppStoreRating.h"

#include <QLatin1String>
#include <QStringView>

#include <cctype>
#include <utility>

namespace {

// Hexadecimal digits after a backslash-u.
constexpr qsizetype kEscapeDigits = 4;

// Where the value from start ends: the next comma; for a value that opens a
// quote, the first comma after which the trimmed value also ends in a quote.
// -1 when there is no such comma.
qsizetype valueEnd(QStringView text, qsizetype start)
{
    qsizetype comma = text.indexOf(u',', start);
    if (comma < 0)
        return -1;
    qsizetype first = start;
    while (first < comma && text[first].isSpace())
        ++first;
    if (first == comma || text[first] != u'"')
        return comma;
    // Only the last character before each comma is looked at: the scan stays
    // linear however many commas the quoted value holds.
    for (;;) {
        qsizetype last = comma - 1;
        while (last > first && text[last].isSpace())
            --last;
        if (text[last] == u'"')
            return comma;
        comma = text.indexOf(u',', comma + 1);
        if (comma < 0)
            return -1;
    }
}

// The escapes replaced one after another, each over the whole text: an
// escaped backslash before n, r, t, f or b thus becomes that control character.
QString replaceEscapes(QString text)
{
    static const std::pair<QLatin1String, QLatin1String> kEscapes[] = {
        {QLatin1String("\\\\"), QLatin1String("\\")}, {QLatin1String("\\/"), QLatin1String("/")},
        {QLatin1String("\\\""), QLatin1String("\"")}, {QLatin1String("\\n"), QLatin1String("\n")},
        {QLatin1String("\\r"), QLatin1String("\r")},  {QLatin1String("\\t"), QLatin1String("\t")},
        {QLatin1String("\\f"), QLatin1String("\f")},  {QLatin1String("\\b"), QLatin1String("\b")},
    };
    for (const auto& [escape, character] : kEscapes)
        text.replace(escape, character);
    return text;
}

// The number spelled by the leading hexadecimal digits; 0 when there are none.
char16_t leadingHexValue(QStringView digits)
{
    qsizetype count = 0;
    while (count < digits.size() && digits[count].unicode() < 0x80 && std::isxdigit(digits[count].unicode()))
        ++count;
    return count == 0 ? 0 : char16_t(digits.first(count).toUShort(nullptr, 16));
}

// Each backslash-u with the four characters after it becomes the UTF-16 unit
// they spell, as if the first one left were replaced again and again: a
// decoded unit can begin or complete the next escape. The text is read once,
// a decoded unit being put back in front of what is still to read.
// A backslash-u with fewer than four characters after it ends the decoding.
QString decodeUnicodeEscapes(const QString& text)
{
    if (!text.contains(QLatin1String("\\u")))
        return text;
    QString pending = text;
    QString decoded;
    decoded.reserve(text.size());
    qsizetype next = 0;
    while (next < pending.size()) {
        if (pending[next] != u'u' || !decoded.endsWith(u'\\')) {
            decoded += pending[next++];
            continue;
        }
        if (pending.size() - next - 1 < kEscapeDigits)
            break;
        const char16_t unit = leadingHexValue(QStringView(pending).sliced(next + 1, kEscapeDigits));
        decoded.chop(1);
        next += kEscapeDigits;
        pending[next] = QChar(unit);
    }
    decoded += QStringView(pending).sliced(next);
    return decoded;
}

} // namespace

QString MacAppStoreRating::valueForKey(const QString& key, const QString& json)
{
    const QString quotedKey = u'"' + key + u'"';
    const qsizetype found = json.indexOf(quotedKey);
    if (found < 0)
        return {};
    const qsizetype colon = json.indexOf(u':', found + quotedKey.size());
    if (colon < 0)
        return {};
    const qsizetype start = colon + 1;
    const qsizetype end = valueEnd(json, start);
    if (end < 0)
        return {};
    QStringView value = QStringView(json).sliced(start, end - start).trimmed();
    while (value.startsWith(u'"'))
        value = value.sliced(1);
    while (value.endsWith(u'"'))
        value.chop(1);
    // An empty value is still a value.
    QString text = value.isEmpty() ? QString(QLatin1String("")) : value.toString();
    return decodeUnicodeEscapes(replaceEscapes(std::move(text)));
}
