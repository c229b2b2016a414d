#include "platform/text/FontFamilies.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>

#include <fontconfig/fontconfig.h>

namespace platform::text {

namespace {

// Family names longer than this are damage, not fonts.
constexpr qsizetype kMaxFamilyLength = 256;
// Distinct names looked up per process: past them, names are not cached.
constexpr qsizetype kMaxCachedFamilies = 4096;

QString familyOf(FcPattern* pattern, int index)
{
    FcChar8* value = nullptr;
    if (FcPatternGetString(pattern, FC_FAMILY, index, &value) != FcResultMatch || !value)
        return {};
    return QString::fromUtf8(reinterpret_cast<const char*>(value));
}

// The families fontconfig's rules bind strongly to the one asked for: its
// aliases, such as metric-compatible fonts. The weakly bound ones that follow
// are fallbacks of any shape for any name.
QStringList stronglyBoundFamilies(FcPattern* pattern)
{
    QStringList families;
    FcPatternIter it;
    FcPatternIterStart(pattern, &it);
    if (!FcPatternFindIter(pattern, &it, FC_FAMILY))
        return families;
    const int count = FcPatternIterValueCount(pattern, &it);
    for (int i = 1; i < count; ++i) {
        FcValue value;
        FcValueBinding binding = FcValueBindingWeak;
        if (FcPatternIterGetValue(pattern, &it, i, &value, &binding) != FcResultMatch)
            continue;
        if (value.type == FcTypeString && binding != FcValueBindingWeak)
            families.append(QString::fromUtf8(reinterpret_cast<const char*>(value.u.s)));
    }
    return families;
}

// fontconfig frees its current configuration when the last reference to it
// goes, and reads it again from disk, fonts and all, at the next look-up.
// ImageMagick, when it first lists fonts (for a metafile's text), releases a
// reference it never took; one of our own, taken at the first look-up and
// kept for the process, stands in for the one it drops.
void holdConfiguration()
{
    static FcConfig* const held = FcConfigReference(nullptr);
    (void)held;
}

// Asks fontconfig which installed family it would draw family with, and
// keeps the answer only when it is one of the family's own aliases.
QString lookUp(const QString& family)
{
    holdConfiguration();
    FcPattern* pattern = FcPatternCreate();
    if (!pattern)
        return {};
    const QByteArray name = family.toUtf8();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.constData()));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    const QStringList aliases = stronglyBoundFamilies(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    QString found;
    if (match) {
        const QString matched = familyOf(match, 0);
        if (matched.compare(family, Qt::CaseInsensitive) != 0 && aliases.contains(matched, Qt::CaseInsensitive))
            found = matched;
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return found;
}

} // namespace

QString metricCompatibleFamily(const QString& family)
{
    const QString name = family.trimmed();
    if (name.isEmpty() || name.size() > kMaxFamilyLength)
        return {};
    static QMutex mutex;
    static QHash<QString, QString> cache;
    QMutexLocker lock(&mutex);
    const auto cached = cache.constFind(name);
    if (cached != cache.constEnd())
        return *cached;
    const QString found = lookUp(name);
    if (cache.size() < kMaxCachedFamilies)
        cache.insert(name, found);
    return found;
}

QStringList documentFontFamilies(const QString& family)
{
    const QString name = family.trimmed();
    if (name.isEmpty())
        return {};
    const QString standIn = metricCompatibleFamily(name);
    if (standIn.isEmpty())
        return {name};
    return {name, standIn};
}

} // namespace platform::text
