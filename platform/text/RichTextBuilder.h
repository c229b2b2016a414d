#pragma once
// Building a rich text document as the word-processing readers walk their
// files: paragraphs, runs, lists, tables (with merged cells) and pictures,
// appended in reading order through one cursor, within bounds that hold for
// the whole document whatever its format.
#include "platform/text/BoundedImage.h"
#include "platform/text/ListLabels.h"
#include "platform/text/TableCells.h"
#include "platform/text/TableLook.h"

#include <QByteArray>
#include <QFont>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextBlock>
#include <QTextListFormat>

#include <array>
#include <functional>
#include <optional>

class QTextDocument;
class QTextList;
class QTextTable;

namespace platform::text {

// Tables nested deeper than this are flattened into the cell that holds them:
// the layout goes over a nested table's content about twice for every level
// (3,000 paragraphs five tables deep print in 4.5 s, eight deep in 39 s).
inline constexpr int kMaxTableDepth = 5;
// Text boxes inside text boxes past this depth are read as plain text: each
// level is a table in a table cell, which the layout draws over again.
inline constexpr int kMaxTextBoxDepth = 3;
// The line drawn around a text box that has one of no look of its own.
inline constexpr double kTextBoxLinePoints = 0.75;
// A table grows to at most this many columns; cells past them flow into the
// last cell.
inline constexpr int kMaxTableColumns = 64;
// Paragraphs of one table cell: the layout draws a cell's paragraphs again
// for every page the cell spans, so a cell of tens of thousands of them
// (cells past the widest table flow into its last one) takes minutes; a
// document with a longer cell is refused.
inline constexpr int kMaxCellParagraphs = 10000;
// Characters of a document (some five thousand pages, as many as a plain
// text file may hold); a longer document is refused, not cut.
inline constexpr qint64 kMaxDocumentCharacters = 16LL * 1024 * 1024;
// Footnotes and endnotes of a document: each is a text document of its own
// (some kilobytes), and long legal texts carry a few thousand; a document
// with more is refused.
inline constexpr int kMaxNotes = 20000;

// Character format property marking hidden text, which is read but not shown.
inline constexpr int kHiddenTextProperty = QTextFormat::UserProperty + 0x57;
// Block format properties: the paragraph's style (a string), and whether its
// spacing is left out next to a paragraph of the same style (a bool).
inline constexpr int kParagraphStyleProperty = QTextFormat::UserProperty + 0x58;
inline constexpr int kContextualSpacingProperty = QTextFormat::UserProperty + 0x59;

class RichTextBuilder;

// The lines around a text box, by Edge.
using BoxLines = std::array<BorderLine, 4>;
// The lines of a text box whose file gives them no look: a thin black line
// all round, or none.
BoxLines textBoxLines(bool border);

// Tab stops measured from the text's left edge plus origin (word processors
// measure from the edge, or from the paragraph's indent) made into stops
// measured from where the paragraph's first line starts, as the layout
// measures them. A hanging first line stops at the paragraph's indent too.
void measureTabsFromLineStart(QTextBlockFormat& format, double origin = 0);

// Fills document, cleared first: font is its default font, where the file
// names none; undo is off meanwhile. Answers what fill answers.
bool replaceDocument(QTextDocument& document, const QFont& font, const std::function<bool()>& fill);

// The same through a builder, with fontFamily at points as default font;
// false also when the document outgrew the builder's character budget.
bool buildDocument(QTextDocument& document, const QString& fontFamily, double points,
                   const std::function<bool(RichTextBuilder&)>& build);

class RichTextBuilder {
public:
    explicit RichTextBuilder(QTextDocument& document);
    ~RichTextBuilder();

    // Lengths in layout units.
    double points(double value) const { return value * m_unitsPerPoint; }
    double twips(double value) const { return value / 20.0 * m_unitsPerPoint; }

    // Starts a new paragraph (the first of the document or a cell takes the
    // block already there).
    void startParagraph(const QTextBlockFormat& format, const QTextCharFormat& markFormat = {});
    // Makes the current paragraph an item of the list named key at level,
    // its label counted and written before its text as levels say, in the
    // paragraph mark's format under the level's own.
    void setListItem(const QString& key, int level, const QList<ListLevelLook>& levels,
                     std::optional<int> startOverride = std::nullopt);
    // Text of a run; control characters other than tabs and line breaks are
    // dropped, hidden text is left out, and text in a symbol font is written
    // as the characters it draws.
    void addText(const QString& text, const QTextCharFormat& format);
    void addLineBreak(const QTextCharFormat& format);
    // Continues the paragraph on a new page.
    void addPageBreak();
    // The next paragraph starts the section of the body's page furniture
    // with this index (kSectionProperty).
    void startSection(int index) { m_sectionStart = index; }
    // The current paragraph anchors the placed story of the body's page
    // furniture with this index (kPlacedStoriesProperty).
    void anchorPlacedStory(int index);
    // A picture at its display size in points (empty or absurd: its pixel
    // size). source names where its bytes are (a package part, a named
    // binary): a source met before is the same picture, and load is not
    // called again. False when it is no picture within the bounds and what
    // is left of the document's budget.
    bool addImage(const QString& source, const std::function<std::optional<QByteArray>()>& load,
                  QSizeF sizePoints);
    // A picture known by its bytes alone.
    bool addImage(const QByteArray& bytes, QSizeF sizePoints);

