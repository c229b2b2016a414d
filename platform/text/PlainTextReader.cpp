#include "platform/text/PlainTextReader.h"

#include "platform/text/TextDefaults.h"
#include "platform/text/TextFileBytes.h"

#include <QTextDocument>

namespace platform::text {

std::optional<QString> readPlainTextFile(const QString& path)
{
    const std::optional<QByteArray> bytes = readBoundedFile(path);
    if (!bytes)
        return std::nullopt;
    return decodeText(*bytes);
}

void setPlainTextDocument(QTextDocument& document, const QString& text)
{
    document.setUndoRedoEnabled(false);
    document.setDefaultFont(defaultTextFont());
    // One insertion for the whole text: fast even for megabytes.
    document.setPlainText(text);
}

bool readPlainText(const QString& path, QTextDocument& document)
{
    const std::optional<QString> text = readPlainTextFile(path);
    if (!text)
        return false;
    setPlainTextDocument(document, *text);
    return true;
}

TextReader plainTextReader()
{
    return {"plain text", {QStringLiteral("public.plain-text")}, &readPlainText};
}

} // namespace platform::text
