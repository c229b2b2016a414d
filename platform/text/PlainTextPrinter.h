#pragma once
// Plain text files printed to PDF. Text in one font and a simple script (the
// Latin letters, digits, punctuation and symbols its font holds) goes
// straight from its paragraphs to the pages: lines broken once (by hand where
// a paragraph fits its line), laid out on several threads and written as
// strings of glyphs in the font the painter embeds. Any other text is laid out
// as a rich text document and printed by printToPdfDocument. Both give the
// same pages, lines, font and text.
#include "platform/text/TextPrinter.h"

#include <QList>
#include <QString>
#include <QVariantMap>

#include <memory>
#include <optional>

namespace platform::pdf {
class PdfDocument;
}

namespace platform::text {

// Prints the file when the plain-text reader is the one that reads it (by
// its type): its text in the attributes' font and colour (addAttributes).
// nullopt when another reader takes the file or it cannot be read as plain
// text; else the printed document, null where printToPdfDocument fails.
std::optional<std::shared_ptr<pdf::PdfDocument>> printPlainTextFile(const QString& path,
                                                                    const QVariantMap& attributes,
                                                                    const PrintSettings& settings,
                                                                    QList<int>* printedCharacters = nullptr);

// The straight road alone: nullopt when the text is not for it (characters
// of other scripts or that the font lacks, lines of other heights, content
// wider than the text area, settings printToPdfDocument refuses).
std::optional<std::shared_ptr<pdf::PdfDocument>> printSimplePlainText(const QString& text,
                                                                      const QVariantMap& attributes,
                                                                      const PrintSettings& settings,
                                                                      QList<int>* printedCharacters = nullptr);

} // namespace platform::text
