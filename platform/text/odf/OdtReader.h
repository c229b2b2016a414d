#pragma once
// OpenDocument text: packaged (.odt, .ott: content.xml and styles.xml with
// the pictures beside them) and flat (.fodt: one XML file); the packages of
// OpenOffice.org 1 (.sxw, .stw) with the older names of the same vocabulary.
#include "platform/text/TextReader.h"

#include <QByteArray>

namespace platform::text {

// Reads a package into document, replacing its content. False when it is no
// readable package, has no text body or a part is damaged.
bool readOdt(const QString& path, QTextDocument& document);
bool readOdtData(const QByteArray& data, QTextDocument& document);

// Reads a flat OpenDocument text file.
bool readFlatOdt(const QString& path, QTextDocument& document);
bool readFlatOdtData(const QByteArray& data, QTextDocument& document);

TextReader odtReader();
TextReader flatOdtReader();

} // namespace platform::text
