#include "platform/text/word/DocDrawings_p.h"

#include "platform/text/BoundedImage.h"
#include "platform/text/word/WordBytes_p.h"

#include <climits>
#include <cmath>

namespace platform::text {

namespace {

constexpr qint64 kAnchorSize = 26;    // the shape's identifier, bounds, flags
constexpr qint64 kStoryEntrySize = 22; // the story's first shape and its reuse
constexpr quint8 kMainTextDrawing = 0; // the headers' is 1
// A picture's descriptor and its shape, then the store entries the shape
// names: a few records. The rest of a longer list is left out, which bounds
// the work of a picture named again and again.
constexpr qsizetype kMaxInlinePictureRecords = 16;

// A member's share of its group's size, the group's being share.
QSizeF shareIn(const OfficeArtShape& member, const std::optional<QRectF>& frame, QSizeF share)
{
    if (!member.childAnchor || !frame || frame->width() == 0 || frame->height() == 0)
        return share;
    return QSizeF(share.width() * std::abs(member.childAnchor->width() / frame->width()),
                  share.height() * std::abs(member.childAnchor->height() / frame->height()));
}

} // namespace

DocDrawings::DocDrawings(const QByteArray& word, const QByteArray& table, Location anchors, Location drawings,
                         Location stories, qint64 storyLength)
    : m_word(word), m_table(table)
{
    readAnchors(anchors);
    readStories(stories, storyLength);
    readDrawings(drawings);
}

// n + 1 character positions, then n anchors: the shape's identifier and
// its bounds in twips.
void DocDrawings::readAnchors(Location anchors)
{
    const WordBytes t{m_table};
    if (anchors.lcb < 4 + kAnchorSize || !t.has(anchors.fc, anchors.lcb))
        return;
    const qint64 count = (anchors.lcb - 4) / (4 + kAnchorSize);
    for (qint64 i = 0; i < count; ++i) {
        const qint64 at = anchors.fc + 4 * (count + 1) + kAnchorSize * i;
        const qint64 width = qint64(t.s32(at + 12)) - t.s32(at + 4);
        const qint64 height = qint64(t.s32(at + 16)) - t.s32(at + 8);
        const qint64 cp = t.u32(anchors.fc + 4 * i);
        if (!m_anchors.contains(cp))
            m_anchors.insert(cp, {t.u32(at), QSizeF(std::abs(width), std::abs(height)) / 20.0});
    }
}

// n + 1 character positions in the text-box document, then n entries
// naming the first shape of each story; the last entry, and others marked
// so, are kept for reuse and hold no story.
void DocDrawings::readStories(Location stories, qint64 storyLength)
{
    const WordBytes t{m_table};
    if (stories.lcb < 4 + kStoryEntrySize || !t.has(stories.fc, stories.lcb))
        return;
    const qint64 count = (stories.lcb - 4) / (4 + kStoryEntrySize);
    for (qint64 i = 0; i < count; ++i) {
        const qint64 from = t.u32(stories.fc + 4 * i), to = t.u32(stories.fc + 4 * (i + 1));
        m_stories.append(from < to && to <= storyLength ? Story{from, to} : Story());
        const qint64 entry = stories.fc + 4 * (count + 1) + kStoryEntrySize * i;
        if (i + 1 < count && !(t.u16(entry + 8) & 1))
            m_storyOfShape.insert(t.u32(entry + 14), int(i));
    }
}

// The drawing group with the picture store, then each drawing after a byte
// saying whose it is.
void DocDrawings::readDrawings(Location drawings)
{
    const qint64 end = qint64(drawings.fc) + drawings.lcb;
    const std::optional<OfficeArtRecord> group = officeArtRecordAt(m_table, drawings.fc, end);
    if (!group || group->type != DrawingGroupRecord)
        return;
    for (const OfficeArtRecord& r : officeArtChildren(m_table, *group))
        if (r.type == PictureStoreRecord)
            m_store = officeArtChildren(m_table, r);
    for (qint64 at = group->end(); at < end;) {
        const quint8 owner = quint8(m_table[at]);
        const std::optional<OfficeArtRecord> drawing = officeArtRecordAt(m_table, at + 1, end);
        if (!drawing)
            break;
        if (owner == kMainTextDrawing && drawing->type == DrawingRecord)
            readDrawing(*drawing);
        at = drawing->end();
    }
}

// A drawing's shapes are the members of its top group, whose first shape
// stands for the page.
void DocDrawings::readDrawing(const OfficeArtRecord& drawing)
{
    for (const OfficeArtRecord& top : officeArtChildren(m_table, drawing)) {
        if (top.type != GroupRecord)
            continue;
        for (const OfficeArtRecord& r : officeArtChildren(m_table, top)) {
            QList<Shown> shown;
            quint32 id = 0;
            if (r.type == ShapeContainerRecord) {
                const OfficeArtShape shape = readOfficeArtShape(m_table, r);
                if (shape.isPatriarch() || shape.isDeleted())
                    continue;
                addShown(shape, QSizeF(1, 1), shown);
                id = shape.id;
            } else if (r.type == GroupRecord) {
                id = readGroup(r, std::nullopt, QSizeF(1, 1), 1, shown);
            }
            if (id && !shown.isEmpty() && !m_shown.contains(id))
                m_shown.insert(id, shown);
        }
    }
}

quint32 DocDrawings::readGroup(const OfficeArtRecord& group, const std::optional<QRectF>& frame, QSizeF share,
                               int depth, QList<Shown>& shown) const
{
    const QList<OfficeArtRecord> members = officeArtChildren(m_table, group);
    if (members.isEmpty() || members[0].type != ShapeContainerRecord)
        return 0;
    const OfficeArtShape self = readOfficeArtShape(m_table, members[0]);
    const QSizeF own = shareIn(self, frame, share);
    for (qsizetype i = 1; i < members.size(); ++i) {
        if (members[i].type == ShapeContainerRecord) {
            const OfficeArtShape member = readOfficeArtShape(m_table, members[i]);
            if (!member.isDeleted())
                addShown(member, shareIn(member, self.groupFrame, own), shown);
        } else if (members[i].type == GroupRecord && depth < kMaxOfficeArtDepth) {
            readGroup(members[i], self.groupFrame, own, depth + 1, shown);
        }
    }
    return self.id;
}

void DocDrawings::addShown(const OfficeArtShape& shape, QSizeF share, QList<Shown>& shown) const
{
    if (shape.picture)
        shown.append({-1, int(std::min<quint32>(shape.picture, INT_MAX)), false, share});
    const qint64 story = shape.textId ? qint64(shape.textId >> 16) - 1 : m_storyOfShape.value(shape.id, -1);
    if (story >= 0 && story < m_stories.size())
        shown.append({int(story), 0, shape.line, share});
}

QList<DocFloating> DocDrawings::take(qint64 cp)
{
    const auto anchor = m_anchors.constFind(cp);
    if (anchor == m_anchors.cend() || m_placedShapes.contains(anchor->shape))
        return {};
    m_placedShapes.insert(anchor->shape);
    QList<Shown> shown = m_shown.value(anchor->shape);
    // A box whose drawing records are lost still has its story.
    if (shown.isEmpty() && m_storyOfShape.contains(anchor->shape))
        shown.append({m_storyOfShape.value(anchor->shape), 0, true, QSizeF(1, 1)});
    QList<DocFloating> floating;
    for (const Shown& s : std::as_const(shown)) {
        DocFloating f;
        f.size = boundedPictureSize(QSizeF(anchor->size.width() * s.share.width(),
                                           anchor->size.height() * s.share.height()));
        if (s.story >= 0) {
            const Story& story = m_stories[s.story];
            if (story.to <= story.from || m_placedStories.contains(s.story))
                continue;
            m_placedStories.insert(s.story);
            f.isTextBox = true;
            f.storyFrom = story.from;
            f.storyTo = story.to;
            f.line = s.line;
        } else {
            f.picture = s.picture;
        }
        floating.append(f);
    }
    return floating;
}

std::optional<QByteArray> DocDrawings::pictureFile(int picture) const
{
    if (picture < 1 || picture > m_store.size())
        return std::nullopt;
    const std::optional<OfficeArtPicture> found = officeArtStorePicture(m_table, m_store[picture - 1], &m_word);
    return found ? officeArtImageFile(*found) : std::nullopt;
}

std::optional<DocInlinePicture> docInlinePicture(const QByteArray& data, qint64 offset)
{
    // A descriptor: its size, its header's, the display size in twips and
    // its scale in thousandths; a file name for linked pictures; then the
    // picture's shape and the store entries it names.
    const WordBytes d{data};
    if (!d.has(offset, 68))
        return std::nullopt;
    const qint64 end = offset + d.u32(offset);
    const qint64 header = d.u16(offset + 4);
    if (end > data.size() || header < 68 || offset + header > end)
        return std::nullopt;
    const int mx = d.u16(offset + 32), my = d.u16(offset + 34);
    const QSizeF size(d.s16(offset + 28) / 20.0 * (mx > 0 ? mx / 1000.0 : 1.0),
                      d.s16(offset + 30) / 20.0 * (my > 0 ? my / 1000.0 : 1.0));
    qint64 at = offset + header;
    if (d.u16(offset + 6) == 0x66)
        at += 1 + d.u8(at);
    OfficeArtShape shape;
    QList<OfficeArtRecord> entries;
    for (const OfficeArtRecord& r : officeArtRecords(data, at, end, kMaxInlinePictureRecords)) {
        if (r.type == ShapeContainerRecord)
            shape = readOfficeArtShape(data, r);
        else
            entries.append(r);
    }
    // The entry the shape names, else the first that holds a picture.
    if (shape.picture >= 1 && shape.picture <= quint32(entries.size()))
        entries.prepend(entries[shape.picture - 1]);
    for (const OfficeArtRecord& entry : std::as_const(entries))
        if (const auto picture = officeArtStorePicture(data, entry, nullptr))
            return DocInlinePicture{*picture, size};
    return std::nullopt;
}

} // namespace platform::text