    // Tables: rows and cells are appended as they are read. Column widths
    // are in points (none, or all zero: the table shares the text width
    // evenly). A cell spans columns to the right, and rows below (rowSpan)
    // or continues the vertical merge above it. Lines, shading and padding
    // come from look and the cells' own looks, laid on when the table ends.
    void beginTable(const QList<double>& columnWidths, const TableLook& look = {});
    // The look and column widths (points) of the table being written, for
    // readers that learn them late.
    void setTableLook(const TableLook& look);
    void setColumnWidths(const QList<double>& columnWidths);
    // A cell's own look: the current cell's, or that of a column of the
    // current row.
    void setCellLook(const CellLook& look);
    void setCellLook(int column, const CellLook& look);
    void beginRow();
    void beginCell(int columnSpan = 1, int rowSpan = 1, bool continuesMerge = false);
    // A cell covered by a span: only moves to the next column.
    void skipCell();
    void endRow();
    void endTable();
    bool inTable() const { return !m_tables.isEmpty(); }
    // A text box or frame: a one-cell table of the box's width in points
    // (none: the text's) with lines around it; its paragraphs go into the
    // cell until endTextBox.
    void beginTextBox(double widthPoints, const BoxLines& lines);
    void beginTextBox(double widthPoints, bool border) { beginTextBox(widthPoints, textBoxLines(border)); }
    void endTextBox();

    // Closes the tables still open.
    void finish();

    // False once text or table cells were left out for want of budget: the
    // document is not whole. Nothing more is added then.
    bool isComplete() const { return m_complete && !m_cells.exceeded(); }

    QTextDocument& document() { return m_document; }

private:
    struct Merge {
        int row, column, rows, columns;
    };
    struct Table {
        QTextTable* table = nullptr;
        TableLook look;
        QHash<qint64, CellLook> cellLooks; // by row * kMaxTableColumns + column
        int row = -1; // rows past it are added ahead and removed at the end
        int column = 0;
        int cellColumn = 0; // of the cell being written
        QList<Merge> merges;
        QHash<int, int> openMerge; // column -> index in merges of a vertical run
        bool inCell = false;
    };
    struct List {
        QPointer<QTextList> list;
        int items = 0; // items of the current part
    };
    struct Picture {
        QString name; // empty: no picture
        QSize pixels;
    };
    // Takes count characters of the budget; false when it is spent.
    bool take(qint64 count);
    void ensureParagraph();
    void spaceLinesByFont(QTextBlockFormat& block, const QTextCharFormat& mark);
    // Adds the paragraph to the list structure of key at level.
    void joinList(const QString& key, int level, const QTextListFormat& format);
    void ensureCell();
    void insertFreshBlock(const QTextBlockFormat& format, const QTextCharFormat& markFormat);
    void growColumns(Table& t, int needed);
    QList<QTextLength> columnLengths(const QList<double>& columnWidths, int columns) const;
    Picture decodePicture(const std::function<std::optional<QByteArray>()>& load);

    QTextDocument& m_document;
    QTextCursor m_cursor;
    double m_unitsPerPoint;
    bool m_fresh = true; // the cursor's block is empty and still unclaimed
    bool m_paragraphOpen = false;
    int m_sectionStart = 0; // the section the next paragraph starts, if any
    // The paragraph before in the same flow, whose spacing meets the next's.
    QTextBlock m_previous;
    int m_skippedTables = 0;
    qint64 m_characters = 0;
    bool m_complete = true;
    // The document's table cells; past them it is refused.
    TableCells m_cells;
    // The cell whose paragraphs are being counted, and their count.
    const QTextTable* m_countedTable = nullptr;
    int m_countedRow = -1;
    int m_countedColumn = -1;
    int m_cellParagraphs = 0;
    qint64 m_mergeWork = 0;
    QList<Table> m_tables;
    QHash<QString, List> m_lists;
    ListCounters m_counters;
    QHash<QString, double> m_lineGapRatios; // by font key
    QHash<QString, Picture> m_pictures; // by source
    ImageBudget m_images;
};

} // namespace platform::text
