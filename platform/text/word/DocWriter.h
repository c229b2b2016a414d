#pragma once
// Word 97 documents (.doc) out of a rich text document: the least that word
// processors accept. A compound file holding the WordDocument stream (file
// information block, the text in UTF-16, character and paragraph property
// pages) and the table stream (style sheet, section table, bin tables, font
// table, document properties and the piece table).
#include <QByteArray>
#include <QString>

#include <optional>

class QTextDocument;

namespace platform::text {

// Empty when the text is too long for the format's 32-bit offsets.
std::optional<QByteArray> docData(const QTextDocument& document);

// False when the file could not be written.
bool writeDoc(const QTextDocument& document, const QString& path);

} // namespace platform::text
