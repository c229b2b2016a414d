#include "platform/text/WordMLReader.h"

#include "platform/text/RichTextBuilder.h"
#include "platform/text/TextFileBytes.h"
#include "platform/text/WordprocessingParser.h"

#include <QTextDocument>

namespace platform::text {

bool readWordMLData(const QByteArray& data, QTextDocument& document)
{
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    document.clear();
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSizeF(12);
    document.setDefaultFont(font);
    bool ok = false;
    {
        RichTextBuilder builder(document);
        WordprocessingParser parser(builder);
        ok = parser.readDocument(data, QStringLiteral("wordDocument"));
    }
    document.setUndoRedoEnabled(undo);
    return ok;
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
