#pragma once
// Plain text: the document's characters, one line per paragraph, in UTF-8
// or in UTF-16 with a byte-order mark.
#include <QByteArray>
#include <QString>

class QTextDocument;

namespace platform::text {

enum class PlainTextEncoding { Utf8, Utf16 };

// UTF-16 is written in little-endian order behind its mark (FF FE).
QByteArray plainTextData(const QTextDocument& document, PlainTextEncoding encoding);

// False when the file could not be written.
bool writePlainText(const QTextDocument& document, const QString& path, PlainTextEncoding encoding);

} // namespace platform::text
