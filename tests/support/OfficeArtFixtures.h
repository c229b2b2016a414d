#pragma once
// The drawings of Word 97 documents made by the tests: drawing records
// (shapes, groups, picture store entries, picture records), the tables of
// the table stream that anchor shapes in the text and name the text-box
// stories, and a small metafile to draw.
#include "tests/support/WordDocumentFixtures.h"

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QRect>
#include <QSize>

#include <functional>
#include <optional>

namespace testsupport {

// Record types the fixtures use.
enum : quint16 {
    kOfficeArtDrawingGroup = 0xF000,
    kOfficeArtPictureStore = 0xF001,
    kOfficeArtDrawing = 0xF002,
    kOfficeArtGroup = 0xF003,
    kOfficeArtShapeContainer = 0xF004,
    kOfficeArtDrawingGroupFacts = 0xF006,
    kOfficeArtStoreEntry = 0xF007,
    kOfficeArtDrawingFacts = 0xF008,
    kOfficeArtGroupFrame = 0xF009,
    kOfficeArtShape = 0xF00A,
    kOfficeArtProperties = 0xF00B,
    kOfficeArtClientTextBox = 0xF00D,
    kOfficeArtChildAnchor = 0xF00F,
    kOfficeArtEmf = 0xF01A,
    kOfficeArtWmf = 0xF01B,
    kOfficeArtJpeg = 0xF01D,
    kOfficeArtPng = 0xF01E,
    kOfficeArtDib = 0xF01F,
    kOfficeArtTiff = 0xF029,
};

// A record: header (version and instance, type, length) and body; a
// container has version 0xF and its children as body.
QByteArray officeArtRecord(quint16 type, const QByteArray& body, quint16 instance = 0, quint8 version = 0);
QByteArray officeArtContainer(quint16 type, const QByteArray& children);

struct OfficeArtProperty {
    quint16 id;
    quint32 value;
};

// Shape properties: the text's identifier, the picture shown, the fill's
// kind and picture, and the line's flags.
enum : quint16 {
    kTextIdProperty = 0x0080,
    kPictureProperty = 0x4104, // the picture store index flag set
    kFillTypeProperty = 0x0180,
    kFillPictureProperty = 0x4186,
    kLineFlagsProperty = 0x01FF,
};
// The line flags that say a shape has no line.
inline constexpr quint32 kNoLine = 0x00080000;

struct OfficeArtShapeSpec {
    quint32 id = 0;
    quint16 kind = 202;      // a text box; 75 a picture frame
    quint32 flags = 0x0A00;  // has an anchor and a shape type
    QList<OfficeArtProperty> properties = {};
    quint32 textId = 0;      // written as a client text box record when set
    std::optional<QRect> childAnchor = {}; // a group member's bounds in its group
    std::optional<QRect> groupFrame = {};  // a group's: its members' coordinates
};
// A shape container.
QByteArray officeArtShape(const OfficeArtShapeSpec& shape);
// A text box showing the story of textId (0: the one the story table
// names for it), and a picture frame showing picture store entry picture.
QByteArray officeArtTextBox(quint32 id, const QList<OfficeArtProperty>& properties = {}, quint32 textId = 0x10000);
QByteArray officeArtPictureFrame(quint32 id, quint32 picture = 1);
// A group container: its own shape (marked a group) then its members.
QByteArray officeArtGroup(OfficeArtShapeSpec group, const QList<QByteArray>& members);

// A picture record of a bitmap (PNG, JPEG, DIB, TIFF): an identifier (two
// for odd instances), a tag byte, the image's bytes.
QByteArray officeArtBitmap(quint16 type, quint16 instance, const QByteArray& image);
// A picture record of a metafile (WMF, EMF): an identifier, the header with
// the metafile's size, bounds, display size in EMUs and stored size, then
// the metafile deflated, or as it is. declaredSize 0: the metafile's.
QByteArray officeArtMetafile(quint16 type, quint16 instance, const QByteArray& metafile, QRect bounds, QSize emus,
                             bool deflate = true, quint32 declaredSize = 0);
// A picture store entry holding a picture record.
QByteArray officeArtStoreEntry(const QByteArray& picture);
// A picture store entry naming size bytes at offset of the delay stream.
QByteArray officeArtDelayedStoreEntry(quint32 offset, quint32 size);

// The table stream's drawings: the drawing group holding the picture
// store, then the main text's drawing whose top group holds the shapes
// (after the shape standing for the page).
QByteArray officeArtContent(const QList<QByteArray>& storeEntries, const QList<QByteArray>& shapes);

// Where shapes are anchored in the main text: the anchor's character
// position, the shape's identifier and its size in twips.
struct DocShapeAnchor {
    quint32 cp;
    quint32 shape;
    qint32 width, height;
};
QByteArray docShapeAnchors(const QList<DocShapeAnchor>& anchors);

// The text-box story table: each story's length and the shape it starts
// in, in the order of the text-box document, then the reusable entry over
// the document's closing mark.
struct DocTextBoxStory {
    quint32 length;
    quint32 shape;
};
QByteArray docTextBoxStories(const QList<DocTextBoxStory>& stories);

// The shape the fixture documents anchor first.
inline constexpr quint32 kDocShapeId = 2049;

// A Word 97 document: "Anchor words", two drawn objects' anchors and "anchor
// end", then the closing paragraph, then the text-box document (its
// stories, each ending with its mark, and the document's closing mark).
// The drawing records are made knowing where the delay bytes start in the
// WordDocument stream.
struct DocDrawingsFile {
    std::function<QByteArray(quint32 delayOffset)> drawings;
    QList<DocShapeAnchor> anchors = {{13, kDocShapeId, 2880, 1440}}; // 2 by 1 inches
    QString stories = "Box words\r";
    QByteArray storyTable = docTextBoxStories({{10, kDocShapeId}});
    QByteArray delay = {};
    QList<DocBuilder::Run> closing = {{"Closing words\r", {}}};
    QByteArray data = {}; // the Data stream

    QByteArray build() const;
};

// One of those with all kinds of drawings: the text box, a PNG floating
// from the delay stream at the second anchor and an inline metafile in the
// closing paragraph.
QByteArray sampleDocWithDrawings();

} // namespace testsupport
