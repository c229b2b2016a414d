#include "tests/support/OfficeArtFixtures.h"

#include "tests/support/ImageFixtures.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WordDocumentFixtures.h"

namespace testsupport {

namespace {

QByteArray rectangle(QRect r)
{
    return le32(quint32(r.left())) + le32(quint32(r.top())) + le32(quint32(r.left() + r.width()))
           + le32(quint32(r.top() + r.height()));
}

// One identifier, two for the odd instances.
QByteArray identifiers(quint16 instance)
{
    return QByteArray(instance & 1 ? 32 : 16, '\x5A');
}

// A store entry's fixed part: a PNG of size bytes, at offset of the delay
// stream when it is not inside.
QByteArray storeEntry(quint32 size, quint32 offset)
{
    QByteArray entry(36, '\0');
    entry[0] = entry[1] = 6;
    entry.replace(20, 4, le32(size));
    entry.replace(24, 4, le32(1));
    entry.replace(28, 4, le32(offset));
    return entry;
}

} // namespace

QByteArray officeArtRecord(quint16 type, const QByteArray& body, quint16 instance, quint8 version)
{
    return le16(quint16(instance << 4 | (version & 0xF))) + le16(type) + le32(quint32(body.size())) + body;
}

QByteArray officeArtContainer(quint16 type, const QByteArray& children)
{
    return officeArtRecord(type, children, 0, 0xF);
}

QByteArray officeArtShape(const OfficeArtShapeSpec& shape)
{
    QByteArray body = officeArtRecord(kOfficeArtShape, le32(shape.id) + le32(shape.flags), shape.kind, 2);
    if (shape.groupFrame)
        body.prepend(officeArtRecord(kOfficeArtGroupFrame, rectangle(*shape.groupFrame), 0, 1));
    if (!shape.properties.isEmpty()) {
        QByteArray table;
        for (const OfficeArtProperty& p : shape.properties)
            table += le16(p.id) + le32(p.value);
        body += officeArtRecord(kOfficeArtProperties, table, quint16(shape.properties.size()), 3);
    }
    if (shape.childAnchor)
        body += officeArtRecord(kOfficeArtChildAnchor, rectangle(*shape.childAnchor));
    if (shape.textId)
        body += officeArtRecord(kOfficeArtClientTextBox, le32(shape.textId));
    return officeArtContainer(kOfficeArtShapeContainer, body);
}

QByteArray officeArtTextBox(quint32 id, const QList<OfficeArtProperty>& properties, quint32 textId)
{
    return officeArtShape({.id = id, .kind = 202, .properties = properties, .textId = textId});
}

QByteArray officeArtPictureFrame(quint32 id, quint32 picture)
{
    return officeArtShape({.id = id, .kind = 75, .properties = {{kPictureProperty, picture}}});
}

QByteArray officeArtGroup(OfficeArtShapeSpec group, const QList<QByteArray>& members)
{
    group.flags |= 0x0001;
    QByteArray body = officeArtShape(group);
    for (const QByteArray& member : members)
        body += member;
    return officeArtContainer(kOfficeArtGroup, body);
}

QByteArray officeArtBitmap(quint16 type, quint16 instance, const QByteArray& image)
{
    return officeArtRecord(type, identifiers(instance) + char(0xFF) + image, instance);
}

QByteArray officeArtMetafile(quint16 type, quint16 instance, const QByteArray& metafile, QRect bounds, QSize emus,
                             bool deflate, quint32 declaredSize)
{
    // qCompress writes a zlib stream behind a four-byte length.
    const QByteArray stored = deflate ? qCompress(metafile).mid(4) : metafile;
    QByteArray header = le32(declaredSize ? declaredSize : quint32(metafile.size())) + rectangle(bounds);
    header += le32(quint32(emus.width())) + le32(quint32(emus.height())) + le32(quint32(stored.size()));
    header += char(deflate ? 0x00 : 0xFE);
    header += char(0xFE);
    return officeArtRecord(type, identifiers(instance) + header + stored, instance);
}

QByteArray officeArtStoreEntry(const QByteArray& picture)
{
    return officeArtRecord(kOfficeArtStoreEntry, storeEntry(quint32(picture.size()), 0) + picture, 6, 2);
}

QByteArray officeArtDelayedStoreEntry(quint32 offset, quint32 size)
{
    return officeArtRecord(kOfficeArtStoreEntry, storeEntry(size, offset), 6, 2);
}

QByteArray officeArtContent(const QList<QByteArray>& storeEntries, const QList<QByteArray>& shapes)
{
    QByteArray entries;
    for (const QByteArray& entry : storeEntries)
        entries += entry;
    const QByteArray group = officeArtContainer(
        kOfficeArtDrawingGroup, officeArtRecord(kOfficeArtDrawingGroupFacts, QByteArray(16, '\0'))
                           + officeArtRecord(kOfficeArtPictureStore, entries, quint16(storeEntries.size()), 0xF));
    OfficeArtShapeSpec page;
    page.id = 1024;
    page.kind = 0;
    page.flags = 0x0005; // the group of the page's shapes
    page.groupFrame = QRect();
    QByteArray members = officeArtShape(page);
    for (const QByteArray& shape : shapes)
        members += shape;
    const QByteArray drawing = officeArtContainer(
        kOfficeArtDrawing, officeArtRecord(kOfficeArtDrawingFacts, le32(quint32(shapes.size() + 1)) + le32(1024), 1)
                      + officeArtContainer(kOfficeArtGroup, members));
    return group + char(0) + drawing;
}

QByteArray docShapeAnchors(const QList<DocShapeAnchor>& anchors)
{
    QByteArray positions, spas;
    for (const DocShapeAnchor& a : anchors) {
        positions += le32(a.cp);
        spas += le32(a.shape) + le32(0) + le32(0) + le32(quint32(a.width)) + le32(quint32(a.height)) + le16(0)
                + le32(0);
    }
    return positions + le32(anchors.isEmpty() ? 0 : anchors.last().cp + 1) + spas;
}

QByteArray docTextBoxStories(const QList<DocTextBoxStory>& stories)
{
    QByteArray positions = le32(0), entries;
    quint32 at = 0;
    for (const DocTextBoxStory& story : stories) {
        at += story.length;
        positions += le32(at);
        entries += le32(1) + le32(0) + le16(0) + le32(0) + le32(story.shape) + le32(0);
    }
    positions += le32(at + 1);
    entries += le32(0) + le32(0) + le16(1) + le32(0) + le32(0) + le32(0);
    return positions + entries;
}

QByteArray DocDrawingsFile::build() const
{
    DocBuilder b;
    const QString marks = QString(QChar(8)) + QChar(8);
    b.paragraph({{"Anchor words ", {}}, {marks, sprm8(0x0855, 1)}, {" anchor end\r", {}}});
    b.paragraph(closing);
    for (const QString& story : stories.split(QLatin1Char('\r'), Qt::SkipEmptyParts))
        b.paragraph({{story + "\r", {}}});
    b.paragraph({{"\r", {}}});
    b.setStoryLengths(0, 0, 0, quint32(stories.size() + 1));
    b.setDelayBytes(delay);
    b.addTablePart(40, docShapeAnchors(anchors));
    b.addTablePart(56, storyTable);
    b.addTablePart(50, drawings ? drawings(b.delayOffset()) : QByteArray());
    return b.build(data);
}

QByteArray sampleDocWithDrawings()
{
    const QByteArray png = officeArtBitmap(kOfficeArtPng, 0x6E0, pngBytes(QSize(8, 8), Qt::blue));
    const QByteArray wmf = officeArtMetafile(kOfficeArtWmf, 0x216, wmfBytes(QSize(30, 20), Qt::green, std::nullopt), QRect(0, 0, 30, 20),
                                             QSize(381000, 254000));
    DocDrawingsFile file;
    file.anchors.append({14, kDocShapeId + 1, 1440, 1440});
    file.delay = png;
    file.drawings = [size = png.size(), wmf](quint32 offset) {
        return officeArtContent({officeArtDelayedStoreEntry(offset, quint32(size)), officeArtStoreEntry(wmf)},
                                {officeArtTextBox(kDocShapeId), officeArtPictureFrame(kDocShapeId + 1)});
    };
    file.closing = {{"Closing words ", {}}, {QString(QChar(1)), sprm8(0x0855, 1) + sprm32(0x6A03, 0)}, {"\r", {}}};
    file.data = docPictureData(officeArtStoreEntry(wmf), 1440, 720);
    return file.build();
}

} // namespace testsupport
