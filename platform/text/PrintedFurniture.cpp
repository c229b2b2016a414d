#include "platform/text/PrintedFurniture_p.h"

#include "platform/text/PageFurniture.h"
#include "platform/text/PrintLayout_p.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <set>

namespace platform::text {

namespace {

// Where a document names no distance from the paper's edge to its header
// or footer: half an inch, as word processors default to, within the margin.
constexpr double kDefaultFurnitureDistance = 36.0;
// Space between a header or footer and the body, in points.
constexpr double kFurnitureGap = 6.0;
// The body keeps at least this share of its text area whatever the size of
// the header and footer.
constexpr double kMinBodyShare = 0.5;
// Footnotes take at most this share of a page; the rest go after the text.
constexpr double kMaxFootnoteShare = 0.5;
// The rule above a page's footnotes: space it takes, and its length as a
// share of the text width.
constexpr double kSeparatorSpace = 9.0;
constexpr double kSeparatorLength = 0.25;
// Layout units by which positions may differ after rounding.
constexpr double kTolerance = 0.1;
// Page numbers a section may start from; more is damage.
constexpr int kMaxPageNumber = 1000000;

double pointsPerUnitOf(const QTextDocument& document)
{
    return kPointsPerInch / layoutDpi(document);
}

void layOut(QTextDocument& document, double width)
{
    const double pointsPerUnit = pointsPerUnitOf(document);
    prepareLayout(document, pointsPerUnit);
    document.setTextWidth(width / pointsPerUnit);
}

double heightOf(const QTextDocument& document)
{
    if (document.isEmpty())
        return 0;
    return document.documentLayout()->documentSize().height() * pointsPerUnitOf(document);
}

int visibleCharacters(const QTextDocument& document)
{
    const QString text = document.toPlainText();
    return int(std::count_if(text.begin(), text.end(),
                             [](QChar c) { return !c.isSpace() && c != QChar::ObjectReplacementCharacter; }));
}

bool hasPageFields(const QTextDocument& document)
{
    for (const QTextFormat& format : document.allFormats())
        if (format.hasProperty(kPageFieldProperty))
            return true;
    return false;
}

// Puts the page's number and the page count in the field texts.
void fillPageFields(QTextDocument& document, int number, int pageCount)
{
    struct Field {
        int start, length;
        QTextCharFormat format;
    };
    std::vector<Field> fields;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().hasProperty(kPageFieldProperty))
                fields.push_back({it.fragment().position(), it.fragment().length(), it.fragment().charFormat()});
    // From the end, so that earlier positions stay valid.
    for (auto field = fields.rbegin(); field != fields.rend(); ++field) {
        const bool count = field->format.intProperty(kPageFieldProperty) == int(PageField::PageCount);
        QTextCursor cursor(&document);
        cursor.setPosition(field->start);
        cursor.setPosition(field->start + field->length, QTextCursor::KeepAnchor);
        cursor.insertText(QString::number(count ? pageCount : number), field->format);
    }
}

void drawDocument(QPainter& painter, QTextDocument& document, QPointF at, double devicePerPoint)
{
    painter.save();
    painter.resetTransform();
    painter.translate(at * devicePerPoint);
    const double scale = devicePerPoint * pointsPerUnitOf(document);
    painter.scale(scale, scale);
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, Qt::black);
    document.documentLayout()->draw(&painter, context);
    painter.restore();
}

// The page (pages pageHeight layout units apart) that holds the middle of a
// line of block.
int pageOfLine(const QTextBlock& block, const QTextLine& line, double pageHeight)
{
    const double top = block.document()->documentLayout()->blockBoundingRect(block).top();
    return int(std::floor((top + line.y() + line.height() / 2) / pageHeight));
}

// Where a placed story's area begins on the paper, moved onto the paper
// where it would fall off it.
QPointF placedAt(const PagePlacement& placement, const PageFrame& frame)
{
    const double x = placement.offset.x() + (placement.horizontalFromMargin ? frame.left : 0);
    const double y = placement.offset.y() + (placement.verticalFromMargin ? frame.topMargin : 0);
    return {std::clamp(x, 0.0, std::max(0.0, frame.paperWidth - placement.size.width())),
            std::clamp(y, 0.0, std::max(0.0, frame.paperHeight - placement.size.height()))};
}

constexpr PageKind kPageKinds[] = {PageKind::Default, PageKind::First, PageKind::Even};

