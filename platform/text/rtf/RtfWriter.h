#pragma once
// Rich Text Format out of a rich text document: a font and a colour table,
// paragraphs with their alignment, runs with family, size, bold, italic,
// underline, strike-through and colour; every character outside ASCII as a
// \uN escape, so the file is plain ASCII whatever the text.
#include <QByteArray>
#include <QString>

class QTextDocument;

namespace platform::text {

QByteArray rtfData(const QTextDocument& document);

// False when the file could not be written.
bool writeRtf(const QTextDocument& document, const QString& path);

} // namespace platform::text
