#include "platform/text/word/WordTheme.h"

#include "platform/text/DocumentXml_p.h"

#include <QXmlStreamReader>

namespace platform::text {

namespace {

// Typeface names longer than this are damage.
constexpr qsizetype kMaxTypefaceLength = 256;

void readFontCollection(QXmlStreamReader& xml, QString& latin, QString& eastAsia, QString& complex)
{
    while (xml.readNextStartElement()) {
        const QStringView n = xml.name();
        const QString typeface = attr(xml, QLatin1StringView("typeface")).left(kMaxTypefaceLength).toString();
        if (n == u"latin")
            latin = typeface;
        else if (n == u"ea")
            eastAsia = typeface;
        else if (n == u"cs")
            complex = typeface;
        xml.skipCurrentElement();
    }
}

} // namespace

QString ThemeFonts::family(QStringView reference) const
{
    const bool major = reference.startsWith(u"major");
    if (!major && !reference.startsWith(u"minor"))
        return {};
    const QStringView script = reference.mid(5);
    if (script == u"Ascii" || script == u"HAnsi")
        return major ? majorLatin : minorLatin;
    if (script == u"EastAsia")
        return major ? majorEastAsia : minorEastAsia;
    if (script == u"Bidi")
        return major ? majorComplex : minorComplex;
    return {};
}

std::optional<ThemeFonts> readThemeFonts(const QByteArray& bytes)
{
    ThemeFonts fonts;
    QXmlStreamReader xml(bytes);
    if (!xml.readNextStartElement())
        return std::nullopt;
    walkElement(xml, [&](QXmlStreamReader& x) {
        if (x.name() == u"majorFont") {
            readFontCollection(x, fonts.majorLatin, fonts.majorEastAsia, fonts.majorComplex);
            return true;
        }
        if (x.name() == u"minorFont") {
            readFontCollection(x, fonts.minorLatin, fonts.minorEastAsia, fonts.minorComplex);
            return true;
        }
        return false;
    });
    if (xml.hasError())
        return std::nullopt;
    return fonts;
}

} // namespace platform::text
