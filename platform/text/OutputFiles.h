#pragma once
// Writing the writers' outputs: each is made under a temporary name beside
// its destination and moved into place complete, so a failed write never
// leaves a truncated output or replaces what was there before.
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

namespace platform::text {

// Writes bytes as the file at path. False when nothing was written.
bool writeOutputFile(const QString& path, const QByteArray& bytes);
// The same for bytes a writer may have failed to make (none: false).
bool writeOutputFile(const QString& path, const std::optional<QByteArray>& bytes);

// Writes a folder at folderPath holding the named files (names without
// folders). An existing folder of that name is replaced only once the new
// one is complete. False when nothing was written.
bool writeOutputFolder(const QString& folderPath, const QList<QPair<QString, QByteArray>>& files);

} // namespace platform::text