// The stories that sections print, each once.
std::vector<QTextDocument*> eachOnce(const std::array<std::vector<QTextDocument*>, 3>& bySection)
{
    std::set<QTextDocument*> seen;
    for (const auto& stories : bySection)
        for (QTextDocument* story : stories)
            if (story)
                seen.insert(story);
    return {seen.begin(), seen.end()};
}

double tallest(const std::vector<QTextDocument*>& documents)
{
    double height = 0;
    for (const QTextDocument* document : documents)
        height = std::max(height, heightOf(*document));
    return height;
}

// A footnote as printed: its mark raised before its text.
std::unique_ptr<QTextDocument> printedNote(const Note& note)
{
    std::unique_ptr<QTextDocument> printed(note.text->clone());
    copyImages(*printed, *note.text);
    QTextCursor cursor(printed.get());
    QTextCharFormat mark = cursor.charFormat();
    mark.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    cursor.insertText(note.mark, mark);
    cursor.insertText(QStringLiteral(" "), QTextCharFormat());
    return printed;
}

} // namespace

PrintedFurniture::PrintedFurniture(QTextDocument& body, double textWidth)
    : m_body(body), m_furniture(PageFurniture::find(body)), m_textWidth(textWidth)
{
    if (m_furniture && m_furniture->isEmpty())
        m_furniture = nullptr;
    if (!m_furniture)
        return;
    for (PageKind kind : kPageKinds) {
        m_headers[std::size_t(kind)] = m_furniture->storiesOf(false, kind);
        m_footers[std::size_t(kind)] = m_furniture->storiesOf(true, kind);
    }
    m_allHeaders = eachOnce(m_headers);
    m_allFooters = eachOnce(m_footers);
    for (const auto* stories : {&m_allHeaders, &m_allFooters})
        for (QTextDocument* document : *stories)
            layOut(*document, textWidth);
    for (const PlacedStory& story : m_furniture->placedStories())
        layOut(*story.text, story.placement.size.width() > 0 ? story.placement.size.width() : textWidth);
    for (const Note& note : m_furniture->notes()) {
        m_atFoot.push_back(note.kind == Note::Kind::Footnote);
        if (note.kind != Note::Kind::Footnote) {
            m_printedNotes.push_back(nullptr);
            continue;
        }
        m_printedNotes.push_back(printedNote(note));
        layOut(*m_printedNotes.back(), textWidth);
    }
}

PrintedFurniture::~PrintedFurniture() = default;

void PrintedFurniture::frameBody(PageFrame& frame, double topMargin, double bottomMargin) const
{
    frame.topMargin = topMargin;
    frame.bodyTop = topMargin;
    frame.bodyBottom = frame.paperHeight - bottomMargin;
    if (!m_furniture)
        return;
    const double area = frame.bodyBottom - frame.bodyTop;
    const double header = tallest(m_allHeaders);
    if (header > 0) {
        const double distance = m_furniture->headerDistance >= 0
            ? m_furniture->headerDistance
            : std::min(kDefaultFurnitureDistance, topMargin / 2);
        frame.bodyTop = std::max(frame.bodyTop, distance + header + kFurnitureGap);
    }
    const double footer = tallest(m_allFooters);
    if (footer > 0) {
        const double distance = m_furniture->footerDistance >= 0
            ? m_furniture->footerDistance
            : std::min(kDefaultFurnitureDistance, bottomMargin / 2);
        frame.bodyBottom = std::min(frame.bodyBottom, frame.paperHeight - distance - footer - kFurnitureGap);
    }
    // Furniture too tall for the page is drawn over the margin rather than
    // leaving the body no room.
    const double least = area * kMinBodyShare;
    if (frame.bodyBottom - frame.bodyTop < least) {
        const double lost = least - (frame.bodyBottom - frame.bodyTop);
        const double grownTop = frame.bodyTop - topMargin;
        const double grownBottom = (frame.paperHeight - bottomMargin) - frame.bodyBottom;
        const double total = grownTop + grownBottom;
        frame.bodyTop -= lost * grownTop / total;
        frame.bodyBottom += lost * grownBottom / total;
    }
}

