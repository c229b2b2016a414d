#include "platform/text/RichTextBuilder.h"

#include <QBuffer>
#include <QImageReader>
#include <QSet>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>

#include <algorithm>

namespace platform::text {

namespace {

constexpr int kMaxImageSide = 20000;
constexpr qint64 kMaxImageBytes = 256LL * 1024 * 1024;
constexpr double kMaxPictureSide = 14400; // points

bool withinBounds(QSize size)
{
    return size.width() > 0 && size.height() > 0 && size.width() <= kMaxImageSide
           && size.height() <= kMaxImageSide && qint64(size.width()) * size.height() * 4 <= kMaxImageBytes;
}

// Text the document can hold as one run: no paragraph marks or controls.
QString cleanRunText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const ushort u = c.unicode();
        if (u == '\t' || u == QChar::LineSeparator || u == QChar::Nbsp)
            out.append(c);
        else if (u == QChar::ParagraphSeparator || u == '\n' || u == '\r')
            out.append(QLatin1Char(' '));
        else if (u < 0x20 || (u >= 0x7f && u < 0xa0) || u == 0xfffe || u == 0xffff
                 || u == QChar::ObjectReplacementCharacter)
            continue;
        else
            out.append(c);
    }
    return out;
}

} // namespace

double layoutUnitsPerPoint()
{
    const int dpi = QImage(1, 1, QImage::Format_Mono).logicalDpiY();
    return dpi > 0 ? dpi / 72.0 : 1.0;
}

QImage decodeBoundedImage(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return {};
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize declared = reader.size();
    if (declared.isValid() && !withinBounds(declared))
        return {};
    QImage image;
    if (!reader.read(&image) || !withinBounds(image.size()))
        return {};
    return image;
}

RichTextBuilder::RichTextBuilder(QTextDocument& document)
    : document_(document), cursor_(&document), unitsPerPoint_(layoutUnitsPerPoint())
{
    cursor_.movePosition(QTextCursor::End);
    fresh_ = cursor_.block().length() <= 1;
}

RichTextBuilder::~RichTextBuilder()
{
    finish();
}

void RichTextBuilder::insertFreshBlock(const QTextBlockFormat& format, const QTextCharFormat& markFormat)
{
    if (fresh_) {
        cursor_.setBlockFormat(format);
        cursor_.setBlockCharFormat(markFormat);
        cursor_.setCharFormat(markFormat);
        fresh_ = false;
    } else {
        cursor_.insertBlock(format, markFormat);
    }
}

void RichTextBuilder::startParagraph(const QTextBlockFormat& format, const QTextCharFormat& markFormat)
{
    ensureCell();
    insertFreshBlock(format, markFormat);
    paragraphOpen_ = true;
}

void RichTextBuilder::ensureCell()
{
    if (!tables_.isEmpty() && !tables_.last().inCell)
        beginCell();
}

void RichTextBuilder::ensureParagraph()
{
    ensureCell();
    if (!paragraphOpen_)
        startParagraph({}, {});
}

void RichTextBuilder::setListItem(const QString& key, int level, QTextListFormat::Style style)
{
    ensureParagraph();
    level = std::clamp(level, 0, 8);
    const QString name = key + QLatin1Char('/') + QString::number(level);
    QTextList* list = lists_.value(name);
    if (list) {
        list->add(cursor_.block());
        return;
    }
    QTextListFormat format;
    format.setStyle(style);
    format.setIndent(level + 1);
    lists_.insert(name, cursor_.createList(format));
}

void RichTextBuilder::addText(const QString& text, const QTextCharFormat& format)
{
    if (format.boolProperty(kHiddenTextProperty))
        return;
    const QString clean = cleanRunText(text);
    if (clean.isEmpty())
        return;
    ensureParagraph();
    cursor_.insertText(clean, format);
}

void RichTextBuilder::addLineBreak(const QTextCharFormat& format)
{
    if (format.boolProperty(kHiddenTextProperty))
        return;
    ensureParagraph();
    cursor_.insertText(QString(QChar::LineSeparator), format);
}

void RichTextBuilder::addPageBreak()
{
    ensureParagraph();
    QTextBlockFormat format = cursor_.blockFormat();
    format.setPageBreakPolicy(format.pageBreakPolicy() | QTextFormat::PageBreak_AlwaysBefore);
    if (cursor_.block().length() <= 1) {
        cursor_.setBlockFormat(format);
        return;
    }
    // The rest of the paragraph is no list item of its own.
    format.clearProperty(QTextFormat::ObjectIndex);
    cursor_.insertBlock(format, cursor_.blockCharFormat());
}

bool RichTextBuilder::addImage(const QByteArray& bytes, QSizeF size)
{
    const QImage image = decodeBoundedImage(bytes);
    if (image.isNull())
        return false;
    ensureParagraph();
    if (!(size.width() > 0 && size.height() > 0))
        size = QSizeF(image.size());
    const double largest = std::max(size.width(), size.height());
    if (largest > kMaxPictureSide)
        size *= kMaxPictureSide / largest;
    const QString name = QStringLiteral("word-image:%1").arg(++imageCount_);
    document_.addResource(QTextDocument::ImageResource, QUrl(name), image);
    QTextImageFormat format;
    format.setName(name);
    format.setWidth(points(size.width()));
    format.setHeight(points(size.height()));
    cursor_.insertImage(format);
    return true;
}

