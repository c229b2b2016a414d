#pragma once
// Building a rich text document as the word-processing readers walk their
// files: paragraphs, runs, lists, tables (with merged cells) and pictures,
// appended in reading order through one cursor.
#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QList>
#include <QPointer>
#include <QSizeF>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextListFormat>

class QTextDocument;
class QTextList;
class QTextTable;

namespace platform::text {

// Tables nested deeper than this are flattened into the cell that holds them.
inline constexpr int kMaxTableDepth = 16;
// A table grows to at most this many rows and columns; cells past them flow
// into the last cell.
inline constexpr int kMaxTableRows = 100000;
inline constexpr int kMaxTableColumns = 64;

// Character format property marking hidden text, which is read but not shown.
inline constexpr int kHiddenTextProperty = QTextFormat::UserProperty + 0x57;

// Layout units of the document per point (the default resolution's pixels).
double layoutUnitsPerPoint();

// Decodes a picture when its header gives a size within the bounds; null
// otherwise.
QImage decodeBoundedImage(const QByteArray& bytes);

class RichTextBuilder {
public:
    explicit RichTextBuilder(QTextDocument& document);
    ~RichTextBuilder();

    // Lengths in layout units.
    double points(double value) const { return value * unitsPerPoint_; }
    double twips(double value) const { return value / 20.0 * unitsPerPoint_; }

    // Starts a new paragraph (the first of the document or a cell takes the
    // block already there).
    void startParagraph(const QTextBlockFormat& format, const QTextCharFormat& markFormat = {});
    // Makes the current paragraph an item of the list named key at level.
    void setListItem(const QString& key, int level, QTextListFormat::Style style);
    // Text of a run; control characters other than tabs and line breaks are
    // dropped, hidden text is left out.
    void addText(const QString& text, const QTextCharFormat& format);
    void addLineBreak(const QTextCharFormat& format);
    // Continues the paragraph on a new page.
    void addPageBreak();
    // A picture at its display size in points (empty: its pixel size); false
    // when the bytes are no picture within the bounds.
    bool addImage(const QByteArray& bytes, QSizeF sizePoints);

    // Tables: rows and cells are appended as they are read. A cell spans
    // columns to the right, and rows below (rowSpan) or continues the
    // vertical merge above it.
    void beginTable(const QList<double>& columnWidths);
    void beginRow();
    void beginCell(int columnSpan = 1, int rowSpan = 1, bool continuesMerge = false);
    // A cell covered by a span: only moves to the next column.
    void skipCell();
    void endRow();
    void endTable();
    bool inTable() const { return !tables_.isEmpty(); }

    // Closes what is open; further calls are not expected.
    void finish();

    QTextDocument& document() { return document_; }

private:
    struct Merge {
        int row, column, rows, columns;
    };
    struct Table {
        QTextTable* table = nullptr;
        int row = -1;
        int column = 0;
        QList<Merge> merges;
        QHash<int, int> openMerge; // column -> index in merges of a vertical run
        bool inCell = false;
    };
    void ensureParagraph();
    void ensureCell();
    void insertFreshBlock(const QTextBlockFormat& format, const QTextCharFormat& markFormat);
    void growColumns(Table& t, int needed);

    QTextDocument& document_;
    QTextCursor cursor_;
    double unitsPerPoint_;
    bool fresh_ = true; // the cursor's block is empty and still unclaimed
    bool paragraphOpen_ = false;
    int skippedTables_ = 0;
    int imageCount_ = 0;
    QList<Table> tables_;
    QHash<QString, QPointer<QTextList>> lists_;
};

} // namespace platform::text
