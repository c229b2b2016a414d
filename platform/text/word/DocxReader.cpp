#include "platform/text/word/DocxReader.h"

#include "platform/text/RichTextBuilder.h"
#include "platform/text/word/WordprocessingParser_p.h"
#include "platform/text/ZipPackage.h"

#include <QHash>
#include <QTextDocument>
#include <QXmlStreamReader>

namespace platform::text {

namespace {

constexpr int kMaxRelationships = 10000;

struct Relationship {
    QString type;
    QString target;
    bool external = false;
};

// The folder part of a part name, with its slash ("word/").
QString folderOf(const QString& part)
{
    const qsizetype slash = part.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : part.left(slash + 1);
}

// A relationship target made a part name: relative to base, without "..".
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

QString relationshipsOf(const QString& part)
{
    const qsizetype slash = part.lastIndexOf(QLatin1Char('/'));
    return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) + QStringLiteral(".rels");
}

// The relationships of a part; empty when it has none, nullopt when they
// are damaged.
std::optional<QHash<QString, Relationship>> readRelationships(ZipPackage& zip, const QString& relsPart)
{
    QHash<QString, Relationship> map;
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

std::optional<QString> targetOfType(const QHash<QString, Relationship>& rels, QStringView typeSuffix)
{
    for (const Relationship& r : rels) {
        if (!r.external && r.type.endsWith(typeSuffix))
            return r.target;
    }
    return std::nullopt;
}

bool readPackage(ZipPackage& zip, QTextDocument& document)
{
    const auto packageRels = readRelationships(zip, QStringLiteral("_rels/.rels"));
    if (!packageRels)
        return false;
    QString main = QStringLiteral("word/document.xml");
    if (const auto target = targetOfType(*packageRels, u"/officeDocument"))
        main = resolvePart(QString(), *target);
    if (!zip.contains(main))
        return false;
    const std::optional<QByteArray> body = zip.read(main);
    if (!body)
        return false;
    const auto rels = readRelationships(zip, relationshipsOf(main));
    if (!rels)
        return false;
    const QString base = folderOf(main);

    // Word's own defaults where the styles give none.
    return buildDocument(document, QStringLiteral("Times New Roman"), 10, [&](RichTextBuilder& builder) {
        WordprocessingParser parser(
            builder,
            [&](const QString& id) {
                const auto it = rels->constFind(id);
                return it == rels->constEnd() || it->external ? QString() : resolvePart(base, it->target);
            },
            [&](const QString& part) { return zip.read(part); });
        // The theme only names fonts: a damaged one is left out.
        if (const auto target = targetOfType(*rels, u"/theme")) {
            const QString part = resolvePart(base, *target);
            const std::optional<QByteArray> bytes = zip.contains(part) ? zip.read(part) : std::nullopt;
            const std::optional<ThemeFonts> fonts = bytes ? readThemeFonts(*bytes) : std::nullopt;
            if (fonts)
                parser.setThemeFonts(*fonts);
        }
        // Optional parts: absent is fine, damaged is not.
        for (const auto& [suffix, reader] :
             {std::pair{u"/styles", &WordprocessingParser::readStyles},
              std::pair{u"/numbering", &WordprocessingParser::readNumbering}}) {
            const auto target = targetOfType(*rels, suffix);
            if (!target)
                continue;
            const QString part = resolvePart(base, *target);
            if (!zip.contains(part))
                continue;
            const std::optional<QByteArray> bytes = zip.read(part);
            if (!bytes || !(parser.*reader)(*bytes))
                return false;
        }
        return parser.readDocument(*body, QStringLiteral("document"));
    });
}

} // namespace

bool readDocx(const QString& path, QTextDocument& document)
{
    const std::unique_ptr<ZipPackage> zip = ZipPackage::open(path);
    return zip && readPackage(*zip, document);
}

bool readDocxData(const QByteArray& data, QTextDocument& document)
{
    const std::unique_ptr<ZipPackage> zip = ZipPackage::fromData(data);
    return zip && readPackage(*zip, document);
}

TextReader docxReader()
{
    return {"Office Open XML",
            {QStringLiteral("org.openxmlformats.wordprocessingml.document"),
             QStringLiteral("org.openxmlformats.wordprocessingml.template")},
            &readDocx};
}

} // namespace platform::text
