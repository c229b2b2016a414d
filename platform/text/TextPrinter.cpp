#include "platform/text/TextPrinter.h"

#include "platform/DictionaryKeys.h"
#include "platform/pdf/PdfDocument.h"
#include "platform/text/PageFurniture.h"
#include "platform/text/PageTopSpace_p.h"
#include "platform/text/ParagraphDecorations.h"
#include "platform/text/PrintLayout_p.h"
#include "platform/text/PrintedPdf_p.h"
#include "platform/text/PrintedFurniture_p.h"
#include "platform/text/TextDefaults.h"
#include "platform/text/TextLog_p.h"

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextOption>
#include <QTextTable>

#include <algorithm>
#include <cmath>

namespace platform::text {

namespace {

// Largest page side a PDF reader is required to show, in points.
constexpr double kMaxPaperSide = 14400.0;
// A text view's default tab interval, in points.
constexpr double kTabIntervalPoints = 28.0;
// Layout units by which a line may overlap the next page after rounding.
constexpr double kEdgeTolerance = 0.1;
// Content wider than this many text widths is cut rather than shrunk
// further: the text would be unreadable and the page heights unbounded.
constexpr double kMaxShrink = 64.0;
// Characters whose shaped glyphs are kept for drawing (some 30 bytes each).
constexpr qint64 kCachedCharacters = 2 * 1024 * 1024;
// Qt's own default tab distance, which no reader sets on purpose.
constexpr double kQtDefaultTabDistance = 80.0;

// Columns of fixed widths made shares of the width there is.
void makeColumnsRelative(QTextTable& table)
{
    QTextTableFormat format = table.format();
    const QList<QTextLength> widths = format.columnWidthConstraints();
    double total = 0;
    for (const QTextLength& w : widths)
        total += w.type() == QTextLength::FixedLength ? w.rawValue() : 0;
    if (!(total > 0))
        return;
    QList<QTextLength> shares;
    for (const QTextLength& w : widths)
        shares.append(QTextLength(QTextLength::PercentageLength,
                                  w.type() == QTextLength::FixedLength ? 100 * w.rawValue() / total : 0));
    format.setColumnWidthConstraints(shares);
    table.setFormat(format);
}

// Tables keep the column widths their document gives them where they fit
// the text width; a wider one, and any table inside a cell, shares out the
// width there is instead of pushing past the margin.
void fitTables(QTextFrame* frame, double width, bool nested)
{
    for (QTextFrame* child : frame->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(child)) {
            double total = table->format().leftMargin();
            for (const QTextLength& w : table->format().columnWidthConstraints())
                total += w.type() == QTextLength::FixedLength ? w.rawValue() : 0;
            if (nested || total > width)
                makeColumnsRelative(*table);
            fitTables(child, width, true);
        } else {
            fitTables(child, width, nested);
        }
    }
}

// Tab stops past the right margin stop at it, as in a word processor: a
// contents line set for a wider page keeps its page number on its line.
void keepTabsWithinWidth(QTextDocument& document, double width)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QTextBlockFormat format = block.blockFormat();
        QList<QTextOption::Tab> tabs = format.tabPositions();
        if (tabs.isEmpty())
            continue;
        const double available =
            width - format.leftMargin() - format.rightMargin() - std::max(0.0, format.textIndent());
        bool changed = false;
        for (QTextOption::Tab& tab : tabs) {
            if (tab.position > available && available > 0) {
                tab.position = available;
                changed = true;
            }
        }
        if (changed) {
            format.setTabPositions(tabs);
            QList<TabLeader> leaders = tabLeaders(format);
            for (TabLeader& leader : leaders)
                leader.position = std::min(leader.position, available);
            setTabLeaders(format, leaders);
            QTextCursor(block).setBlockFormat(format);
        }
    }
}

struct Pagination {
    QSizeF page;        // one page's text area in layout units
    double scale = 1;   // points per layout unit are multiplied by this
    int pageCount = 0;
    bool fitsWidth = true; // false: content past the right edge is cut off
};

