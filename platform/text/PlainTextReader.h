#pragma once
// Plain text and source code: the encoding guessed from the bytes, laid out
// in the text system's plain-text font.
#include "platform/text/TextReader.h"

#include <QString>

#include <optional>

namespace platform::text {

// Reads the file as text into document, replacing its content.
bool readPlainText(const QString& path, QTextDocument& document);

// The file's text as the reader decodes it; nullopt when it cannot be read.
std::optional<QString> readPlainTextFile(const QString& path);

// Fills document with text as the reader does: one paragraph a line, in the
// plain-text font.
void setPlainTextDocument(QTextDocument& document, const QString& text);

TextReader plainTextReader();

} // namespace platform::text
