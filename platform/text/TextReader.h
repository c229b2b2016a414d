#pragma once
// The text system's readers: each turns one family of files into a rich text
// document. Adding a format is adding a reader file and its line in
// TextReaders.cpp.
#include <QString>
#include <QStringList>

#include <memory>

class QTextDocument;

namespace platform::text {

struct TextReader {
    const char* name;
    // Type identifiers of the files it reads (a file's type conforms to one).
    QStringList types;
    // Fills document from the file; false when the file is not readable as
    // this format (the document may then hold partial content).
    bool (*read)(const QString& path, QTextDocument& document);
};

// Every reader, in trial order.
const QList<TextReader>& textReaders();

// The types the readers take (the text system's readable types).
QStringList textTypes();

// Reads an RTF file or an RTFD folder into document, replacing its content.
bool readRTFDFromFile(const QString& path, QTextDocument& document);

// Reads any file a reader takes, chosen by the file's type; null when none
// accepts it.
std::unique_ptr<QTextDocument> readDocumentFromPath(const QString& path);

// Whether readDocumentFromPath gives the file to the plain-text reader first.
bool isReadAsPlainText(const QString& path);

} // namespace platform::text
