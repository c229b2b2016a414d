#include "platform/text/PlainTextReader.h"

#include "platform/text/TextDefaults.h"
#include "platform/text/TextFileBytes.h"

#include <QTextDocument>

namespace platform::text {

bool readPlainText(const QString& path, QTextDocument& document)
{
    const std::optional<QByteArray> bytes = readBoundedFile(path);
    if (!bytes)
        return false;
    document.setUndoRedoEnabled(false);
    document.setDefaultFont(defaultTextFont());
    // One insertion for the whole text: fast even for megabytes.
    document.setPlainText(decodeText(*bytes));
    return true;
}

TextReader plainTextReader()
{
    return {"plain text", {QStringLiteral("public.plain-text")}, &readPlainText};
}

} // namespace platform::text
