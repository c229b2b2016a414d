#pragma once
// What a Word 97 document draws beside its text: the shapes anchored in
// the main text, each with the text-box stories and pictures it shows
// (found through the anchor table, the drawing records and the text-box
// story table), and the inline pictures of the Data stream.
#include "platform/text/word/OfficeArtPictures_p.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QSizeF>

#include <optional>

namespace platform::text {

// One thing a shape shows, placed after its anchor's paragraph: a text box
// (its story's characters in the text-box document) or a picture.
struct DocFloating {
    bool isTextBox = false;
    qint64 storyFrom = 0, storyTo = 0;
    bool line = false; // around a text box
    int picture = 0;   // the picture store entry, from 1
    QSizeF size;       // points; empty: none known
};

class DocDrawings {
public:
    // Where a table lies in the table stream.
    struct Location {
        quint32 fc = 0, lcb = 0;
    };
    // word is the WordDocument stream (where the store's pictures are
    // kept), table the table stream; storyLength the characters of the
    // text-box document.
    DocDrawings(const QByteArray& word, const QByteArray& table, Location anchors, Location drawings,
                Location stories, qint64 storyLength);

    // What the shape anchored at character cp of the main text shows, the
    // first time it is asked for: each shape and each story is placed once.
    QList<DocFloating> take(qint64 cp);
    // The image file of a picture store entry.
    std::optional<QByteArray> pictureFile(int picture) const;

private:
    // A shape's text box or picture, its size a share of the anchored
    // shape's (a member of a group is part of it).
    struct Shown {
        int story = -1;
        int picture = 0;
        bool line = true;
        QSizeF share{1, 1};
    };
    struct Anchor {
        quint32 shape = 0;
        QSizeF size; // points
    };
    struct Story {
        qint64 from = 0, to = 0;
    };
    void readAnchors(Location anchors);
    void readStories(Location stories, qint64 storyLength);
    void readDrawings(Location drawings);
    void readDrawing(const OfficeArtRecord& drawing);
    // A group's members, its first shape being the group itself; answers
    // the group's identifier.
    quint32 readGroup(const OfficeArtRecord& group, const std::optional<QRectF>& frame, QSizeF share, int depth,
                      QList<Shown>& shown) const;
    void addShown(const OfficeArtShape& shape, QSizeF share, QList<Shown>& shown) const;

    const QByteArray& m_word;
    const QByteArray& m_table;
    QHash<qint64, Anchor> m_anchors; // by character position
    QList<Story> m_stories;          // by place in the story table
    QHash<quint32, int> m_storyOfShape;
    QHash<quint32, QList<Shown>> m_shown; // by anchored shape
    QList<OfficeArtRecord> m_store;       // the picture store's entries
    QSet<quint32> m_placedShapes;
    QSet<int> m_placedStories;
};

// An inline picture: its picture record and display size in points.
struct DocInlinePicture {
    OfficeArtPicture picture;
    QSizeF size;
};

// The inline picture whose descriptor is at offset of the Data stream.
std::optional<DocInlinePicture> docInlinePicture(const QByteArray& data, qint64 offset);

} // namespace platform::text
