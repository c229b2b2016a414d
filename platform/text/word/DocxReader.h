#pragma once
// Office Open XML word-processing packages (.docx, .docm, .dotx, .dotm): the
// main document with its styles, numbering and pictures.
#include "platform/text/TextReader.h"

#include <QByteArray>

namespace platform::text {

// Reads a package into document, replacing its content. False when it is no
// readable package, has no main document or a part is damaged.
bool readDocx(const QString& path, QTextDocument& document);
bool readDocxData(const QByteArray& data, QTextDocument& document);

TextReader docxReader();

} // namespace platform::text
