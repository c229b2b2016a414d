#pragma once
// The fonts of an Office Open XML theme: documents name "the theme's body
// font" (minorHAnsi) or "its heading font" (majorHAnsi) instead of a family,
// and the theme part says which families those are.
#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

namespace platform::text {

struct ThemeFonts {
    // Latin, East Asian and complex-script families of the heading (major)
    // and body (minor) fonts; empty where the theme names none.
    QString majorLatin, majorEastAsia, majorComplex;
    QString minorLatin, minorEastAsia, minorComplex;

    // The family a theme font reference names ("minorHAnsi", "majorAscii",
    // "minorEastAsia", "majorBidi", ...); empty when it names none.
    QString family(QStringView reference) const;
};

// The font scheme of a theme part; none when it is no well-formed XML.
std::optional<ThemeFonts> readThemeFonts(const QByteArray& xml);

} // namespace platform::text
