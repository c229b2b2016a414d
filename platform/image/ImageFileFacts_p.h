#pragma once
// Facts of a file's own header that the metadata library does not give: the
// JFIF density of a JPEG, the pixel density and interlacing of a PNG, the
// colour map and loop count of a GIF. Read from the file's first bytes only.
#include <QByteArray>
#include <QString>
#include <QVariantMap>

namespace platform::image {

// The JFIF, PNG or GIF group of a file of type uti whose first bytes are
// head; empty for other types or when the header says nothing.
QVariantMap formatGroupsOf(const QString& uti, const QByteArray& head);

} // namespace platform::image
