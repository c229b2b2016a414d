#include "platform/text/TextReader.h"

#include "platform/text/TextLog_p.h"
#include "platform/text/word/DocReader.h"
#include "platform/text/word/DocxReader.h"
#include "platform/text/HtmlReader.h"
#include "platform/text/odf/OdtReader.h"
#include "platform/text/PlainTextReader.h"
#include "platform/text/rtf/RtfReader.h"
#include "platform/text/rtf/RtfdReader.h"
#include "platform/text/word/WordMLReader.h"
#include "platform/uti/TypeIdentifier.h"

#include <QFile>
#include <QTextDocument>

#include <algorithm>

namespace platform::text {

namespace {

// The first reader one of whose types the file's type conforms to; for any
// other kind of text (XML, JSON, CSV, style sheets...) the plain-text one.
const TextReader* readerForType(const QString& type)
{
    if (type.isEmpty())
        return nullptr;
    for (const TextReader& reader : textReaders()) {
        if (std::any_of(reader.types.begin(), reader.types.end(),
                        [&](const QString& t) { return uti::conformsTo(type, t); }))
            return &reader;
    }
    static const TextReader anyText = plainTextReader();
    if (uti::conformsTo(type, QStringLiteral("public.text")))
        return &anyText;
    return nullptr;
}

// Bytes at a file's start that name its format whatever its name says.
constexpr qint64 kSniffedBytes = 4096;

// The reader a file's first bytes point to: zip packages (DOCX, then ODT),
// compound files (Word 97), RTF, and the one-file XML documents. A file
// named as RTF that is none of them is shown as the text it is, as word
// processors show it.
QList<bool (*)(const QString&, QTextDocument&)> readersForContent(const QString& path, const TextReader& named)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray head = file.read(kSniffedBytes);
    if (head.startsWith("PK\x03\x04"))
        return {readDocx, readOdt};
    if (head.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return {readDoc};
    if (startsAsRtf(head))
        return {readRtf};
    if (head.contains("wordDocument"))
        return {readWordML};
    if (head.contains("office:document"))
        return {readFlatOdt};
    if (named.read == readRtf)
        return {readPlainText};
    return {};
}

} // namespace

const QList<TextReader>& textReaders()
{
    // One line per reader; the first whose types the file conforms to reads it.
    static const QList<TextReader> readers = {
        plainTextReader(),
        htmlReader(),
        {"RTF", {"public.rtf"}, readRtf},
        {"RTFD", {"com.apple.rtfd"}, readRtfd},
        docxReader(),
        odtReader(),
        flatOdtReader(),
        wordMLReader(),
        docReader(),
    };
    return readers;
}

QStringList textTypes()
{
    QStringList types;
    for (const TextReader& reader : textReaders())
        types += reader.types;
    types.removeDuplicates();
    return types;
}

bool readRTFDFromFile(const QString& path, QTextDocument& document)
{
    const QString type = uti::typeOfFile(path);
    if (!uti::conformsTo(type, QStringLiteral("public.rtf"))
        && !uti::conformsTo(type, QStringLiteral("com.apple.rtfd")))
        return false;
    const TextReader* reader = readerForType(type);
    if (!reader)
        return false;
    document.clear();
    return reader->read(path, document);
}

bool isReadAsPlainText(const QString& path)
{
    const TextReader* reader = readerForType(uti::typeOfFile(path));
    return reader && reader->read == &readPlainText;
}

std::unique_ptr<QTextDocument> readDocumentFromPath(const QString& path)
{
    const QString type = uti::typeOfFile(path);
    const TextReader* reader = readerForType(type);
    if (!reader) {
        qCInfo(lcText) << path << "refused: no reader for the type" << type;
        return nullptr;
    }
    auto document = std::make_unique<QTextDocument>();
    document->setUndoRedoEnabled(false);
    if (reader->read(path, *document))
        return document;
    // A word-processing file under another format's name (a Word 97 file
    // named .docm, RTF saved as .doc, text named .rtf) is read as what it is.
    for (const auto read : readersForContent(path, *reader)) {
        if (read == reader->read)
            continue;
        document = std::make_unique<QTextDocument>();
        document->setUndoRedoEnabled(false);
        if (read(path, *document))
            return document;
    }
    qCInfo(lcText) << path << "refused by the" << reader->name << "reader";
    return nullptr;
}

} // namespace platform::text
