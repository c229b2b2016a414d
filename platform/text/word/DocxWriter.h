#pragma once
// Office Open XML word-processing packages (.docx) out of a rich text
// document: the least package word processors open without complaint (content
// types, relationships, the main document and a style part holding the
// document's default font), with paragraph alignment and each run's family,
// size, bold, italic, underline, strike-through and colour.
#include <QByteArray>
#include <QString>

#include <optional>

class QTextDocument;

namespace platform::text {

std::optional<QByteArray> docxData(const QTextDocument& document);

// False when the file could not be written.
bool writeDocx(const QTextDocument& document, const QString& path);

} // namespace platform::text
