#pragma once
// Writing OLE compound files (the container of Word 97 documents): streams
// of the root storage laid out in 512-byte sectors, with the allocation
// table, its extension for large files, and a balanced directory tree.
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

namespace platform::text {

// The file holding the named streams (names of at most 31 characters, no
// two alike); empty when a name is unusable. Streams below 4096 bytes are
// padded with zeros to that size, so that every stream lives in ordinary
// sectors and no mini stream is needed.
std::optional<QByteArray> compoundFileData(const QList<QPair<QString, QByteArray>>& streams);

} // namespace platform::text
