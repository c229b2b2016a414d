#include "platform/text/WordListStyles_p.h"

#include <algorithm>

namespace platform::text {

QTextListFormat::Style bulletStyle(int level)
{
    static const QTextListFormat::Style bullets[] = {QTextListFormat::ListDisc, QTextListFormat::ListCircle,
                                                     QTextListFormat::ListSquare};
    return bullets[std::max(level, 0) % 3];
}

QTextListFormat::Style wordListStyle(QStringView numberFormat, int level)
{
    if (numberFormat == u"bullet")
        return bulletStyle(level);
    if (numberFormat == u"lowerLetter")
        return QTextListFormat::ListLowerAlpha;
    if (numberFormat == u"upperLetter")
        return QTextListFormat::ListUpperAlpha;
    if (numberFormat == u"lowerRoman")
        return QTextListFormat::ListLowerRoman;
    if (numberFormat == u"upperRoman")
        return QTextListFormat::ListUpperRoman;
    if (numberFormat == u"none")
        return QTextListFormat::ListStyleUndefined;
    return QTextListFormat::ListDecimal;
}

QStringView wordNumberFormatName(int code)
{
    switch (code) {
    case 1: return u"upperRoman";
    case 2: return u"lowerRoman";
    case 3: return u"upperLetter";
    case 4: return u"lowerLetter";
    case 23: return u"bullet";
    case 255: return u"none";
    default: return u"decimal";
    }
}

} // namespace platform::text
