#pragma once
// Text extraction from the PDFs the printer writes: the writer maps each
// glyph back to one character, so a ligature glyph reads as the ligature
// character ("\uFB01" for "fi") and the space glyph as whatever character
// shares it (a tab). Copied or searched text must read as what was typed.
#include <QByteArray>
#include <QString>

namespace platform::pdf {

class PdfDocument;

// A ToUnicode character map with ligature destinations spelled out as their
// letters and tab destinations as spaces; other entries unchanged.
QByteArray plainTextCharacterMap(const QByteArray& characterMap);

// Rewrites the ToUnicode maps of every font in the PDF at path as above; the
// file is replaced only when something changed. False when it cannot be read
// or written.
bool makePdfTextPlain(const QString& path);

// The same for a document in memory: its maps rewritten in place. False when
// it is locked or its objects cannot be read.
bool makePdfTextPlain(PdfDocument& document);

} // namespace platform::pdf
