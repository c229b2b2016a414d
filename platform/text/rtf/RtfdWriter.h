#pragma once
// RTFD out of a rich text document: a folder holding the text as TXT.rtf.
#include <QString>

class QTextDocument;

namespace platform::text {

// Writes the folder at folderPath, replacing one there only once the new
// one is complete. False when it could not be written.
bool writeRtfd(const QTextDocument& document, const QString& folderPath);

} // namespace platform::text
