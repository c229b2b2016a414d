#include "platform/text/word/OfficeArtRecords_p.h"

#include "platform/text/word/WordBytes_p.h"

#include <QHash>

namespace platform::text {

namespace {

constexpr qint64 kHeaderSize = 8;
// A shape container holds a dozen records; the rest of a longer one is left
// out, which also bounds the work of a picture named again and again.
constexpr qsizetype kMaxShapeRecords = 64;

// Shape properties read here.
enum : quint16 {
    TextIdProperty = 0x0080,
    PictureProperty = 0x0104,
    FillTypeProperty = 0x0180,
    FillPictureProperty = 0x0186,
    FillFlagsProperty = 0x01BF,
    LineFlagsProperty = 0x01FF,
};
constexpr quint32 kFillPicture = 3;

// Each flag of a boolean property has a "used" bit 16 places above it: a
// flag without it keeps its default.
bool flag(std::optional<quint32> flags, int bit, bool byDefault)
{
    if (!flags || !(*flags & (1u << (bit + 16))))
        return byDefault;
    return *flags & (1u << bit);
}

QRectF rectangleAt(const WordBytes& b, qint64 at)
{
    const qint64 left = b.s32(at), top = b.s32(at + 4), right = b.s32(at + 8), bottom = b.s32(at + 12);
    return QRectF(double(left), double(top), double(right - left), double(bottom - top));
}

// The simple properties of a property table, by identifier; the data of
// complex ones follows the table and is not read.
void readProperties(const WordBytes& b, const OfficeArtRecord& record, QHash<quint16, quint32>& properties)
{
    const qint64 count = std::min<qint64>(record.instance, record.length / 6);
    for (qint64 i = 0; i < count; ++i) {
        const qint64 at = record.body + 6 * i;
        const quint16 id = b.u16(at);
        if (!(id & 0x8000))
            properties.insert(id & 0x3FFF, b.u32(at + 2));
    }
}

} // namespace

std::optional<OfficeArtRecord> officeArtRecordAt(const QByteArray& data, qint64 at, qint64 to)
{
    const WordBytes b{data};
    if (at < 0 || to > data.size() || to - at < kHeaderSize)
        return std::nullopt;
    const quint16 versionInstance = b.u16(at);
    OfficeArtRecord record;
    record.version = versionInstance & 0x000F;
    record.instance = versionInstance >> 4;
    record.type = b.u16(at + 2);
    record.body = at + kHeaderSize;
    record.length = b.u32(at + 4);
    if (record.length > to - record.body)
        return std::nullopt;
    return record;
}

QList<OfficeArtRecord> officeArtRecords(const QByteArray& data, qint64 from, qint64 to, qsizetype limit)
{
    QList<OfficeArtRecord> records;
    for (qint64 at = from; limit < 0 || records.size() < limit;) {
        const std::optional<OfficeArtRecord> record = officeArtRecordAt(data, at, to);
        if (!record)
            break;
        records.append(*record);
        at = record->end();
    }
    return records;
}

OfficeArtShape readOfficeArtShape(const QByteArray& data, const OfficeArtRecord& container)
{
    const WordBytes b{data};
    OfficeArtShape shape;
    QHash<quint16, quint32> properties;
    for (const OfficeArtRecord& r : officeArtChildren(data, container, kMaxShapeRecords)) {
        switch (r.type) {
        case ShapeRecord:
            if (r.length >= 8) {
                shape.kind = r.instance;
                shape.id = b.u32(r.body);
                shape.flags = b.u32(r.body + 4);
            }
            break;
        case PropertiesRecord:
        case SecondaryPropertiesRecord:
        case TertiaryPropertiesRecord: readProperties(b, r, properties); break;
        case TextBoxRecord:
            if (r.length >= 4)
                shape.textId = b.u32(r.body);
            break;
        case ChildAnchorRecord:
            if (r.length >= 16)
                shape.childAnchor = rectangleAt(b, r.body);
            break;
        case GroupFrameRecord:
            if (r.length >= 16)
                shape.groupFrame = rectangleAt(b, r.body);
            break;
        default: break;
        }
    }
    if (!shape.textId)
        shape.textId = properties.value(TextIdProperty);
    const auto value = [&](quint16 id) {
        const auto it = properties.constFind(id);
        return it == properties.cend() ? std::nullopt : std::optional<quint32>(*it);
    };
    shape.picture = properties.value(PictureProperty);
    if (!shape.picture && value(FillTypeProperty) == kFillPicture && flag(value(FillFlagsProperty), 4, true))
        shape.picture = properties.value(FillPictureProperty);
    shape.line = flag(value(LineFlagsProperty), 3, true);
    return shape;
}

} // namespace platform::text
