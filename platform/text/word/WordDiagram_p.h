#pragma once
// SmartArt diagrams of a DOCX as text boxes, since their layout is not
// worked out here: the shapes of the drawing the word processor saved beside
// the diagram, each with its text, in reading order; without that drawing,
// the text of the diagram's nodes in one box.
#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace platform::text {

struct DiagramBox {
    // Paragraphs in the WordprocessingML vocabulary, read as a text box's.
    QByteArray content;
    double width = 0; // points; 0: the text's
    bool border = true;
};

// The bytes of the part a relationship of the story holding the diagram
// names; none when there is no such part.
using DiagramPart = std::function<std::optional<QByteArray>(const QString& relationshipId)>;

// The boxes of the diagram whose data part dataRelationshipId names; empty
// when it has no text.
QList<DiagramBox> readDiagram(const QString& dataRelationshipId, const DiagramPart& part);

} // namespace platform::text
