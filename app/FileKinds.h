#pragma once
// What a file is, for the list: a kind text shown in its "Kind" column and a
// category that decides its conversion (FileKindCategory). Four tables,
// built once when the program has started, map type identifiers and
// extensions to kinds; lookups before that find nothing.
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariantMap>

#include <cstdint>

void BuildDocumentKindsByUTI();
void BuildDocumentKindsByExtension();
void BuildImageKindsByUTI();
void BuildImageKindsByExtension();

// Each answers the kind text, or a null string for none; category is set
// only when a kind is found (GetKindOfNonEmptyFile sets it to 0 first).
QString GetKindOfNonEmptyFile(const QUrl& file, std::int32_t* category);
QString GetDocumentKindForURL(const QUrl& file, std::int32_t* category);
QString LookupDocumentKindByUTI(const QString& type, std::int32_t* category);
QString LookupDocumentKindByExtension(const QString& extension, std::int32_t* category);
QString GetImageKindForURL(const QUrl& file, std::int32_t* category);
QString LookupImageKindByUTI(const QString& type);
QString LookupImageKindByExtension(const QString& extension);
QString GetPDFKindForURL(const QUrl& file, std::int32_t* category);

QStringList GetNonImageExtensions();
QStringList GetPDFFileTypes();

// Deletes every file the dictionary's values name; errors are passed over.
void RemoveFilesInDictionary(const QVariantMap& files);
