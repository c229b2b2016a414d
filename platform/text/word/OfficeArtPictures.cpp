#include "platform/text/word/OfficeArtPictures_p.h"

#include "platform/text/BoundedImage.h"
#include "platform/text/word/WordBytes_p.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace platform::text {

namespace {

constexpr qint64 kStoreEntrySize = 36; // before the entry's name
constexpr qint64 kMetafileHeaderSize = 34;
constexpr qint64 kPictHeaderSize = 512;
constexpr qint64 kEmusPerInch = 914400;
constexpr quint32 kPlaceableKey = 0x9AC6CDD7;

bool isPicture(const OfficeArtRecord& record)
{
    return record.type >= FirstPictureRecord && record.type <= LastPictureRecord;
}

// The header a WMF file starts with, which gives its bounds in logical
// units and how many of them make an inch: the bounds the picture record
// keeps, else its display size in twips.
QByteArray placeableHeader(const WordBytes& b, qint64 header)
{
    const qint64 left = b.s32(header + 4), top = b.s32(header + 8), right = b.s32(header + 12),
                 bottom = b.s32(header + 16);
    const qint64 width = b.s32(header + 20), height = b.s32(header + 24); // EMUs
    const auto fits = [](qint64 v) { return v >= -32768 && v <= 32767; };
    QByteArray h(22, '\0');
    put32(h, 0, kPlaceableKey);
    if (right > left && bottom > top && fits(left) && fits(top) && fits(right) && fits(bottom) && width > 0) {
        put16(h, 6, quint16(left));
        put16(h, 8, quint16(top));
        put16(h, 10, quint16(right));
        put16(h, 12, quint16(bottom));
        put16(h, 14, quint16(std::clamp<double>(std::round((right - left) * double(kEmusPerInch) / width), 1, 65535)));
    } else {
        const qint64 emusPerTwip = kEmusPerInch / 1440;
        put16(h, 10, quint16(std::clamp<qint64>(width / emusPerTwip, 1, 32767)));
        put16(h, 12, quint16(std::clamp<qint64>(height / emusPerTwip, 1, 32767)));
        put16(h, 14, 1440);
    }
    quint16 checksum = 0;
    for (int i = 0; i < 10; ++i)
        checksum ^= qFromLittleEndian<quint16>(h.constData() + 2 * i);
    put16(h, 20, checksum);
    return h;
}

// A metafile after its header: its size, bounds, display size, stored size
// and whether it is deflated.
std::optional<QByteArray> metafileFile(const QByteArray& data, const OfficeArtRecord& record, qint64 header)
{
    const WordBytes b{data};
    if (header + kMetafileHeaderSize > record.end())
        return std::nullopt;
    const qint64 size = b.u32(header);
    const qint64 stored = b.u32(header + 28);
    const quint8 compression = b.u8(header + 32);
    const qint64 from = header + kMetafileHeaderSize;
    if (stored > record.end() - from || size > kMaxImageBytes)
        return std::nullopt;
    const QByteArrayView bytes = QByteArrayView(data).sliced(from, stored);
    std::optional<QByteArray> file;
    if (compression == 0x00)
        file = inflateBounded(bytes, size > 0 ? size : kMaxImageBytes);
    else if (compression == 0xFE)
        file = bytes.toByteArray();
    if (!file)
        return std::nullopt;
    if (record.type == WmfRecord && !file->startsWith(le32(kPlaceableKey)))
        file->prepend(placeableHeader(b, header));
    else if (record.type == PictRecord)
        file->prepend(QByteArray(kPictHeaderSize, '\0'));
    return file;
}

} // namespace

std::optional<OfficeArtPicture> officeArtStorePicture(const QByteArray& data, const OfficeArtRecord& entry,
                                                      const QByteArray* delay)
{
    if (isPicture(entry))
        return OfficeArtPicture{&data, entry};
    if (entry.type != StoreEntryRecord || entry.length < kStoreEntrySize)
        return std::nullopt;
    // The entry's header and name, then the picture, else where it is.
    const WordBytes b{data};
    const qint64 size = b.u32(entry.body + 20);
    const qint64 offset = b.u32(entry.body + 28);
    const qint64 inside = entry.body + kStoreEntrySize + b.u8(entry.body + 33);
    std::optional<OfficeArtPicture> picture;
    if (inside < entry.end()) {
        if (const auto record = officeArtRecordAt(data, inside, entry.end()))
            picture = OfficeArtPicture{&data, *record};
    } else if (delay && size > 0 && offset != 0xFFFFFFFF) {
        if (const auto record = officeArtRecordAt(*delay, offset, offset + size))
            picture = OfficeArtPicture{delay, *record};
    }
    if (!picture || !isPicture(picture->record))
        return std::nullopt;
    return picture;
}

std::optional<QByteArray> officeArtImageFile(const OfficeArtPicture& picture)
{
    const QByteArray& data = *picture.stream;
    const OfficeArtRecord& record = picture.record;
    if (record.end() > data.size())
        return std::nullopt;
    // One identifier, two for the odd instances; a bitmap's a tag byte after.
    const qint64 identifiers = record.body + ((record.instance & 1) ? 32 : 16);
    const auto rest = [&](qint64 from) {
        return from <= record.end() ? std::optional(data.mid(from, record.end() - from)) : std::nullopt;
    };
    switch (record.type) {
    case EmfRecord:
    case WmfRecord:
    case PictRecord: return metafileFile(data, record, identifiers);
    case JpegRecord:
    case PngRecord:
    case TiffRecord:
    case CmykJpegRecord: return rest(identifiers + 1);
    case DibRecord: {
        const std::optional<QByteArray> dib = rest(identifiers + 1);
        const QByteArray file = dib ? withBitmapFileHeader(*dib) : QByteArray();
        return file.isEmpty() ? std::nullopt : std::optional(file);
    }
    default: return std::nullopt;
    }
}

std::optional<QByteArray> inflateBounded(QByteArrayView in, qint64 limit)
{
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return std::nullopt;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    z.avail_in = uInt(std::min<qint64>(in.size(), std::numeric_limits<uInt>::max()));
    // Room for one byte past the limit tells a stream that ends at it from
    // one that goes on.
    QByteArray out;
    int status = Z_OK;
    while (status == Z_OK && out.size() <= limit) {
        // Grow by doubling, from 64 KiB.
        const qint64 grow = std::min<qint64>(std::max<qint64>(out.size(), 64 * 1024), limit + 1 - out.size());
        const qsizetype before = out.size();
        out.resize(before + grow);
        z.next_out = reinterpret_cast<Bytef*>(out.data() + before);
        z.avail_out = uInt(grow);
        status = inflate(&z, Z_NO_FLUSH);
        out.resize(before + grow - z.avail_out);
    }
    inflateEnd(&z);
    if (status != Z_STREAM_END || out.size() > limit)
        return std::nullopt;
    return out;
}

} // namespace platform::text
