#pragma once
// Uniform type identifiers: a fixed table of types with their parents
// (conformance), file-name extensions and MIME types. The table is ours, so
// answers do not depend on the machine's MIME database.
#include <QString>
#include <QStringList>

namespace platform::uti {

// The identifier for a file-name extension (case-insensitive, without the
// dot); empty when the table has none.
QString typeForExtension(const QString& extension);

// The identifier for a MIME type; empty when the table has none.
QString typeForMimeType(const QString& mimeType);

// The identifier of a file on disk: from its extension, else from its
// contents; "public.folder" for a folder the table does not name and
// "public.data" for a file whose kind is unknown. Empty when nothing exists
// at the path.
QString typeOfFile(const QString& path);

// True when type is parent or inherits from it, directly or through its
// ancestors. Unknown types conform only to themselves.
bool conformsTo(const QString& type, const QString& parent);

// The direct parents of a type in the table.
QStringList parentsOf(const QString& type);

// The extensions the table gives a type, preferred one first.
QStringList extensionsOf(const QString& type);

// The MIME types the table gives a type, preferred one first.
QStringList mimeTypesOf(const QString& type);

} // namespace platform::uti
