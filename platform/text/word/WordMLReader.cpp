#include "platform/text/word/WordMLReader.h"

#include "platform/text/RichTextBuilder.h"
#include "platform/text/TextFileBytes.h"
#include "platform/text/word/WordprocessingParser_p.h"

namespace platform::text {

bool readWordMLData(const QByteArray& data, QTextDocument& document)
{
    return buildDocument(document, QStringLiteral("Times New Roman"), 12, [&](RichTextBuilder& builder) {
        WordprocessingParser parser(builder);
        return parser.readDocument(data, QStringLiteral("wordDocument"));
    });
}

bool readWordML(const QString& path, QTextDocument& document)
{
    const std::optional<QByteArray> bytes = readBoundedFile(path);
    return bytes && readWordMLData(*bytes, document);
}

TextReader wordMLReader()
{
    return {"Word 2003 XML", {QStringLiteral("com.microsoft.word.wordml")}, &readWordML};
}

} // namespace platform::text
