#pragma once
// Plain text and source code: the encoding guessed from the bytes, laid out
// in the text system's plain-text font.
#include "platform/text/TextReader.h"

namespace platform::text {

// Reads the file as text into document, replacing its content.
bool readPlainText(const QString& path, QTextDocument& document);

TextReader plainTextReader();

} // namespace platform::text