// Whether a line of a paragraph outside tables and frames lies across the
// foot of a page (pages pageHeight apart); lines taller than a page do.
bool hasLineAcrossPageFoot(const QTextDocument& document, double pageHeight)
{
    const QAbstractTextDocumentLayout* layout = document.documentLayout();
    for (auto item = document.rootFrame()->begin(); !item.atEnd(); ++item) {
        const QTextBlock block = item.currentBlock();
        if (item.currentFrame() || !block.isValid() || !block.layout())
            continue;
        const double blockTop = layout->blockBoundingRect(block).top();
        const QTextLayout* lines = block.layout();
        for (int i = 0; i < lines->lineCount(); ++i) {
            const QTextLine line = lines->lineAt(i);
            const double top = blockTop + line.y();
            if (line.height() <= pageHeight
                && std::floor((top + kEdgeTolerance) / pageHeight)
                       != std::floor((top + line.height() - kEdgeTolerance) / pageHeight))
                return true;
        }
    }
    return false;
}

// Lays the document out at the text area's width; content wider than that
// is laid out at its own width and the whole is scaled down to fit.
Pagination paginate(QTextDocument& document, const QSizeF& area, double pointsPerUnit)
{
    const QSizeF fitted = area / pointsPerUnit;
    Pagination result{layoutPageSize(fitted), 1, 0};
    keepSpaceBeforeFirstParagraph(document);
    PageTopSpace topSpace;
    document.setPageSize(result.page);
    topSpace.drop(document, result.page.height());
    for (int pass = 0; pass < 4; ++pass) {
        const double needed = std::min(document.documentLayout()->documentSize().width(),
                                       fitted.width() * kMaxShrink);
        if (!(needed > result.page.width() * (1 + 1e-9)))
            break;
        result.scale = fitted.width() / needed;
        result.page = layoutPageSize(fitted / result.scale);
        document.setPageSize(result.page);
        topSpace.restore(document);
        topSpace.drop(document, result.page.height());
    }
    // The layout, made step by step, now and then leaves a line across the
    // foot of a page, where it is printed on neither page; laid out again in
    // one go, each line lies within a page.
    if (hasLineAcrossPageFoot(document, result.page.height()))
        document.markContentsDirty(0, document.characterCount());
    result.pageCount = document.pageCount();
    result.fitsWidth =
        !(document.documentLayout()->documentSize().width() > result.page.width() * (1 + 1e-9));
    return result;
}

// The layout keeps positions as 26.6 fixed-point numbers: beyond this height
// they would wrap around.
bool fitsLayoutRange(const QTextDocument& document)
{
    const double height = document.documentLayout()->documentSize().height();
    return height >= 0 && height < kMaxLayoutHeight;
}

// Walks the root frame's paragraphs and frames in order, page after page,
// to find the paragraph that a page's top edge cuts through.
class PageEdges {
public:
    explicit PageEdges(const QTextDocument& document)
        : m_layout(document.documentLayout()), m_item(document.rootFrame()->begin())
    {
    }

    // The top-level paragraph that begins above top and goes on below it;
    // invalid when none does. Calls come with growing tops.
    QTextBlock blockAcross(double top)
    {
        for (; !m_item.atEnd(); ++m_item) {
            QTextFrame* frame = m_item.currentFrame();
            const QRectF rect = frame ? m_layout->frameBoundingRect(frame)
                                      : m_layout->blockBoundingRect(m_item.currentBlock());
            if (rect.bottom() <= top + kEdgeTolerance)
                continue;
            if (!frame && rect.top() < top - kEdgeTolerance)
                return m_item.currentBlock();
            return {};
        }
        return {};
    }

private:
    QAbstractTextDocumentLayout* m_layout;
    QTextFrame::iterator m_item;
};

// Draws the lines of a top-level paragraph that lie between top and bottom,
// with its background there.
void drawLinesWithin(QPainter& painter, const QTextBlock& block, double top, double bottom)
{
    const QTextLayout* layout = block.layout();
    const QPointF origin = layout->position();
    painter.save();
    const QBrush background = block.blockFormat().background();
    if (background.style() != Qt::NoBrush) {
        const QRectF rect = block.document()->documentLayout()->blockBoundingRect(block);
        painter.fillRect(rect & QRectF(rect.left(), top, rect.width(), bottom - top), background);
    }
    painter.setPen(Qt::black);
    for (int i = 0; i < layout->lineCount(); ++i) {
        const QTextLine line = layout->lineAt(i);
        const double lineTop = origin.y() + line.y();
        if (lineTop >= top - kEdgeTolerance && lineTop + line.height() <= bottom + kEdgeTolerance)
            line.draw(&painter, origin);
    }
    painter.restore();
}

