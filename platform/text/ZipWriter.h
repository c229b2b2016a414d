#pragma once
// Writing zip packages (office documents) in memory, entries in the order
// given: a package whose first entry must come first (an OpenDocument's
// "mimetype") gets it there.
#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace platform::text {

struct ZipEntry {
    QString name;
    QByteArray bytes;
    bool stored = false; // true: not compressed
};

// The package's bytes; empty when libzip could not make it.
std::optional<QByteArray> zipArchive(const QList<ZipEntry>& entries);

} // namespace platform::text
