#pragma once
// The pictures of Word 97 drawings: picture store entries, which hold their
// picture record or point at it in the delay stream, and the image file
// each picture record holds, made whole for the image decoders.
#include "platform/text/word/OfficeArtRecords_p.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace platform::text {

// A picture record in the stream holding it.
struct OfficeArtPicture {
    const QByteArray* stream = nullptr;
    OfficeArtRecord record;
};

// The picture record of a picture store entry: the entry itself when it is
// one, the one it holds, or the one it points at in delay (the stream holding
// the pictures that are not in the store); null when none lies within its
// stream.
std::optional<OfficeArtPicture> officeArtStorePicture(const QByteArray& data, const OfficeArtRecord& entry,
                                                      const QByteArray* delay);

// The image file a picture record holds: PNG, JPEG and TIFF as they are, a
// device-independent bitmap with the file header it lacks, metafiles
// inflated, a WMF with the placeable header that gives its bounds, a PICT
// behind the 512 bytes its files start with. Null when the record is no
// picture or its data does not fit.
std::optional<QByteArray> officeArtImageFile(const OfficeArtPicture& picture);

// The zlib stream in as inflated, refused when it inflates past limit bytes
// or is damaged.
std::optional<QByteArray> inflateBounded(QByteArrayView in, qint64 limit);

} // namespace platform::text