// Characters other than white space on each page, from where the layout put
// the lines; the pages are pageHeight apart. Pictures and list markers are
// not counted.
QList<int> charactersPerPage(const QTextDocument& document, double pageHeight, int pageCount)
{
    QList<int> counts(pageCount, 0);
    const QAbstractTextDocumentLayout* layout = document.documentLayout();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextLayout* lines = block.layout();
        if (!lines || !block.isVisible() || lines->lineCount() == 0)
            continue;
        const double blockTop = layout->blockBoundingRect(block).top();
        const QString text = block.text();
        for (int i = 0; i < lines->lineCount(); ++i) {
            const QTextLine line = lines->lineAt(i);
            const double middle = blockTop + line.y() + line.height() / 2;
            const int page = int(std::floor(middle / pageHeight));
            if (page < 0 || page >= pageCount)
                continue;
            const int end = std::min(int(text.size()), line.textStart() + line.textLength());
            for (int c = std::max(line.textStart(), 0); c < end; ++c)
                if (!text.at(c).isSpace() && text.at(c) != QChar::ObjectReplacementCharacter)
                    ++counts[page];
        }
    }
    return counts;
}

} // namespace

QSizeF turnedPaper(const PrintSettings& settings)
{
    return settings.landscape ? settings.paperSize.transposed() : settings.paperSize;
}

bool isPrintable(const PrintSettings& settings)
{
    const QSizeF area = textArea(settings);
    const QSizeF paper = turnedPaper(settings);
    // Comparisons written so that NaN fails them.
    if (!(area.width() > 0 && area.height() > 0)) {
        qCInfo(lcText) << "not printed: the margins leave no room on the paper" << paper;
        return false;
    }
    if (!(paper.width() > 0 && paper.height() > 0 && paper.width() <= kMaxPaperSide
          && paper.height() <= kMaxPaperSide)) {
        qCInfo(lcText) << "not printed: no paper of size" << paper;
        return false;
    }
    return std::isfinite(settings.leftMargin) && std::isfinite(settings.topMargin);
}

QSizeF layoutPageSize(const QSizeF& area)
{
    return {std::floor(area.width() * kLayoutSteps) / kLayoutSteps,
            std::floor(area.height() * kLayoutSteps) / kLayoutSteps};
}

// Resolution of the units the document is laid out in: its layout's paint
// device, else the default resolution.
double layoutDpi(const QTextDocument& document)
{
    const QPaintDevice* device = document.documentLayout()->paintDevice();
    if (device)
        return device->logicalDpiY();
    return defaultLayoutDpi();
}

void prepareLayout(QTextDocument& document, double pointsPerUnit)
{
    document.setDocumentMargin(0);
    document.setUseDesignMetrics(true);
    // No ligatures or kerning where the script needs none, as in a word
    // processor's default; the PDF writer also gives ligatures no text, so
    // "https" would read back as "h ps".
    QFont font = document.defaultFont();
    font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::PreferNoShaping));
    document.setDefaultFont(font);
    QTextOption option = document.defaultTextOption();
    // Long words break anywhere, as in a text view; a reader's own tab
    // interval stays.
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    if (option.tabStopDistance() == kQtDefaultTabDistance)
        option.setTabStopDistance(kTabIntervalPoints / pointsPerUnit);
    document.setDefaultTextOption(option);
    // Paragraphs keep their shaped glyphs from layout to drawing instead of
    // being shaped twice; past a bound the memory is worth more than the time.
    qint64 cached = 0;
    for (QTextBlock block = document.begin(); block.isValid() && cached < kCachedCharacters;
         block = block.next()) {
        block.layout()->setCacheEnabled(true);
        cached += block.length();
    }
}

// Images travel with the text: the other document resolves them from its
// own folder or its own resources, and this one finds them ready.
void copyImages(QTextDocument& document, const QTextDocument& other)
{
    for (const QTextFormat& format : other.allFormats()) {
        QString name;
        if (format.isImageFormat())
            name = format.toImageFormat().name();
        else if (format.hasProperty(QTextFormat::BackgroundImageUrl))
            name = format.stringProperty(QTextFormat::BackgroundImageUrl);
        if (name.isEmpty())
            continue;
        const QVariant image = other.resource(QTextDocument::ImageResource, QUrl(name));
        if (image.isValid())
            document.addResource(QTextDocument::ImageResource, document.baseUrl().resolved(QUrl(name)), image);
    }
}

QSizeF textArea(const PrintSettings& settings)
{
    const QSizeF paper = turnedPaper(settings);
    return {paper.width() - settings.leftMargin - settings.rightMargin,
            paper.height() - settings.topMargin - settings.bottomMargin};
}