void RichTextBuilder::beginTable(const QList<double>& columnWidths)
{
    ensureCell();
    if (tables_.size() >= kMaxTableDepth) {
        ++skippedTables_;
        return;
    }
    // The table goes after the paragraph being written, not inside it.
    if (!fresh_ && cursor_.block().length() > 1) {
        cursor_.insertBlock(QTextBlockFormat(), QTextCharFormat());
    }
    const int columns = std::clamp(int(columnWidths.size()), 1, kMaxTableColumns);
    QTextTableFormat format;
    format.setBorder(points(0.5));
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setBorderCollapse(true);
    format.setCellPadding(points(2));
    format.setCellSpacing(0);
    double total = 0;
    for (int i = 0; i < columns && i < columnWidths.size(); ++i)
        total += std::max(0.0, columnWidths[i]);
    if (columnWidths.size() == columns && total > 0) {
        QList<QTextLength> widths;
        for (int i = 0; i < columns; ++i)
            widths.append(QTextLength(QTextLength::PercentageLength,
                                      100.0 * std::max(0.0, columnWidths[i]) / total));
        format.setColumnWidthConstraints(widths);
    }
    Table table;
    table.table = cursor_.insertTable(1, columns, format);
    tables_.append(table);
    paragraphOpen_ = false;
    fresh_ = true;
}

void RichTextBuilder::beginRow()
{
    if (skippedTables_ > 0 || tables_.isEmpty())
        return;
    Table& t = tables_.last();
    t.inCell = false;
    t.column = 0;
    if (t.row + 1 < kMaxTableRows) {
        ++t.row;
        if (t.row >= t.table->rows())
            t.table->appendRows(t.row - t.table->rows() + 1);
    }
}

void RichTextBuilder::growColumns(Table& t, int needed)
{
    needed = std::min(needed, kMaxTableColumns);
    if (needed > t.table->columns())
        t.table->appendColumns(needed - t.table->columns());
}

void RichTextBuilder::beginCell(int columnSpan, int rowSpan, bool continuesMerge)
{
    if (skippedTables_ > 0 || tables_.isEmpty())
        return;
    if (tables_.last().row < 0)
        beginRow();
    Table& t = tables_.last();
    columnSpan = std::clamp(columnSpan, 1, kMaxTableColumns);
    rowSpan = std::clamp(rowSpan, 1, kMaxTableRows);
    // Cells past the widest table allowed flow into its last cell.
    const int column = std::min(t.column, kMaxTableColumns - 1);
    columnSpan = std::min(columnSpan, kMaxTableColumns - column);
    growColumns(t, column + columnSpan);
    const auto open = t.openMerge.constFind(column);
    if (continuesMerge && open != t.openMerge.constEnd()) {
        Merge& merge = t.merges[*open];
        merge.rows = std::max(merge.rows, t.row - merge.row + 1);
    } else {
        t.merges.append({t.row, column, rowSpan, columnSpan});
        for (int c = column; c < column + columnSpan; ++c)
            t.openMerge.insert(c, int(t.merges.size() - 1));
    }
    cursor_ = t.table->cellAt(t.row, column).lastCursorPosition();
    fresh_ = cursor_.block().length() <= 1;
    paragraphOpen_ = false;
    t.inCell = true;
    t.column = column + columnSpan;
}

void RichTextBuilder::skipCell()
{
    if (skippedTables_ > 0 || tables_.isEmpty())
        return;
    Table& t = tables_.last();
    if (t.row < 0)
        beginRow();
    if (t.column < kMaxTableColumns) {
        growColumns(t, t.column + 1);
        ++t.column;
    }
}

void RichTextBuilder::endRow()
{
    if (skippedTables_ > 0 || tables_.isEmpty())
        return;
    tables_.last().inCell = false;
}

void RichTextBuilder::endTable()
{
    if (skippedTables_ > 0) {
        --skippedTables_;
        return;
    }
    if (tables_.isEmpty())
        return;
    const Table t = tables_.takeLast();
    QTextTable* table = t.table;
    // Spans that would cut through another span are left unmerged.
    QSet<qint64> covered;
    for (const Merge& m : t.merges) {
        const int rows = std::min(m.rows, table->rows() - m.row);
        const int columns = std::min(m.columns, table->columns() - m.column);
        if (rows <= 0 || columns <= 0 || (rows == 1 && columns == 1))
            continue;
        bool free = true;
        for (int r = m.row; r < m.row + rows && free; ++r)
            for (int c = m.column; c < m.column + columns && free; ++c)
                free = !covered.contains(qint64(r) * kMaxTableColumns + c);
        if (!free)
            continue;
        for (int r = m.row; r < m.row + rows; ++r)
            for (int c = m.column; c < m.column + columns; ++c)
                covered.insert(qint64(r) * kMaxTableColumns + c);
        table->mergeCells(m.row, m.column, rows, columns);
    }
    cursor_.setPosition(table->lastPosition() + 1);
    fresh_ = cursor_.block().length() <= 1;
    paragraphOpen_ = false;
}

void RichTextBuilder::finish()
{
    while (skippedTables_ > 0 || !tables_.isEmpty())
        endTable();
}

} // namespace platform::text
