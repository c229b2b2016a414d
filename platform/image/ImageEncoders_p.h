#pragma once
// The encoders behind ImageDestination, one per library: libvips for the
// common types, Magick++ for the types only ImageMagick writes, libtiff for
// TIFF of several pages, Qt for ICNS and PDF. Each takes prepared frames
// (properties already applied to the pixels) and answers the encoded data,
// or an empty array with the reason in error.
#include "platform/image/Bitmap.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariantMap>

namespace platform::image {

struct EncodeJob {
    QString type;
    QList<Bitmap> frames;
    QList<QVariantMap> properties; // one per frame
    QString* error;
};

// Quality 0 to 1 of a frame's properties as the encoders' 1 to 100.
int qualityOf(const QVariantMap& properties);
// The TIFF compression code asked for (1 none when not).
int tiffCompressionOf(const QVariantMap& properties);

bool vipsWrites(const QString& type);
QByteArray encodeWithVips(const EncodeJob& job);

bool magickWrites(const QString& type);
QByteArray encodeWithMagick(const EncodeJob& job);
// Decodes data as ImageMagick's type: true when the pixels read back.
bool magickReadsBack(const QString& type, const QByteArray& data);

QByteArray encodeTiffPages(const EncodeJob& job);
QByteArray encodeIcns(const EncodeJob& job);
QByteArray encodePdf(const EncodeJob& job);

} // namespace platform::image
