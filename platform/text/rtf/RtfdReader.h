#pragma once
// RTFD: a folder holding the document's RTF as TXT.rtf beside the files of
// its attachments (pictures).
#include <QString>

class QTextDocument;

namespace platform::text {

// Reads an RTFD folder into document, replacing its content. False when the
// path is no folder with a readable RTF text.
bool readRtfd(const QString& folderPath, QTextDocument& document);

} // namespace platform::text
