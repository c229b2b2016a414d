#include "platform/pdf/PdfFontName_p.h"

#include <QFontDatabase>
#include <QHash>
#include <QMutex>
#include <QRegularExpression>

#include <array>

namespace platform::pdf {

namespace {

// Installed families by their name without spaces, in lower case; read once.
QString installedFamily(const QString& compact)
{
    static QMutex mutex;
    static QHash<QString, QString> families;
    static bool loaded = false;
    const QMutexLocker lock(&mutex);
    if (!loaded) {
        loaded = true;
        for (const QString& family : QFontDatabase::families())
            families.insert(QString(family).remove(QLatin1Char(' ')).toLower(), family);
    }
    return families.value(compact.toLower());
}

// "TimesNewRoman" -> "Times New Roman": a space before each capital that
// follows a lower-case letter.
QString spacedWords(const QString& compact)
{
    QString spaced;
    for (qsizetype i = 0; i < compact.size(); ++i) {
        if (i > 0 && compact[i].isUpper() && compact[i - 1].isLower())
            spaced.append(QLatin1Char(' '));
        spaced.append(compact[i]);
    }
    return spaced;
}

struct WeightWord {
    const char* word;
    int weight;
};

// Longest words first: "ExtraBold" must win over "Bold".
constexpr std::array kWeightWords{
    WeightWord{"extrabold", QFont::ExtraBold},
    WeightWord{"ultrabold", QFont::ExtraBold},
    WeightWord{"extralight", QFont::ExtraLight},
    WeightWord{"ultralight", QFont::ExtraLight},
    WeightWord{"semibold", QFont::DemiBold},
    WeightWord{"demibold", QFont::DemiBold},
    WeightWord{"black", QFont::Black},
    WeightWord{"heavy", QFont::Black},
    WeightWord{"bold", QFont::Bold},
    WeightWord{"demi", QFont::DemiBold},
    WeightWord{"medium", QFont::Medium},
    WeightWord{"light", QFont::Light},
    WeightWord{"thin", QFont::Thin},
};

} // namespace

FontLook fontLookFromName(const QString& postScriptName)
{
    FontLook look;
    QString name = postScriptName.trimmed();
    // A subset's tag: six capitals and a plus sign.
    static const QRegularExpression subsetTag(QStringLiteral("^[A-Z]{6}\\+"));
    name.remove(subsetTag);
    if (name.isEmpty())
        return look;

    QString family = name;
    QString style;
    const qsizetype separator = name.indexOf(QRegularExpression(QStringLiteral("[-,]")));
    if (separator > 0) {
        family = name.left(separator);
        style = name.mid(separator + 1);
    }
    // Vendor marks that are no part of the family: "ArialMT", "TimesNewRomanPSMT".
    static const QRegularExpression vendorMark(QStringLiteral("(PSMT|PS|MT)$"));
    QString bare = family;
    bare.remove(vendorMark);
    if (bare.isEmpty())
        bare = family;

    // Without a separator the style may be glued to the family ("ArialBold").
    QString lowerStyle = style.toLower();
    if (style.isEmpty()) {
        static const QRegularExpression gluedStyle(QStringLiteral("(Bold|Italic|Oblique|BoldItalic|BoldOblique)$"));
        const QRegularExpressionMatch match = gluedStyle.match(bare);
        if (match.hasMatch() && match.capturedStart() > 0) {
            lowerStyle = match.captured(1).toLower();
            bare.truncate(match.capturedStart());
        }
    }
    for (const WeightWord& w : kWeightWords) {
        if (lowerStyle.contains(QLatin1StringView(w.word))) {
            look.weight = w.weight;
            break;
        }
    }
    static const QRegularExpression italicWords(QStringLiteral("ital|oblique|inclined|kursiv|(^|[a-z])it$"));
    look.italic = italicWords.match(lowerStyle).hasMatch();

    const QString installed = installedFamily(bare);
    look.family = installed.isEmpty() ? spacedWords(bare) : installed;
    return look;
}

} // namespace platform::pdf
