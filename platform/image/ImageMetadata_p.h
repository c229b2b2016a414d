#pragma once
// Metadata groups of image files (TIFF, Exif, GPS, IPTC, XMP and the maker
// groups) read and written through Exiv2, as dictionaries under the keys of
// ImagePropertyKeys.h.
#include <QByteArray>
#include <QString>
#include <QVariantMap>

namespace platform::image {

// The groups found in a file or in encoded data; empty when there are none
// or the data is no type Exiv2 reads.
QVariantMap readMetadataGroups(const QString& path);
QVariantMap readMetadataGroups(const QByteArray& data);

// True when properties hold any group this module writes.
bool hasMetadataGroups(const QVariantMap& properties);

// Writes the groups held by properties into encoded data; entries that
// cannot be expressed are left out. False when the data cannot take them.
bool writeMetadataGroups(QByteArray& data, const QVariantMap& properties);

} // namespace platform::image