// The footnotes whose marks each page shows, in the order of the marks.
std::map<int, std::vector<int>> PrintedFurniture::footnotesByPage(double pageHeight) const
{
    std::map<int, std::vector<int>> pages;
    std::set<int> seen;
    for (QTextBlock block = m_body.begin(); block.isValid(); block = block.next()) {
        const QTextLayout* lines = block.layout();
        if (!lines || !block.isVisible())
            continue;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.hasProperty(kNoteReferenceProperty))
                continue;
            const int note = format.intProperty(kNoteReferenceProperty);
            if (note < 0 || std::size_t(note) >= m_atFoot.size() || !m_atFoot[note] || !seen.insert(note).second)
                continue;
            const QTextLine line = lines->lineForTextPosition(it.fragment().position() - block.position());
            if (!line.isValid())
                continue;
            pages[pageOfLine(block, line, pageHeight)].push_back(note);
        }
    }
    return pages;
}

double PrintedFurniture::notesHeight(const std::vector<int>& notes) const
{
    double height = notes.empty() ? 0 : kSeparatorSpace;
    for (int note : notes)
        height += heightOf(*m_printedNotes[note]);
    return height;
}

// Moves the first top-level paragraph or table reaching into the page's
// footnote area to the next page. False when nothing moved: the page was
// fine, or what reaches in starts the page, whose notes are then deferred.
bool PrintedFurniture::makeRoom(int page, const std::vector<int>& notes, double pageHeight,
                                double pointsPerUnit, std::vector<int>& deferred)
{
    std::vector<int> kept = notes;
    while (!kept.empty() && notesHeight(kept) / pointsPerUnit > pageHeight * kMaxFootnoteShare) {
        deferred.push_back(kept.back());
        kept.pop_back();
    }
    const double top = page * pageHeight;
    const double limit = top + pageHeight - notesHeight(kept) / pointsPerUnit;
    const QAbstractTextDocumentLayout* layout = m_body.documentLayout();
    for (auto item = m_body.rootFrame()->begin(); !item.atEnd(); ++item) {
        QTextFrame* frame = item.currentFrame();
        const QRectF rect = frame ? layout->frameBoundingRect(frame) : layout->blockBoundingRect(item.currentBlock());
        if (rect.bottom() <= limit + kTolerance || rect.top() >= top + pageHeight - kTolerance)
            continue;
        if (rect.top() <= top + kTolerance || kept.empty()) {
            deferred.insert(deferred.end(), kept.begin(), kept.end());
            return false;
        }
        if (frame) {
            QTextFrameFormat format = frame->frameFormat();
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            frame->setFrameFormat(format);
        } else {
            QTextBlockFormat format = item.currentBlock().blockFormat();
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            QTextCursor(item.currentBlock()).setBlockFormat(format);
        }
        return true;
    }
    return false;
}

void PrintedFurniture::appendAfterText(const std::vector<int>& notes)
{
    QTextCursor cursor(&m_body);
    cursor.movePosition(QTextCursor::End);
    for (int index : notes) {
        const Note& note = m_furniture->notes()[index];
        cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
        QTextCharFormat mark;
        mark.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
        cursor.insertText(note.mark, mark);
        cursor.insertText(QStringLiteral(" "), QTextCharFormat());
        copyImages(m_body, *note.text);
        cursor.insertFragment(QTextDocumentFragment(note.text.get()));
    }
}

void PrintedFurniture::placeNotes(double pageHeight, double pointsPerUnit)
{
    if (!m_furniture)
        return;
    std::vector<int> deferred;
    // Each move pushes text down by at most a page; pages are visited in order.
    int moves = 0;
    const int maxMoves = m_body.pageCount() * 2 + int(m_atFoot.size()) + 8;
    for (int page = 0; moves < maxMoves;) {
        const auto pages = footnotesByPage(pageHeight);
        const auto next = pages.lower_bound(page);
        if (next == pages.end())
            break;
        std::vector<int> notes = next->second;
        notes.erase(std::remove_if(notes.begin(), notes.end(),
                                   [&](int n) { return std::find(deferred.begin(), deferred.end(), n) != deferred.end(); }),
                    notes.end());
        page = next->first;
        std::vector<int> late;
        if (makeRoom(page, notes, pageHeight, pointsPerUnit, late)) {
            ++moves;
            continue;
        }
        deferred.insert(deferred.end(), late.begin(), late.end());
        ++page;
    }
    for (int note : deferred)
        m_atFoot[note] = false;
    std::sort(deferred.begin(), deferred.end());
    std::vector<int> after = deferred;
    for (std::size_t index = 0; index < m_atFoot.size(); ++index)
        if (m_furniture->notes()[index].kind == Note::Kind::Endnote)
            after.push_back(int(index));
    appendAfterText(after);
    // What was added may reach into the last page's footnotes.
    if (!after.empty()) {
        const auto pages = footnotesByPage(pageHeight);
        if (!pages.empty()) {
            std::vector<int> late;
            makeRoom(pages.rbegin()->first, pages.rbegin()->second, pageHeight, pointsPerUnit, late);
        }
    }
    m_notesOnPage = footnotesByPage(pageHeight);
}

