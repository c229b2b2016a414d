#include "platform/text/RichTextBuilder.h"

#include "platform/text/PageFurniture.h"
#include "platform/text/ParagraphDecorations.h"
#include "platform/text/SymbolFonts.h"
#include "platform/text/TextDefaults.h"
#include "platform/text/TextLog_p.h"

#include <QCryptographicHash>
#include <QFontMetricsF>
#include <QSet>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>

#include <algorithm>
#include <cmath>
#include <utility>

namespace platform::text {

namespace {

// Rows are added to a table in batches of about this many cells: each change
// of a table's shape makes it rebuild its cell grid.
// Merging cells rebuilds the table's cell grid: merges times the table's
// cells stay below this, and spans past it stay unmerged.
constexpr qint64 kMaxMergeWork = 1LL << 25;
constexpr int kMaxListLevel = kMaxListLevels - 1;
// Adding an item to a list touches every item it holds: a longer list goes
// on in a fresh one, so that building it stays linear.
constexpr int kListItemsPerPart = 256;

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

// Text in a symbol font, which this machine lacks, as the characters it
// draws, in the font of the paragraph's mark.
QString symbolFontText(QTextCharFormat& format, const QString& text, const QTextCharFormat& mark)
{
    const QStringList families = format.fontFamilies().toStringList();
    if (families.isEmpty() || !isSymbolFont(families.first()))
        return text;
    const QStringList markFamilies = mark.fontFamilies().toStringList();
    if (!markFamilies.isEmpty() && !isSymbolFont(markFamilies.first())) {
        format.setFontFamilies(markFamilies);
    } else {
        format.clearProperty(QTextFormat::FontFamilies);
        format.clearProperty(QTextFormat::FontFamily);
    }
    return platform::text::symbolFontText(families.first(), text);
}

} // namespace

void measureTabsFromLineStart(QTextBlockFormat& format, double origin)
{
    const double lineStart = format.leftMargin() + format.textIndent();
    QList<QTextOption::Tab> tabs;
    for (QTextOption::Tab tab : format.tabPositions()) {
        tab.position += origin - lineStart;
        if (tab.position > 0)
            tabs.append(tab);
    }
    if (format.textIndent() < 0) {
        const double indent = -format.textIndent();
        const bool taken = std::any_of(tabs.cbegin(), tabs.cend(),
                                       [&](const QTextOption::Tab& t) { return std::abs(t.position - indent) < 0.01; });
        if (!taken)
            tabs.append(QTextOption::Tab(indent, QTextOption::LeftTab));
    }
    std::sort(tabs.begin(), tabs.end(),
              [](const QTextOption::Tab& a, const QTextOption::Tab& b) { return a.position < b.position; });
    if (!tabs.isEmpty() || format.hasProperty(QTextFormat::TabPositions))
        format.setTabPositions(tabs);
    QList<TabLeader> leaders = tabLeaders(format);
    for (TabLeader& leader : leaders)
        leader.position += origin - lineStart;
    if (!leaders.isEmpty())
        setTabLeaders(format, leaders);
}

bool replaceDocument(QTextDocument& document, const QFont& font, const std::function<bool()>& fill)
{
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    document.clear();
    document.setDefaultFont(font);
    const bool ok = fill();
    document.setUndoRedoEnabled(undo);
    return ok;
}

bool buildDocument(QTextDocument& document, const QString& fontFamily, double points,
                   const std::function<bool(RichTextBuilder&)>& build)
{
    QFont font(fontFamily);
    font.setPointSizeF(points);
    return replaceDocument(document, font, [&] {
        RichTextBuilder builder(document);
        if (!build(builder))
            return false;
        if (!builder.isComplete())
            qCInfo(lcText) << "document refused: more than" << kMaxDocumentCharacters << "characters,"
                           << kMaxTableCells << "table cells or" << kMaxCellParagraphs << "paragraphs in a cell";
        return builder.isComplete();
    });
}

RichTextBuilder::RichTextBuilder(QTextDocument& document)
    : m_document(document), m_cursor(&document), m_unitsPerPoint(layoutUnitsPerPoint())
{
    m_cursor.movePosition(QTextCursor::End);
    m_fresh = m_cursor.block().length() <= 1;
    // One edit for the whole document: outside one, every insertion lays
    // its paragraph out again, and long paragraphs cost the square of their
    // length.
    m_cursor.beginEditBlock();
}

RichTextBuilder::~RichTextBuilder()
{
    finish();
    m_cursor.endEditBlock();
}

bool RichTextBuilder::take(qint64 count)
{
    if (m_characters + count > kMaxDocumentCharacters) {
        m_characters = kMaxDocumentCharacters;
        m_complete = false;
        return false;
    }
    m_characters += count;
    return true;
}

void RichTextBuilder::insertFreshBlock(const QTextBlockFormat& format, const QTextCharFormat& markFormat)
{
    if (m_fresh) {
        m_cursor.setBlockFormat(format);
        m_cursor.setBlockCharFormat(markFormat);
        m_cursor.setCharFormat(markFormat);
        m_fresh = false;
    } else {
        m_cursor.insertBlock(format, markFormat);
    }
    if (inTable() && ++m_cellParagraphs > kMaxCellParagraphs)
        m_complete = false;
}

void RichTextBuilder::anchorPlacedStory(int index)
{
    QTextBlockFormat format = m_cursor.blockFormat();
    QList<int> stories = format.property(kPlacedStoriesProperty).value<QList<int>>();
    stories.append(index);
    format.setProperty(kPlacedStoriesProperty, QVariant::fromValue(stories));
    m_cursor.setBlockFormat(format);
}

void RichTextBuilder::startParagraph(const QTextBlockFormat& format, const QTextCharFormat& markFormat)
{
    ensureCell();
    if (!take(1))
        return;
    QTextBlockFormat block = format;
    if (m_previous.isValid()) {
        // Paragraphs of one style with contextual spacing leave out their
        // spacing between them; the larger of the space after the one
        // before and the space before this one stands between them.
        QTextBlockFormat previous = m_previous.blockFormat();
        const QString style = block.stringProperty(kParagraphStyleProperty);
        const bool sameStyle = !style.isEmpty() && previous.stringProperty(kParagraphStyleProperty) == style;
        if (sameStyle && previous.boolProperty(kContextualSpacingProperty) && previous.bottomMargin() != 0) {
            previous.setBottomMargin(0);
            QTextCursor(m_previous).setBlockFormat(previous);
        }
        if (sameStyle && block.boolProperty(kContextualSpacingProperty))
            block.setTopMargin(0);
    }
    if (m_sectionStart > 0)
        block.setProperty(kSectionProperty, std::exchange(m_sectionStart, 0));
    spaceLinesByFont(block, markFormat);
    insertFreshBlock(block, markFormat);
    m_paragraphOpen = true;
    m_previous = m_cursor.block();
}

void RichTextBuilder::spaceLinesByFont(QTextBlockFormat& block, const QTextCharFormat& mark)
{
    // Word processors space single lines by the font's ascent and descent;
    // the layout adds the font's line gap on top, a fifth more for some
    // fonts. Proportional spacing is taken from the lines as they space them.
    const auto type = block.lineHeightType();
    if (type != QTextBlockFormat::SingleHeight && type != QTextBlockFormat::ProportionalHeight)
        return;
    const QFont font = mark.font().resolve(m_document.defaultFont());
    const QString key = font.key();
    auto ratio = m_lineGapRatios.constFind(key);
    if (ratio == m_lineGapRatios.constEnd()) {
        const QFontMetricsF metrics(font);
        const double lines = metrics.ascent() + metrics.descent();
        const double withGap = lines + std::max(0.0, metrics.leading());
        ratio = m_lineGapRatios.insert(key, lines > 0 && withGap > lines ? lines / withGap : 1.0);
    }
    if (*ratio >= 1.0)
        return;
    const double percent = type == QTextBlockFormat::ProportionalHeight ? block.lineHeight() : 100.0;
    block.setLineHeight(percent * *ratio, QTextBlockFormat::ProportionalHeight);
}

void RichTextBuilder::ensureCell()
{
    if (!m_tables.isEmpty() && !m_tables.last().inCell)
        beginCell();
}

void RichTextBuilder::ensureParagraph()
{
    ensureCell();
    if (!m_paragraphOpen)
        startParagraph({}, {});
}

void RichTextBuilder::joinList(const QString& key, int level, const QTextListFormat& format)
{
    const QString prefix = key + QLatin1Char('/');
    for (int deeper = level + 1; deeper <= kMaxListLevel; ++deeper)
        m_lists.remove(prefix + QString::number(deeper));
    List& list = m_lists[prefix + QString::number(level)];
    if (list.list && list.items < kListItemsPerPart) {
        list.list->add(m_cursor.block());
        ++list.items;
        return;
    }
    list.list = m_cursor.createList(format);
    list.items = 1;
}

void RichTextBuilder::setListItem(const QString& key, int level, const QList<ListLevelLook>& levels,
                                  std::optional<int> startOverride)
{
    ensureParagraph();
    if (!m_paragraphOpen)
        return;
    level = std::clamp(level, 0, kMaxListLevel);
    // The label is part of the text, where word processors draw it: the
    // list only keeps the items together.
    QTextListFormat format;
    format.setStyle(QTextListFormat::ListStyleUndefined);
    format.setIndent(0);
    joinList(QStringLiteral("label:") + key, level, format);
    const QString label = m_counters.next(key, level, levels, startOverride);
    if (label.isEmpty())
        return;
    const ListLevelLook own = level < levels.size() ? levels[level] : ListLevelLook();
    QTextCharFormat labelFormat = m_cursor.blockCharFormat();
    labelFormat.merge(own.chars);
    labelFormat.clearProperty(kHiddenTextProperty);
    QString text = symbolFontText(labelFormat, label, m_cursor.blockCharFormat());
    // Characters of the symbol fonts' private range with no font named are
    // Symbol bullets all the same.
    for (QChar& c : text) {
        const auto mapped = c.unicode() >= 0xF020 && c.unicode() <= 0xF0FF
                                ? symbolFontCharacter(QStringLiteral("Symbol"), c.unicode())
                                : std::nullopt;
        if (mapped && mapped->size() == 1)
            c = mapped->front();
    }
    text += own.separator;
    if (take(text.size()))
        m_cursor.insertText(cleanRunText(text), labelFormat);
}

void RichTextBuilder::addText(const QString& text, const QTextCharFormat& runFormat)
{
    if (runFormat.boolProperty(kHiddenTextProperty) || !isComplete())
        return;
    QTextCharFormat format = runFormat;
    const QString clean = cleanRunText(symbolFontText(format, text, m_cursor.blockCharFormat()));
    if (clean.isEmpty())
        return;
    ensureParagraph();
    if (!m_paragraphOpen || !take(clean.size()))
        return;
    m_cursor.insertText(clean, format);
}

void RichTextBuilder::addLineBreak(const QTextCharFormat& format)
{
    if (format.boolProperty(kHiddenTextProperty))
        return;
    ensureParagraph();
    if (!m_paragraphOpen || !take(1))
        return;
    m_cursor.insertText(QString(QChar::LineSeparator), format);
}

void RichTextBuilder::addPageBreak()
{
    ensureParagraph();
    if (!m_paragraphOpen)
        return;
    QTextBlockFormat format = m_cursor.blockFormat();
    format.setPageBreakPolicy(format.pageBreakPolicy() | QTextFormat::PageBreak_AlwaysBefore);
    if (m_cursor.block().length() <= 1) {
        m_cursor.setBlockFormat(format);
        return;
    }
    if (!take(1))
        return;
    // The rest of the paragraph is no list item of its own, nor does it
    // start a section.
    format.clearProperty(QTextFormat::ObjectIndex);
    format.clearProperty(kSectionProperty);
    m_cursor.insertBlock(format, m_cursor.blockCharFormat());
}

RichTextBuilder::Picture RichTextBuilder::decodePicture(const std::function<std::optional<QByteArray>()>& load)
{
    const std::optional<QByteArray> bytes = load();
    if (!bytes)
        return {};
    const QImage image = m_images.decode(*bytes);
    if (image.isNull())
        return {};
    Picture picture{QStringLiteral("word-image:%1").arg(m_pictures.size() + 1), image.size()};
    m_document.addResource(QTextDocument::ImageResource, QUrl(picture.name), image);
    return picture;
}

bool RichTextBuilder::addImage(const QString& source, const std::function<std::optional<QByteArray>()>& load,
                               QSizeF size)
{
    auto it = m_pictures.find(source);
    if (it == m_pictures.end()) {
        const Picture picture = decodePicture(load);
        it = m_pictures.insert(source, picture);
    }
    const Picture picture = *it;
    if (picture.name.isEmpty())
        return false;
    ensureParagraph();
    if (!m_paragraphOpen || !take(1))
        return false;
    size = boundedPictureSize(size);
    if (size.isEmpty())
        size = boundedPictureSize(QSizeF(picture.pixels));
    QTextImageFormat format;
    format.setName(picture.name);
    format.setWidth(points(size.width()));
    format.setHeight(points(size.height()));
    m_cursor.insertImage(format);
    return true;
}

bool RichTextBuilder::addImage(const QByteArray& bytes, QSizeF size)
{
    const QByteArray digest = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
    return addImage(QStringLiteral("data:") + QString::fromLatin1(digest.toHex()), [&] { return bytes; }, size);
}

void RichTextBuilder::beginTable(const QList<double>& columnWidths, const TableLook& look)
{
    ensureCell();
    const int columns = std::clamp(int(columnWidths.size()), 1, kMaxTableColumns);
    if (m_skippedTables > 0 || m_tables.size() >= kMaxTableDepth || !isComplete()
        || !m_cells.takeNewTable(columns)) {
        ++m_skippedTables;
        return;
    }
    // The table goes after the paragraph being written, not inside it. The
    // layout gives no height to an empty block just before or after a
    // table: the table gets blocks of its own on both sides, so that an
    // empty paragraph of the document keeps its line.
    if (!m_fresh)
        m_cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
    QTextTableFormat format;
    format.setBorder(0);
    format.setBorderCollapse(true);
    format.setCellSpacing(0);
    format.setColumnWidthConstraints(columnLengths(columnWidths, columns));
    Table table;
    table.table = m_cursor.insertTable(1, columns, format);
    table.look = look;
    m_tables.append(table);
    m_paragraphOpen = false;
    m_previous = QTextBlock();
    m_fresh = true;
}

BoxLines textBoxLines(bool border)
{
    const BorderLine line =
        border ? BorderLine{kTextBoxLinePoints, QTextFrameFormat::BorderStyle_Solid, Qt::black} : BorderLine{};
    return {line, line, line, line};
}

void RichTextBuilder::beginTextBox(double widthPoints, const BoxLines& lines)
{
    TableLook look;
    for (int edge = 0; edge < 4; ++edge)
        look.whole.borders[edge] = lines[edge];
    beginTable(widthPoints > 0 ? QList<double>{widthPoints} : QList<double>{}, look);
    beginRow();
    beginCell();
}

void RichTextBuilder::endTextBox()
{
    endRow();
    endTable();
}

QList<QTextLength> RichTextBuilder::columnLengths(const QList<double>& columnWidths, int columns) const
{
    // Columns as wide as the document makes them; the printer narrows a
    // table wider than the text.
    double total = 0;
    for (int i = 0; i < columns && i < columnWidths.size(); ++i)
        total += std::max(0.0, columnWidths[i]);
    QList<QTextLength> widths;
    if (columnWidths.size() == columns && total > 0)
        for (int i = 0; i < columns; ++i)
            widths.append(QTextLength(QTextLength::FixedLength, points(std::max(0.0, columnWidths[i]))));
    return widths;
}

void RichTextBuilder::setColumnWidths(const QList<double>& columnWidths)
{
    if (m_skippedTables > 0 || m_tables.isEmpty())
        return;
    QTextTable* table = m_tables.last().table;
    const QList<QTextLength> widths = columnLengths(columnWidths, table->columns());
    if (widths.isEmpty())
        return;
    QTextTableFormat format = table->format();
    format.setColumnWidthConstraints(widths);
    table->setFormat(format);
}

void RichTextBuilder::setTableLook(const TableLook& look)
{
    if (m_skippedTables == 0 && !m_tables.isEmpty())
        m_tables.last().look = look;
}

void RichTextBuilder::setCellLook(const CellLook& look)
{
    if (m_skippedTables == 0 && !m_tables.isEmpty())
        setCellLook(m_tables.last().cellColumn, look);
}

void RichTextBuilder::setCellLook(int column, const CellLook& look)
{
    if (m_skippedTables > 0 || m_tables.isEmpty())
        return;
    Table& t = m_tables.last();
    if (t.row < 0 || column < 0 || column >= t.table->columns())
        return;
    t.cellLooks.insert(qint64(t.row) * kMaxTableColumns + column, look);
}

void RichTextBuilder::beginRow()
{
    if (m_skippedTables > 0 || m_tables.isEmpty() || !isComplete())
        return;
    Table& t = m_tables.last();
    t.inCell = false;
    t.column = 0;
    // Past the budget the document is refused (isComplete).
    if (m_cells.ensureRow(t.table, t.row + 1))
        ++t.row;
}

void RichTextBuilder::growColumns(Table& t, int needed)
{
    m_cells.widen(t.table, std::min(needed, kMaxTableColumns));
}

void RichTextBuilder::beginCell(int columnSpan, int rowSpan, bool continuesMerge)
{
    if (m_skippedTables > 0 || m_tables.isEmpty() || !isComplete())
        return;
    if (m_tables.last().row < 0)
        beginRow();
    Table& t = m_tables.last();
    columnSpan = std::clamp(columnSpan, 1, kMaxTableColumns);
    growColumns(t, t.column + columnSpan);
    // Cells past the widest table allowed flow into its last cell.
    const int column = std::min(t.column, t.table->columns() - 1);
    columnSpan = std::min(columnSpan, t.table->columns() - column);
    rowSpan = int(std::clamp<qint64>(rowSpan, 1, kMaxTableCells));
    const auto open = t.openMerge.constFind(column);
    if (continuesMerge && open != t.openMerge.constEnd()) {
        Merge& merge = t.merges[*open];
        merge.rows = std::max(merge.rows, t.row - merge.row + 1);
    } else if (open == t.openMerge.constEnd() || t.merges[*open].row != t.row
               || t.merges[*open].column != column) { // not a cell met again past the last row
        t.merges.append({t.row, column, rowSpan, columnSpan});
        for (int c = column; c < column + columnSpan; ++c)
            t.openMerge.insert(c, int(t.merges.size() - 1));
    }
    if (t.table != m_countedTable || t.row != m_countedRow || column != m_countedColumn) {
        m_countedTable = t.table;
        m_countedRow = t.row;
        m_countedColumn = column;
        m_cellParagraphs = 0;
    }
    m_cursor = t.table->cellAt(t.row, column).lastCursorPosition();
    m_fresh = m_cursor.block().length() <= 1;
    m_paragraphOpen = false;
    m_previous = QTextBlock();
    t.inCell = true;
    t.cellColumn = column;
    t.column = column + columnSpan;
}

void RichTextBuilder::skipCell()
{
    if (m_skippedTables > 0 || m_tables.isEmpty())
        return;
    Table& t = m_tables.last();
    if (t.row < 0)
        beginRow();
    growColumns(t, t.column + 1);
    if (t.column < t.table->columns())
        ++t.column;
}

void RichTextBuilder::endRow()
{
    if (m_skippedTables > 0 || m_tables.isEmpty())
        return;
    m_tables.last().inCell = false;
}

void RichTextBuilder::endTable()
{
    if (m_skippedTables > 0) {
        --m_skippedTables;
        return;
    }
    if (m_tables.isEmpty())
        return;
    const Table t = m_tables.takeLast();
    QTextTable* table = t.table;
    m_cells.trim(table, t.row + 1);
    // Spans that would cut through another span are left unmerged.
    QSet<qint64> covered;
    const qint64 tableCells = qint64(table->rows()) * table->columns();
    for (const Merge& m : t.merges) {
        const int rows = std::min(m.rows, table->rows() - m.row);
        const int columns = std::min(m.columns, table->columns() - m.column);
        if (rows <= 0 || columns <= 0 || (rows == 1 && columns == 1))
            continue;
        if (m_mergeWork + tableCells > kMaxMergeWork)
            break;
        bool free = true;
        for (int r = m.row; r < m.row + rows && free; ++r)
            for (int c = m.column; c < m.column + columns && free; ++c)
                free = !covered.contains(qint64(r) * kMaxTableColumns + c);
        if (!free)
            continue;
        for (int r = m.row; r < m.row + rows; ++r)
            for (int c = m.column; c < m.column + columns; ++c)
                covered.insert(qint64(r) * kMaxTableColumns + c);
        m_mergeWork += tableCells;
        table->mergeCells(m.row, m.column, rows, columns);
    }
    applyTableLook(*table, t.look,
                   [&](int row, int column) {
                       const auto it = t.cellLooks.constFind(qint64(row) * kMaxTableColumns + column);
                       return it == t.cellLooks.constEnd() ? nullptr : &*it;
                   },
                   m_unitsPerPoint);
    m_cursor.setPosition(table->lastPosition() + 1);
    m_fresh = false;
    m_paragraphOpen = false;
    m_previous = QTextBlock();
}

void RichTextBuilder::finish()
{
    while (m_skippedTables > 0 || !m_tables.isEmpty())
        endTable();
}

} // namespace platform::text
