#pragma once
// Word 2003 XML documents: one XML file holding styles, lists, the body and
// pictures as base64 data.
#include "platform/text/TextReader.h"

#include <QByteArray>

namespace platform::text {

// Reads the file into document, replacing its content. False when it is no
// well-formed Word 2003 XML document.
bool readWordML(const QString& path, QTextDocument& document);
bool readWordMLData(const QByteArray& data, QTextDocument& document);

TextReader wordMLReader();

} // namespace platform::text
