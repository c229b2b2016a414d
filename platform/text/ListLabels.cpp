#include "platform/text/ListLabels.h"

#include <algorithm>

namespace platform::text {

namespace {

constexpr int kMaxListNumber = 99999;
// Roman numerals past this are written in decimals, as word processors do.
constexpr int kMaxRoman = 3999;
// Letters are repeated past z ("aa", "bbb"); this many at most.
constexpr int kMaxLetterRepeats = 64;

QString romanNumber(int n)
{
    static const struct {
        int value;
        const char* digits;
    } steps[] = {{1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
                 {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
    QString out;
    for (const auto& step : steps) {
        for (; n >= step.value; n -= step.value)
            out += QLatin1StringView(step.digits);
    }
    return out;
}

// Word processors write 27 as "aa" and 53 as "aaa".
QString letterNumber(int n)
{
    const int repeats = (n - 1) / 26 + 1;
    if (repeats > kMaxLetterRepeats)
        return QString::number(n);
    return QString(repeats, QChar(u'a' + (n - 1) % 26));
}

QString ordinalSuffix(int n)
{
    const int lastTwo = n % 100;
    if (lastTwo >= 11 && lastTwo <= 13)
        return QStringLiteral("th");
    switch (n % 10) {
    case 1: return QStringLiteral("st");
    case 2: return QStringLiteral("nd");
    case 3: return QStringLiteral("rd");
    default: return QStringLiteral("th");
    }
}

} // namespace

QString formatListNumber(QStringView format, int n)
{
    if (format == u"none" || format == u"bullet")
        return {};
    if (n > 0 && (format == u"lowerLetter" || format == u"upperLetter")) {
        const QString letters = letterNumber(n);
        return format == u"upperLetter" ? letters.toUpper() : letters;
    }
    if (n > 0 && n <= kMaxRoman && (format == u"lowerRoman" || format == u"upperRoman")) {
        const QString roman = romanNumber(n);
        return format == u"upperRoman" ? roman.toUpper() : roman;
    }
    if (format == u"decimalZero" && n >= 0 && n < 10)
        return QLatin1Char('0') + QString::number(n);
    if (format == u"ordinal" && n >= 0)
        return QString::number(n) + ordinalSuffix(n);
    return QString::number(n);
}

QStringView wordNumberFormatName(int code)
{
    switch (code) {
    case 1: return u"upperRoman";
    case 2: return u"lowerRoman";
    case 3: return u"upperLetter";
    case 4: return u"lowerLetter";
    case 5: return u"ordinal";
    case 22: return u"decimalZero";
    case 23: return u"bullet";
    case 255: return u"none";
    default: return u"decimal";
    }
}

QString ListCounters::next(const QString& key, int level, const QList<ListLevelLook>& levels,
                           std::optional<int> startOverride)
{
    level = std::clamp(level, 0, kMaxListLevels - 1);
    const auto look = [&](int l) { return l < levels.size() ? levels[l] : ListLevelLook(); };
    Counts& counts = m_counts[key];
    const ListLevelLook own = look(level);
    int& number = counts.numbers[level];
    if (startOverride)
        number = std::clamp(*startOverride, 0, kMaxListNumber);
    else if (!counts.used[level])
        number = std::clamp(own.start, 0, kMaxListNumber);
    else
        number = std::min(number + 1, kMaxListNumber);
    counts.used[level] = true;
    // Deeper levels count afresh after this item, unless they say otherwise.
    for (int deeper = level + 1; deeper < kMaxListLevels; ++deeper) {
        const int restartAfter = look(deeper).restartAfter;
        if (restartAfter < 0 || level <= restartAfter)
            counts.used[deeper] = false;
    }
    QString label;
    const QString& text = own.text;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'%' && i + 1 < text.size() && text[i + 1] >= u'1' && text[i + 1] <= u'9') {
            const int named = text[i + 1].unicode() - u'1';
            ++i;
            if (named > level)
                continue; // a level below this one has no number here
            const ListLevelLook other = look(named);
            const int value = counts.used[named] ? counts.numbers[named] : std::clamp(other.start, 0, kMaxListNumber);
            const bool decimal = own.legal && named < level;
            label += formatListNumber(decimal ? QStringView(u"decimal") : QStringView(other.numberFormat), value);
        } else {
            label += c;
        }
    }
    return label;
}

} // namespace platform::text
