#pragma once
// Word binary documents (.doc, .dot) of Word 97 to 2003, and of Word 6 and
// 95: the main text from the piece table, character and paragraph
// formatting, lists, tables, field results and inline PNG or JPEG pictures.
#include "platform/text/TextReader.h"

#include <QByteArray>

namespace platform::text {

// Reads the file into document, replacing its content. False when it is no
// Word 6 to 2003 document, is encrypted or its structures are damaged.
bool readDoc(const QString& path, QTextDocument& document);
bool readDocData(const QByteArray& data, QTextDocument& document);

TextReader docReader();

} // namespace platform::text
