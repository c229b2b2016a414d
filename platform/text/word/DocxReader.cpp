#include "platform/text/word/DocxReader.h"

#include "platform/text/RichTextBuilder.h"
#include "platform/text/TextLog_p.h"
#include "platform/text/ZipPackage.h"
#include "platform/text/word/DocxPackage_p.h"

#include "platform/text/DocumentXml_p.h"
#include "platform/text/TextDefaults.h"

#include <QTextDocument>
#include <QTextOption>
#include <QXmlStreamReader>

namespace platform::text {

namespace {

// Word's tab stops where a paragraph sets none: every half inch unless the
// settings say otherwise, in twips; closer than a point apart they would be
// no stops at all, and none lies past the widest page.
constexpr double kWordTabInterval = 720;
constexpr double kMinTabInterval = 20;
constexpr double kMaxTabInterval = 31680;

void setTabInterval(QTextDocument& document, const std::optional<QByteArray>& settings)
{
    double twips = kWordTabInterval;
    if (settings) {
        QXmlStreamReader xml(*settings);
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"defaultTabStop")
                continue;
            bool ok = false;
            const double value = attr(xml, QLatin1StringView("val")).toDouble(&ok);
            if (ok && value >= kMinTabInterval && value <= kMaxTabInterval)
                twips = value;
            break;
        }
    }
    QTextOption option = document.defaultTextOption();
    option.setTabStopDistance(twips / 20 * layoutUnitsPerPoint());
    document.setDefaultTextOption(option);
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
    const auto rels = readPartRelationships(zip, main);
    if (!rels)
        return false;
    const std::optional<DocxParts> parts = DocxParts::read(zip, main, *rels);
    if (!parts)
        return false;
    const WordprocessingParser::PartName bodyParts = parts->partNames(main, *rels);
    DocxStories stories(*parts, document, bodyParts);
    // Word's own defaults where the styles give none.
    const bool read = buildDocument(document, QStringLiteral("Times New Roman"), 10, [&](RichTextBuilder& builder) {
        WordprocessingParser parser(builder, bodyParts, parts->partReader());
        if (!parts->prepare(parser))
            return false;
        stories.attach(parser);
        if (!parser.readDocument(*body, QStringLiteral("document")))
            return false;
        if (stories.tooManyNotes())
            qCInfo(lcText) << "the document has more notes than can be printed";
        return !stories.tooManyNotes();
    });
    if (read) {
        stories.readHeadersAndFooters();
        setTabInterval(document, parts->partOfType(u"/settings"));
    }
    return read;
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
