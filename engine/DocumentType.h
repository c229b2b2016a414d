#pragma once
// Document format codes by type identifier, and the test for web documents
// of the documents batch.
#include <QString>
#include <QUrl>

#include <cstdint>

// 0 is none of the known document formats; 15 and 35 are never produced.
enum DocumentType : std::int32_t {
    DocumentTypeNone = 0,
    DocumentTypeRTF = 1,
    DocumentTypeRTFD = 2,
    DocumentTypeHTML = 3,
    DocumentTypeText = 4,
    DocumentTypePlainText = 5,
    DocumentTypeWebArchive = 6,
    DocumentTypeOpenDocumentText = 7,
    DocumentTypeOpenDocumentTextTemplate = 8,
    DocumentTypeOpenOfficeText = 9,
    DocumentTypeOpenOfficeTextTemplate = 10,
    DocumentTypeOfficeOpenXML = 11,
    DocumentTypeWordML = 12,
    DocumentTypeWord = 13,
    DocumentTypeMacPlainText = 14,
    DocumentTypeKeynote = 16,
    DocumentTypePowerPoint = 17,
    DocumentTypeExcel = 18,
    DocumentTypeOpenDocumentGraphics = 19,
    DocumentTypeOpenDocumentTextWeb = 32,
    DocumentTypeOfficeOpenXMLTemplate = 33,
    DocumentTypeOfficeOpenXMLSheet = 34,
    DocumentTypeOfficeOpenXMLPresentation = 36,
    DocumentTypeOfficeOpenXMLPresentationTemplate = 37,
};

// The code of a type identifier, by exact comparison; empty gives 0.
std::int32_t DocumentTypeFromUTI(const QString& uti);

// True for a web document: HTML by its type identifier, else by one of the
// web extensions (compared case-sensitively).
bool IsHTMLFileURL(const QUrl& url);
