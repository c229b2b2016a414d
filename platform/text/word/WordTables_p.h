#pragma once
// Tables of WordprocessingML: border lines, shading, table and cell
// properties, and table styles with the formatting they give a table's
// header row, first column and bands. Read into the text system's table
// looks.
#include "platform/text/TableLook.h"

#include <QList>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>

#include <functional>
#include <optional>

class QXmlStreamReader;

namespace platform::text {

// A border element ("top", "insideH", ...): its kind, width in eighths of a
// point and colour. "nil" and "none" give an invisible line.
BorderLine readWordBorder(const QXmlStreamReader& xml);
// A shading element's fill; none when it is automatic or absent.
std::optional<QColor> readWordShading(const QXmlStreamReader& xml);
// The children of a borders element (tblBorders, tcBorders, pBdr) into look:
// edges and inside lines.
void readWordBorders(QXmlStreamReader& xml, CellLook& look);

// What a table's own properties say.
struct WordTableProperties {
    QString styleId;
    TableLook look; // the edges and inside lines, padding, alignment, regions switched on
    bool hasPadding = false;
    bool hasAlignment = false;
    bool hasIndent = false;
    bool hasBandSizes = false;
};

// What a cell's own properties say.
struct WordCellProperties {
    int span = 1;
    bool continuesMerge = false;
    CellLook look;
};

// Readers of the paragraph and run properties inside a table style.
struct WordPropertyReaders {
    std::function<void(QXmlStreamReader&, QTextBlockFormat&)> paragraph;
    std::function<void(QXmlStreamReader&, QTextCharFormat&)> run;
};

void readWordTableProperties(QXmlStreamReader& xml, WordTableProperties& properties);
void readWordCellProperties(QXmlStreamReader& xml, WordCellProperties& properties);

struct WordTableStyle {
    QString parent;
    WordTableProperties properties;
    // Each region's look; WholeTable also holds the style's own paragraph
    // and run properties.
    QHash<TableRegion, CellLook> regions;
};

// A table style element's content.
WordTableStyle readWordTableStyle(QXmlStreamReader& xml, const WordPropertyReaders& readers);

// The look of a table: its style's (with the styles it is based on) under
// its own properties.
TableLook resolveWordTableLook(const WordTableProperties& own,
                               const std::function<const WordTableStyle*(const QString&)>& findStyle);

} // namespace platform::text
