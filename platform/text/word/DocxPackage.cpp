#include "platform/text/word/DocxPackage_p.h"

#include "platform/text/ZipPackage.h"

#include <QStringList>
#include <QXmlStreamReader>

namespace platform::text {

namespace {

constexpr int kMaxRelationships = 10000;

QString relationshipsOf(const QString& part)
{
    const qsizetype slash = part.lastIndexOf(QLatin1Char('/'));
    return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) + QStringLiteral(".rels");
}

} // namespace

QString folderOf(const QString& part)
{
    const qsizetype slash = part.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : part.left(slash + 1);
}

QString resolvePart(const QString& base, const QString& target)
{
    QString path = target.startsWith(QLatin1Char('/')) ? target.mid(1) : base + target;
    QStringList out;
    for (const QString& piece : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (piece == u".")
            continue;
        if (piece == u"..") {
            if (!out.isEmpty())
                out.removeLast();
            continue;
        }
        out.append(piece);
    }
    return out.join(QLatin1Char('/'));
}

std::optional<Relationships> readRelationships(ZipPackage& zip, const QString& relsPart)
{
    Relationships map;
    if (!zip.contains(relsPart))
        return map;
    const std::optional<QByteArray> bytes = zip.read(relsPart);
    if (!bytes)
        return std::nullopt;
    QXmlStreamReader xml(*bytes);
    if (!xml.readNextStartElement())
        return std::nullopt;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"Relationship" && map.size() < kMaxRelationships) {
            const QXmlStreamAttributes a = xml.attributes();
            map.insert(a.value(QLatin1StringView("Id")).toString(),
                       {a.value(QLatin1StringView("Type")).toString(),
                        a.value(QLatin1StringView("Target")).toString(),
                        a.value(QLatin1StringView("TargetMode")) == u"External"});
        }
        xml.skipCurrentElement();
    }
    if (xml.hasError())
        return std::nullopt;
    return map;
}

std::optional<Relationships> readPartRelationships(ZipPackage& zip, const QString& part)
{
    return readRelationships(zip, relationshipsOf(part));
}

std::optional<QString> targetOfType(const Relationships& rels, QStringView typeSuffix)
{
    for (const Relationship& r : rels) {
        if (!r.external && r.type.endsWith(typeSuffix))
            return r.target;
    }
    return std::nullopt;
}

std::optional<DocxParts> DocxParts::read(ZipPackage& zip, const QString& mainPart, const Relationships& rels)
{
    DocxParts parts;
    parts.m_zip = &zip;
    parts.m_base = folderOf(mainPart);
    parts.m_rels = rels;
    // The theme only names fonts: a damaged one is left out.
    if (const std::optional<QByteArray> bytes = parts.partOfType(u"/theme"))
        parts.m_theme = readThemeFonts(*bytes);
    // Optional parts: absent is fine, damaged is not.
    for (const auto& [suffix, slot] : {std::pair{u"/styles", &parts.m_styles}, std::pair{u"/numbering", &parts.m_numbering}}) {
        const auto target = targetOfType(rels, suffix);
        if (!target)
            continue;
        const QString part = resolvePart(parts.m_base, *target);
        if (!zip.contains(part))
            continue;
        *slot = zip.read(part);
        if (!*slot)
            return std::nullopt;
    }
    return parts;
}

std::optional<QByteArray> DocxParts::partOfType(QStringView typeSuffix, QString* name) const
{
    const auto target = targetOfType(m_rels, typeSuffix);
    if (!target)
        return std::nullopt;
    const QString part = resolvePart(m_base, *target);
    if (name)
        *name = part;
    return m_zip->contains(part) ? m_zip->read(part) : std::nullopt;
}

bool DocxParts::prepare(WordprocessingParser& parser) const
{
    if (m_theme)
        parser.setThemeFonts(*m_theme);
    return (!m_styles || parser.readStyles(*m_styles)) && (!m_numbering || parser.readNumbering(*m_numbering));
}

WordprocessingParser::PartName DocxParts::partNames(const QString& part, const Relationships& rels) const
{
    const QString base = folderOf(part);
    return [rels, base](const QString& id) {
        const auto it = rels.constFind(id);
        return it == rels.constEnd() || it->external ? QString() : resolvePart(base, it->target);
    };
}

WordprocessingParser::PartReader DocxParts::partReader() const
{
    ZipPackage* zip = m_zip;
    return [zip](const QString& part) { return zip->read(part); };
}

} // namespace platform::text