// Each page shows the furniture of the section it starts in: a section
// starting on a page that the text before it goes on on prints from the
// next page.
std::vector<int> PrintedFurniture::sectionsOfPages(double pageHeight, int bodyPages) const
{
    std::vector<int> sections(std::size_t(std::max(bodyPages, 0)), 0);
    const int count = m_furniture->sectionCount();
    if (count < 2)
        return sections;
    std::vector<std::pair<int, int>> starts; // page, section
    int reached = -1; // the last page the text so far reaches
    int pending = 0;  // a section starting at a paragraph that prints no line
    for (QTextBlock block = m_body.begin(); block.isValid(); block = block.next()) {
        const int index = block.blockFormat().intProperty(kSectionProperty);
        if (index > 0 && index < count)
            pending = index;
        const QTextLayout* lines = block.layout();
        if (!lines || !block.isVisible() || lines->lineCount() == 0)
            continue;
        if (pending > 0) {
            const int page = pageOfLine(block, lines->lineAt(0), pageHeight);
            starts.emplace_back(page > reached ? page : page + 1, pending);
            pending = 0;
        }
        reached = std::max(reached, pageOfLine(block, lines->lineAt(lines->lineCount() - 1), pageHeight));
    }
    std::stable_sort(starts.begin(), starts.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::size_t next = 0;
    int current = 0;
    for (int page = 0; page < bodyPages; ++page) {
        while (next < starts.size() && starts[next].first <= page)
            current = starts[next++].second;
        sections[std::size_t(page)] = current;
    }
    return sections;
}

// A story is placed on the page where its anchor paragraph starts.
std::map<int, std::vector<int>> PrintedFurniture::placedStoriesByPage(double pageHeight) const
{
    std::map<int, std::vector<int>> pages;
    const std::size_t count = m_furniture->placedStories().size();
    for (QTextBlock block = m_body.begin(); block.isValid() && count > 0; block = block.next()) {
        const QVariant anchored = block.blockFormat().property(kPlacedStoriesProperty);
        if (!anchored.isValid())
            continue;
        const QTextLayout* lines = block.layout();
        const int page = lines && lines->lineCount() > 0
            ? pageOfLine(block, lines->lineAt(0), pageHeight)
            : int(std::floor(m_body.documentLayout()->blockBoundingRect(block).top() / pageHeight));
        for (int index : anchored.value<QList<int>>())
            if (index >= 0 && std::size_t(index) < count)
                pages[page].push_back(index);
    }
    return pages;
}

int PrintedFurniture::planPages(double pageHeight, int bodyPages)
{
    m_places.clear();
    m_bodyPages.clear();
    if (!m_furniture)
        return bodyPages;
    m_placedOnPage = placedStoriesByPage(pageHeight);
    const std::vector<int> sections = sectionsOfPages(pageHeight, bodyPages);
    int number = 0;
    for (int page = 0; page < bodyPages; ++page) {
        const int index = sections[std::size_t(page)];
        const PageSection& section = m_furniture->section(index);
        const bool first = page == 0 || sections[std::size_t(page) - 1] != index;
        std::optional<int> restart;
        if (first && section.firstPageNumber)
            restart = std::clamp(*section.firstPageNumber, 0, kMaxPageNumber);
        // A section starting on an odd (or even) page whose number would
        // not be one has a blank page of the section before put before it.
        const bool odd = section.start == SectionStart::OddPage;
        if (first && page > 0 && (odd || section.start == SectionStart::EvenPage)
            && (restart.value_or(number + 1) % 2 != 0) != odd) {
            m_places.push_back({sections[std::size_t(page) - 1], ++number, false});
            m_bodyPages.push_back(-1);
        }
        number = restart.value_or(number + 1);
        m_places.push_back({index, number, first});
        m_bodyPages.push_back(page);
    }
    return int(m_places.size());
}

int PrintedFurniture::bodyPageOf(int page) const
{
    return m_bodyPages.empty() ? page : m_bodyPages.at(std::size_t(page));
}

QTextDocument* PrintedFurniture::storyOf(int page, bool footer) const
{
    const PagePlace& place = m_places.at(std::size_t(page));
    const auto kind = std::size_t(m_furniture->kindOf(place));
    return (footer ? m_footers : m_headers)[kind][std::size_t(place.section)];
}

void PrintedFurniture::drawPage(QPainter& painter, int page, const PageFrame& frame, double devicePerPoint)
{
    if (!m_furniture)
        return;
    drawHeaderAndFooter(painter, page, frame, devicePerPoint);
    drawFootnotes(painter, page, frame, devicePerPoint);
    drawPlacedStories(painter, page, frame, devicePerPoint);
}

void PrintedFurniture::drawHeaderAndFooter(QPainter& painter, int page, const PageFrame& frame, double devicePerPoint)
{
    const int number = m_places.at(std::size_t(page)).number;
    const int pageCount = int(m_places.size());
    if (QTextDocument* header = storyOf(page, false)) {
        if (hasPageFields(*header))
            fillPageFields(*header, number, pageCount);
        const double distance = m_furniture->headerDistance >= 0
            ? m_furniture->headerDistance
            : frame.bodyTop - kFurnitureGap - heightOf(*header);
        drawDocument(painter, *header, QPointF(frame.left, std::max(0.0, distance)), devicePerPoint);
    }
    if (QTextDocument* footer = storyOf(page, true)) {
        if (hasPageFields(*footer))
            fillPageFields(*footer, number, pageCount);
        const double top = m_furniture->footerDistance >= 0
            ? frame.paperHeight - m_furniture->footerDistance - heightOf(*footer)
            : frame.bodyBottom + kFurnitureGap;
        drawDocument(painter, *footer, QPointF(frame.left, top), devicePerPoint);
    }
}

void PrintedFurniture::drawFootnotes(QPainter& painter, int page, const PageFrame& frame, double devicePerPoint)
{
    const auto notes = m_notesOnPage.find(bodyPageOf(page));
    if (notes == m_notesOnPage.end() || notes->second.empty())
        return;
    double y = frame.bodyBottom - notesHeight(notes->second);
    painter.save();
    painter.resetTransform();
    painter.setPen(QPen(Qt::black, 0.5 * devicePerPoint));
    const double rule = (y + kSeparatorSpace / 2) * devicePerPoint;
    painter.drawLine(QPointF(frame.left * devicePerPoint, rule),
                     QPointF((frame.left + frame.width * kSeparatorLength) * devicePerPoint, rule));
    painter.restore();
    y += kSeparatorSpace;
    for (int note : notes->second) {
        drawDocument(painter, *m_printedNotes[note], QPointF(frame.left, y), devicePerPoint);
        y += heightOf(*m_printedNotes[note]);
    }
}

void PrintedFurniture::drawPlacedStories(QPainter& painter, int page, const PageFrame& frame, double devicePerPoint)
{
    const auto placed = m_placedOnPage.find(bodyPageOf(page));
    if (placed == m_placedOnPage.end())
        return;
    for (int index : placed->second) {
        const PlacedStory& story = m_furniture->placedStories()[std::size_t(index)];
        drawDocument(painter, *story.text, placedAt(story.placement, frame), devicePerPoint);
    }
}

int PrintedFurniture::charactersOn(int page) const
{
    if (!m_furniture)
        return 0;
    int count = 0;
    if (const QTextDocument* header = storyOf(page, false))
        count += visibleCharacters(*header);
    if (const QTextDocument* footer = storyOf(page, true))
        count += visibleCharacters(*footer);
    const auto notes = m_notesOnPage.find(bodyPageOf(page));
    if (notes != m_notesOnPage.end())
        for (int note : notes->second)
            count += visibleCharacters(*m_printedNotes[note]);
    const auto placed = m_placedOnPage.find(bodyPageOf(page));
    if (placed != m_placedOnPage.end())
        for (int index : placed->second)
            count += visibleCharacters(*m_furniture->placedStories()[std::size_t(index)].text);
    return count;
}

} // namespace platform::text