std::shared_ptr<pdf::PdfDocument> printToPdfDocument(QTextDocument& document, const PrintSettings& settings,
                                                     QList<int>* printedCharacters)
{
    if (printedCharacters)
        printedCharacters->clear();
    if (!isPrintable(settings))
        return nullptr;
    const QSizeF area = textArea(settings);
    const QSizeF paper = turnedPaper(settings);

    // Headers and footers take their room from the body's area.
    PrintedFurniture furniture(document, area.width());
    PageFrame frame{paper.height(), settings.leftMargin, area.width()};
    frame.paperWidth = paper.width();
    furniture.frameBody(frame, settings.topMargin, settings.bottomMargin);
    const QSizeF bodyArea(area.width(), frame.bodyBottom - frame.bodyTop);

    // No page size, no layout: each setting below would otherwise lay the
    // whole document out again, long before the page is known.
    document.setPageSize(QSizeF(0, 0));
    const double pointsPerUnit = kPointsPerInch / layoutDpi(document);
    prepareLayout(document, pointsPerUnit);
    fitTables(document.rootFrame(), area.width() / pointsPerUnit, false);
    keepTabsWithinWidth(document, area.width() / pointsPerUnit);
    Pagination pages = paginate(document, bodyArea, pointsPerUnit);
    if (!furniture.isEmpty()) {
        furniture.placeNotes(pages.page.height(), pointsPerUnit * pages.scale);
        pages.pageCount = document.pageCount();
    }
    if (!fitsLayoutRange(document)) {
        qCInfo(lcText) << "not printed: the document is longer than" << kMaxLayoutHeight << "layout units";
        return nullptr;
    }

    PrintedPdf output(paper);
    QPainter painter;
    if (!output.isValid() || !painter.begin(&output.device()))
        return nullptr;
    const double devicePerPoint = kPdfResolution / kPointsPerInch;
    const double devicePerUnit = devicePerPoint * pointsPerUnit * pages.scale;
    painter.translate(settings.leftMargin * devicePerPoint, frame.bodyTop * devicePerPoint);
    painter.scale(devicePerUnit, devicePerUnit);

    QAbstractTextDocumentLayout::PaintContext context;
    // Text without a colour of its own prints black whatever the desktop theme.
    context.palette.setColor(QPalette::Text, Qt::black);
    const double pageHeight = pages.page.height();
    // The clip spans the paper across so that nothing wider is cut at the
    // margins, and one page's text area down.
    const double clipLeft = -settings.leftMargin / (pointsPerUnit * pages.scale);
    const double clipWidth = paper.width() / (pointsPerUnit * pages.scale);
    PageEdges edges(document);
    ParagraphDecorations decorations(document);
    const int printedPages = furniture.planPages(pageHeight, pages.pageCount);
    bool ok = true;
    for (int index = 0; index < printedPages && ok; ++index) {
        if (index > 0 && !output.newPage()) {
            ok = false;
            break;
        }
        // A blank page before a section that starts on an odd or even page
        // has its furniture only.
        const int page = furniture.bodyPageOf(index);
        if (page < 0) {
            furniture.drawPage(painter, index, frame, devicePerPoint);
            continue;
        }
        const double top = page * pageHeight;
        const double bottom = top + pageHeight;
        painter.save();
        painter.translate(0, -top);
        painter.setClipRect(QRectF(clipLeft, top, clipWidth, pageHeight));
        // The layout draws one line above its clip in every paragraph it
        // draws; the paragraph that the page's top edge cuts through would
        // put its last line of the page before into this page's text. That
        // paragraph's lines are drawn here, the rest by the layout below it.
        double layoutFrom = top;
        const QTextBlock across = edges.blockAcross(top);
        if (across.isValid()) {
            drawLinesWithin(painter, across, top, bottom);
            layoutFrom = std::max(top, document.documentLayout()->blockBoundingRect(across).bottom());
        }
        // Lines are skipped when they lie outside this clip; drawn and only
        // clipped away, their text would still be in the page. It is a hair
        // narrower than the page so that lines of the pages before and after,
        // which may touch its edges after rounding, stay out.
        const double clipTop = layoutFrom + kEdgeTolerance;
        const double clipBottom = bottom - kEdgeTolerance;
        if (clipBottom > clipTop) {
            context.clip = QRectF(0, clipTop, pages.page.width(), clipBottom - clipTop);
            document.documentLayout()->draw(&painter, context);
        }
        decorations.draw(painter, top, bottom, 1 / pointsPerUnit);
        painter.restore();
        furniture.drawPage(painter, index, frame, devicePerPoint);
    }
    ok = painter.end() && ok;
    const std::shared_ptr<pdf::PdfDocument> printed = ok ? output.finish() : nullptr;
    if (!printed)
        return nullptr;
    // Text cut off at the right edge is in no page's text: no counts then.
    if (printedCharacters && pages.fitsWidth) {
        const QList<int> body = charactersPerPage(document, pageHeight, pages.pageCount);
        for (int index = 0; index < printedPages; ++index) {
            const int page = furniture.bodyPageOf(index);
            printedCharacters->append((page < 0 ? 0 : body[page]) + furniture.charactersOn(index));
        }
    }
    return printed;
}

