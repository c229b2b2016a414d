#pragma once
// The drawing records of Word 97 documents (shapes and their groups, their
// properties, the picture store): each record's header read within the
// bytes it stands in, so that a damaged record ends the walk of its
// container and nothing is read past it.
#include <QByteArray>
#include <QList>
#include <QRectF>

#include <optional>

namespace platform::text {

// Groups nest in groups; a drawing nested deeper than this is damage, and
// its shapes past the bound are left out.
inline constexpr int kMaxOfficeArtDepth = 16;

// The record types read.
enum OfficeArtType : quint16 {
    DrawingGroupRecord = 0xF000,
    PictureStoreRecord = 0xF001,
    DrawingRecord = 0xF002,
    GroupRecord = 0xF003,
    ShapeContainerRecord = 0xF004,
    StoreEntryRecord = 0xF007,
    GroupFrameRecord = 0xF009,
    ShapeRecord = 0xF00A,
    PropertiesRecord = 0xF00B,
    TextBoxRecord = 0xF00D,
    ChildAnchorRecord = 0xF00F,
    FirstPictureRecord = 0xF018,
    EmfRecord = 0xF01A,
    WmfRecord = 0xF01B,
    PictRecord = 0xF01C,
    JpegRecord = 0xF01D,
    PngRecord = 0xF01E,
    DibRecord = 0xF01F,
    TiffRecord = 0xF029,
    CmykJpegRecord = 0xF02A,
    LastPictureRecord = 0xF117,
    SecondaryPropertiesRecord = 0xF121,
    TertiaryPropertiesRecord = 0xF122,
};

struct OfficeArtRecord {
    quint8 version = 0;
    quint16 instance = 0;
    quint16 type = 0;
    qint64 body = 0;   // where the body starts in the data
    qint64 length = 0; // of the body
    bool isContainer() const { return version == 0xF; }
    qint64 end() const { return body + length; }
};

// The record whose header starts at at, when it and its body lie within
// [at, to) and to within data.
std::optional<OfficeArtRecord> officeArtRecordAt(const QByteArray& data, qint64 at, qint64 to);

// The records one after the other in [from, to), at most limit of them; a
// record that does not fit ends the list.
QList<OfficeArtRecord> officeArtRecords(const QByteArray& data, qint64 from, qint64 to, qsizetype limit = -1);

// The records a container holds.
inline QList<OfficeArtRecord> officeArtChildren(const QByteArray& data, const OfficeArtRecord& container,
                                                qsizetype limit = -1)
{
    return container.isContainer() ? officeArtRecords(data, container.body, container.end(), limit)
                                   : QList<OfficeArtRecord>();
}

// What a shape container says of its shape.
struct OfficeArtShape {
    quint32 id = 0;
    quint16 kind = 0; // the shape type
    quint32 flags = 0;
    // The text of a text box: its story's place in the story table (from 1)
    // in the high word, its place in the chain of boxes in the low; 0: none.
    quint32 textId = 0;
    quint32 picture = 0; // the picture store's entry shown, from 1; 0: none
    bool line = true;
    std::optional<QRectF> childAnchor; // a group member's bounds in its group
    std::optional<QRectF> groupFrame;  // a group's: the bounds its members are given in
    bool isGroup() const { return flags & 0x0001; }
    bool isPatriarch() const { return flags & 0x0004; }
    bool isDeleted() const { return flags & 0x0008; }
};

OfficeArtShape readOfficeArtShape(const QByteArray& data, const OfficeArtRecord& container);

} // namespace platform::text
