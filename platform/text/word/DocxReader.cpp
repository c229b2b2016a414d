#include "platform/text/word/DocxReader.h"

#include "platform/text/RichTextBuilder.h"
#include "platform/text/TextLog_p.h"
#include "platform/text/ZipPackage.h"
#include "platform/text/word/DocxPackage_p.h"

#include <QTextDocument>

namespace platform::text {

namespace {

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
    DocxStories stories(*parts, document);
    // Word's own defaults where the styles give none.
    const bool read = buildDocument(document, QStringLiteral("Times New Roman"), 10, [&](RichTextBuilder& builder) {
        WordprocessingParser parser(builder, parts->partNames(main, *rels), parts->partReader());
        if (!parts->prepare(parser))
            return false;
        stories.attach(parser);
        if (!parser.readDocument(*body, QStringLiteral("document")))
            return false;
        if (stories.tooManyNotes())
            qCInfo(lcText) << "the document has more notes than can be printed";
        return !stories.tooManyNotes();
    });
    if (read)
        stories.readHeadersAndFooters();
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