bool printToPDF(QTextDocument& document, const PrintSettings& settings, const QString& pdfPath,
                QList<int>* printedCharacters)
{
    const std::shared_ptr<pdf::PdfDocument> printed = printToPdfDocument(document, settings, printedCharacters);
    return printed && printed->write(QUrl::fromLocalFile(pdfPath));
}

void addAttributes(QTextDocument& document, const QVariantMap& attributes, int from, int length)
{
    const int count = characterCount(document);
    const int start = std::clamp(from, 0, count);
    const int end = static_cast<int>(std::clamp<qint64>(qint64(from) + length, start, count));
    if (end <= start)
        return;

    QTextCharFormat format;
    const QVariant font = attributes.value(platform::keys::NSFontAttributeName);
    if (font.metaType() == QMetaType::fromType<QFont>()) {
        // The font as a whole replaces the old one; decorations such as
        // underline are attributes of their own and stay.
        const QFont value = font.value<QFont>();
        format.setFontFamilies({value.family()});
        if (value.pointSizeF() > 0)
            format.setFontPointSize(value.pointSizeF());
        format.setFontWeight(value.weight());
        format.setFontItalic(value.italic());
    }
    const QVariant color = attributes.value(platform::keys::NSForegroundColorAttributeName);
    if (color.metaType() == QMetaType::fromType<QColor>() && color.value<QColor>().isValid())
        format.setForeground(color.value<QColor>());
    if (format.properties().isEmpty())
        return;

    QTextCursor cursor(&document);
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    cursor.mergeCharFormat(format);
}

int characterCount(const QTextDocument& document)
{
    // The document counts the paragraph separator that always ends it.
    return std::max(document.characterCount() - 1, 0);
}

void appendDocument(QTextDocument& document, const QTextDocument& other)
{
    const bool wasEmpty = document.isEmpty();
    // A document of an empty body still prints its headers and footers (a
    // letterhead template, say), so they come along even then.
    if (wasEmpty && !PageFurniture::find(document)) {
        if (PageFurniture* furniture = PageFurniture::find(other))
            furniture->moveTo(document);
    }
    if (characterCount(other) == 0 && other.rootFrame()->childFrames().isEmpty())
        return;
    if (wasEmpty) {
        // Text that relies on the other document's defaults looks the same.
        document.setDefaultFont(other.defaultFont());
        document.setDefaultTextOption(other.defaultTextOption());
    }

    copyImages(document, other);

    QTextCursor cursor(&document);
    cursor.movePosition(QTextCursor::End);
    const int insertedAt = cursor.position();
    cursor.insertFragment(QTextDocumentFragment(&other));
    // The copy gives an empty first paragraph the format of the one it
    // lands in: an empty document's, which has none of the reader's.
    if (wasEmpty)
        QTextCursor(&document).setBlockFormat(other.begin().blockFormat());

    if (!wasEmpty && other.defaultFont() != document.defaultFont()) {
        // The inserted text keeps the other document's default font where it
        // names no font properties of its own. Ranges are collected first:
        // setting formats rearranges the fragments being walked.
        struct Run {
            int start, end;
            QTextCharFormat format;
        };
        QList<Run> runs;
        for (QTextBlock block = document.findBlock(insertedAt); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextFragment fragment = it.fragment();
                const int end = fragment.position() + fragment.length();
                if (end <= insertedAt)
                    continue;
                QTextCharFormat merged;
                merged.setFont(other.defaultFont(), QTextCharFormat::FontPropertiesAll);
                merged.merge(fragment.charFormat());
                runs.append({std::max(fragment.position(), insertedAt), end, merged});
            }
        }
        QTextCursor fill(&document);
        for (const Run& run : runs) {
            fill.setPosition(run.start);
            fill.setPosition(run.end, QTextCursor::KeepAnchor);
            fill.setCharFormat(run.format);
        }
    }
}

} // namespace platform::text
