#pragma once
// HTML and XHTML through the rich-text HTML subset of the text system, with
// images and style sheets taken from local files beside the document only.
#include "platform/text/TextReader.h"

namespace platform::text {

// Reads the file as HTML into document, replacing its content.
bool readHtml(const QString& path, QTextDocument& document);

TextReader htmlReader();

} // namespace platform::text
