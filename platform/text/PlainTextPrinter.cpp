#include "platform/text/PlainTextPrinter.h"

#include "platform/ParallelWork.h"
#include "platform/pdf/PdfDocument.h"
#include "platform/pdf/PdfGlyphPages.h"
#include "platform/text/PlainTextReader.h"
#include "platform/text/PrintLayout_p.h"
#include "platform/text/PrintedPdf_p.h"

#include <QFontMetricsF>
#include <QMutex>
#include <QGlyphRun>
#include <QRawFont>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

namespace platform::text {

namespace {

// Characters one thread lays out at the least, and pages whose contents one
// thread writes at the least: below that a thread costs more than it saves.
constexpr qsizetype kCharactersPerThread = 64 * 1024;
constexpr int kPagesPerThread = 24;
// Fonts whose drawn faces are kept: a run's documents take one or a few.
constexpr size_t kKeptFaces = 4;
// Characters a face takes over from the one before it at the most: every
// document embeds the glyphs of its face.
constexpr qsizetype kMaxFaceCharacters = 256;
// The page a face is drawn on, points: its pages are replaced anyway.
constexpr QSizeF kFacePaper(200, 200);

// A run of the text: a paragraph, or a line of one.
struct Span {
    qsizetype start = 0;
    qsizetype length = 0;
};

QString textOf(const QString& text, const Span& span)
{
    return QString::fromRawData(text.constData() + span.start, span.length);
}

// How the document road lays out and draws plain text in the attributes'
// font. Made on the thread that uses it: a font keeps its engines for one
// thread.
struct Look {
    QFont font;
    QTextOption option;
    QColor color;
    double pointsPerUnit = 1;

    explicit Look(const QVariantMap& attributes)
    {
        QTextDocument model;
        setPlainTextDocument(model, QStringLiteral("x"));
        addAttributes(model, attributes, 0, 1);
        pointsPerUnit = kPointsPerInch / layoutDpi(model);
        prepareLayout(model, pointsPerUnit);
        const QTextCharFormat format = model.begin().begin().fragment().charFormat();
        font = format.font();
        // Text without a colour of its own prints black.
        color = format.foreground().style() == Qt::NoBrush ? QColor(Qt::black) : format.foreground().color();
        // Paragraphs of left-to-right and neutral characters only, as the
        // document road finds them.
        option = model.defaultTextOption();
        option.setTextDirection(Qt::LeftToRight);
    }
};

// Whether c is drawn from the font's own glyph, left to right, whatever its
// neighbours: letters, digits, punctuation, spaces and symbols of the Latin
// and common scripts that the font holds, and tabs.
bool isSimple(QChar c, const QFontMetricsF& metrics)
{
    if (c == u'\t')
        return true;
    if (c.isSurrogate() || c.isNonCharacter() || c == QChar::ObjectReplacementCharacter)
        return false;
    switch (c.category()) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
        return false;
    default:
        break;
    }
    if (c.script() != QChar::Script_Common && c.script() != QChar::Script_Latin)
        return false;
    switch (c.direction()) {
    case QChar::DirR:
    case QChar::DirAL:
    case QChar::DirAN:
    case QChar::DirNSM:
        return false;
    default:
        break;
    }
    return metrics.inFont(c);
}

struct Paragraphs {
    std::vector<Span> spans;
    QString characters; // each character of the text once
};

// The paragraphs of text as the document road makes them (a line feed, a
// carriage return, both together or a paragraph separator ends one); none
// when a character is not simple.
Paragraphs simpleParagraphs(const QString& text, const QFont& font)
{
    const QFontMetricsF metrics(font);
    // Verdicts by character, found once each: 0 unknown, 1 simple, 2 not.
    std::vector<unsigned char> verdicts(0x10000, 0);
    Paragraphs result;
    std::vector<Span>& paragraphs = result.spans;
    Span paragraph;
    const QChar* chars = text.constData();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = chars[i];
        if (c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator) {
            paragraph.length = i - paragraph.start;
            paragraphs.push_back(paragraph);
            if (c == u'\r' && i + 1 < size && chars[i + 1] == u'\n')
                ++i;
            paragraph.start = i + 1;
            continue;
        }
        unsigned char& verdict = verdicts[c.unicode()];
        if (verdict == 0) {
            verdict = isSimple(c, metrics) ? 1 : 2;
            result.characters += c;
        }
        if (verdict == 2)
            return {};
    }
    paragraph.length = size - paragraph.start;
    paragraphs.push_back(paragraph);
    return result;
}

// How the lines are laid out, in layout units; sizes that the layout holds
// exactly also in whole steps of its precision.
struct Geometry {
    QSizeF paper;
    double left = 0, top = 0; // the text area's corner on the paper, points
    double pointsPerUnit = 1;
    double width = 0;         // of a line
    double pageHeight = 0;
    double lineHeight = 0;    // what a line takes at the end of its paragraph
    double lineAdvance = 0;   // from one line to the next within it
    double baseline = 0;      // from a line's top
    qint64 pageSteps = 0, heightSteps = 0, advanceSteps = 0;
};

qint64 steps(double units)
{
    return qint64(std::llround(units * kLayoutSteps));
}

// The font the lines are shown in, as the printed document holds it.
struct Face {
    std::optional<pdf::GlyphStrings> strings;
    QString family, style;
    double size = 0; // of its glyphs, layout units
    // By character: the glyph the layout draws it with and the glyph's
    // advance; NaN for a character drawn otherwise (a tab).
    std::vector<quint16> glyphOf;
    std::vector<double> advanceOf;
};

// Lines of a part of the text, each as glyph runs.
struct ShownLines {
    struct Run {
        QPointF start;         // from the line's origin
        qsizetype first = 0;   // into glyphs
        qsizetype count = 0;
    };
    struct Line {
        qsizetype firstRun = 0, endRun = 0;
        int printed = 0;       // characters other than white space
        bool endsParagraph = false;
    };
    std::vector<quint16> glyphs;
    std::vector<Run> runs;
    std::vector<Line> lines;
    bool simple = true;
};

int printedCharactersOf(QStringView line)
{
    return int(std::count_if(line.begin(), line.end(), [](QChar c) { return !c.isSpace(); }));
}

// Whether a glyph run of a line is one the face shows as the layout placed
// it: its font, every glyph on the baseline at the advance of the one
// before.
bool isShown(const QGlyphRun& run, const QList<QPointF>& positions, const Face& face)
{
    const QRawFont font = run.rawFont();
    if (font.pixelSize() != face.size || font.familyName() != face.family || font.styleName() != face.style)
        return false;
    const QList<quint32> glyphs = run.glyphIndexes();
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        if (!face.strings->shows(glyphs[i]) || positions[i].y() != positions.front().y())
            return false;
        if (i > 0 && positions[i].x() - positions[i - 1].x() != face.strings->advance(glyphs[i - 1]))
            return false;
    }
    return true;
}

// Appends the glyph runs of line; false when one is not shown by the face.
bool showLine(ShownLines& shown, const QTextLine& line, const Face& face)
{
    ShownLines::Line entry;
    entry.firstRun = qsizetype(shown.runs.size());
    for (const QGlyphRun& run : line.glyphRuns()) {
        const QList<QPointF> positions = run.positions();
        if (positions.isEmpty())
            continue;
        if (!isShown(run, positions, face))
            return false;
        shown.runs.push_back({QPointF(positions.front().x(), positions.front().y() - line.y()),
                              qsizetype(shown.glyphs.size()), positions.size()});
        for (const quint32 glyph : run.glyphIndexes())
            shown.glyphs.push_back(quint16(glyph));
    }
    entry.endRun = qsizetype(shown.runs.size());
    shown.lines.push_back(entry);
    return true;
}

// Whether the line takes the room every line of the font takes and fits
// the text width.
bool isRegular(const QTextLine& line, const Geometry& geometry)
{
    return line.height() == geometry.lineHeight
        && std::ceil(line.ascent() + line.descent() + line.leading()) == geometry.lineAdvance
        && !(line.naturalTextWidth() > geometry.width);
}

// Shows a paragraph that fits its line without the layout's help: its
// glyphs one after the other at their advances, as the layout would place
// them. False for one that would need the layout (a tab, too wide).
bool showAlone(ShownLines& shown, QStringView paragraph, const Face& face, const Geometry& geometry)
{
    double width = 0;
    for (const QChar c : paragraph)
        width += face.advanceOf[c.unicode()];
    // NaN fails the comparison.
    if (!(width <= geometry.width))
        return false;
    ShownLines::Line line;
    line.firstRun = qsizetype(shown.runs.size());
    if (!paragraph.isEmpty()) {
        shown.runs.push_back({QPointF(0, geometry.baseline), qsizetype(shown.glyphs.size()), paragraph.size()});
        for (const QChar c : paragraph)
            shown.glyphs.push_back(face.glyphOf[c.unicode()]);
    }
    line.endRun = qsizetype(shown.runs.size());
    line.printed = printedCharactersOf(paragraph);
    line.endsParagraph = true;
    shown.lines.push_back(line);
    return true;
}

// The lines of paragraphs [first, end) as the document road breaks them (at
// the text width, leading included) and shown in face. Not simple when a
// line is not regular or not in the face.
ShownLines showParagraphs(const QString& text, const std::vector<Span>& paragraphs, size_t first, size_t end,
                          const QVariantMap& attributes, const Geometry& geometry, const Face& face)
{
    // Made when a paragraph needs the layout: few do.
    std::optional<Look> look;
    ShownLines result;
    for (size_t p = first; p < end && result.simple; ++p) {
        const QString paragraph = textOf(text, paragraphs[p]);
        if (showAlone(result, paragraph, face, geometry))
            continue;
        if (!look)
            look.emplace(attributes);
        QTextLayout layout(paragraph, look->font);
        layout.setTextOption(look->option);
        // Shaped once, for breaking the lines and for showing them.
        layout.setCacheEnabled(true);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLeadingIncluded(true);
            line.setLineWidth(geometry.width);
            result.simple = result.simple && isRegular(line, geometry);
        }
        layout.endLayout();
        for (int i = 0; i < layout.lineCount() && result.simple; ++i) {
            const QTextLine line = layout.lineAt(i);
            result.simple = showLine(result, line, face);
            if (result.simple) {
                result.lines.back().printed =
                    printedCharactersOf(QStringView(paragraph).mid(line.textStart(), line.textLength()));
                result.lines.back().endsParagraph = i + 1 == layout.lineCount();
            }
        }
    }
    return result;
}

// Every line of the text, shown on several threads; empty when the text is
// not simple after all.
std::vector<ShownLines> showAllLines(const QString& text, const std::vector<Span>& paragraphs,
                                     const QVariantMap& attributes, const Geometry& geometry, const Face& face)
{
    const int threads = int(std::clamp<qsizetype>(text.size() / kCharactersPerThread, 1, workerThreadCount()));
    // Paragraphs shared out by their characters.
    std::vector<size_t> bounds{0};
    for (size_t p = 0; p < paragraphs.size() && int(bounds.size()) < threads; ++p)
        if (paragraphs[p].start >= text.size() * qsizetype(bounds.size()) / threads)
            bounds.push_back(p);
    bounds.push_back(paragraphs.size());
    std::vector<ShownLines> parts(bounds.size() - 1);
    runInParallel(int(parts.size()), [&](int part) {
        parts[size_t(part)] = showParagraphs(text, paragraphs, bounds[size_t(part)], bounds[size_t(part) + 1],
                                             attributes, geometry, face);
    });
    for (const ShownLines& part : parts)
        if (!part.simple)
            return {};
    return parts;
}

// The glyphs the characters are drawn with, in the one font the layout
// takes for them, in order; nullopt when it takes another for some.
std::optional<QGlyphRun> glyphsOf(const QString& characters, const Look& look)
{
    QTextLayout layout(characters, look.font);
    QTextOption option = look.option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    QGlyphRun glyphs;
    QList<quint32> indexes;
    for (const QGlyphRun& run : layout.glyphRuns()) {
        if (indexes.isEmpty())
            glyphs.setRawFont(run.rawFont());
        else if (run.rawFont() != glyphs.rawFont())
            return std::nullopt;
        indexes += run.glyphIndexes();
    }
    if (indexes.isEmpty() || *std::max_element(indexes.begin(), indexes.end()) > std::numeric_limits<quint16>::max())
        return std::nullopt;
    glyphs.setGlyphIndexes(indexes);
    return glyphs;
}

// Each character's glyph and advance where the layout draws every one
// but tabs with a glyph of its own.
void mapCharacters(const QString& characters, const QList<quint32>& glyphs, Face& face)
{
    face.glyphOf.assign(0x10000, 0);
    face.advanceOf.assign(0x10000, qQNaN());
    const QString drawn = QString(characters).remove(u'\t');
    if (drawn.size() != glyphs.size())
        return;
    for (qsizetype i = 0; i < drawn.size(); ++i) {
        face.glyphOf[drawn[i].unicode()] = quint16(glyphs[i]);
        face.advanceOf[drawn[i].unicode()] = face.strings->advance(glyphs[i]);
    }
}

// A face drawn once, ready for every document printed in it: a document
// whose page draws each glyph of the face.
struct DrawnFace {
    Face face;
    QByteArray pdf;
    std::vector<bool> holds; // by character
};

// Draws the glyphs of characters in look's font on a page of a document of
// its own and learns the face from it; null when the painter drew them in a
// way of its own (as outlines, for a font that may not be embedded).
std::shared_ptr<const DrawnFace> drawFace(const QString& characters, const Look& look)
{
    const std::optional<QGlyphRun> drawn = glyphsOf(characters, look);
    if (!drawn)
        return nullptr;
    // Each glyph once.
    QList<quint32> indexes = drawn->glyphIndexes();
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    const QRawFont font = drawn->rawFont();
    QGlyphRun glyphs;
    glyphs.setRawFont(font);
    glyphs.setGlyphIndexes(indexes);
    QList<QPointF> positions;
    for (qsizetype i = 0; i < indexes.size(); ++i)
        positions << QPointF(double(i) * font.averageCharWidth(), font.ascent());
    glyphs.setPositions(positions);

    PrintedPdf output(kFacePaper);
    QPainter painter;
    if (!output.isValid() || !painter.begin(&output.device()))
        return nullptr;
    painter.drawGlyphRun(QPointF(), glyphs);
    if (!painter.end())
        return nullptr;
    const std::shared_ptr<pdf::PdfDocument> document = output.finish();
    const std::optional<pdf::ShownFont> shown = document ? pdf::shownFont(*document, indexes) : std::nullopt;
    if (!shown)
        return nullptr;
    auto result = std::make_shared<DrawnFace>();
    result->pdf = document->dataRepresentation();
    if (result->pdf.isEmpty())
        return nullptr;
    // Each glyph advances as the layout advances it, by the font's own
    // unhinted metrics.
    const QList<QPointF> advances = font.advancesForGlyphIndexes(indexes, QRawFont::UseDesignMetrics);
    std::vector<double> byGlyph(size_t(indexes.back()) + 1, qQNaN());
    for (qsizetype i = 0; i < advances.size(); ++i)
        byGlyph[indexes[i]] = advances[i].x();
    Face& face = result->face;
    face.strings.emplace(*shown, font.pixelSize(), byGlyph);
    face.family = font.familyName();
    face.style = font.styleName();
    face.size = font.pixelSize();
    mapCharacters(characters, drawn->glyphIndexes(), face);
    result->holds.assign(0x10000, false);
    for (const QChar c : characters)
        result->holds[c.unicode()] = true;
    return result;
}

// The faces drawn for the last documents, kept for the next: a painter
// embedding a font is most of the work of printing a short document, and
// the documents of a run mostly share their font.
class DrawnFaces {
public:
    static DrawnFaces& instance()
    {
        static DrawnFaces faces;
        return faces;
    }

    // A face of look's font that holds characters: one drawn before, else
    // one drawn now for them and for those of the last face of the font (a
    // few more glyphs in each document, far fewer faces drawn in a run).
    std::shared_ptr<const DrawnFace> faceFor(const QString& characters, const Look& look)
    {
        const QString font = look.font.key();
        const QMutexLocker lock(&m_mutex);
        QString wanted = characters;
        for (auto entry = m_entries.begin(); entry != m_entries.end(); ++entry) {
            if (entry->font != font)
                continue;
            const std::shared_ptr<const DrawnFace> drawn = entry->drawn;
            if (std::all_of(characters.begin(), characters.end(), [&](QChar c) { return drawn->holds[c.unicode()]; })) {
                std::rotate(m_entries.begin(), entry, entry + 1);
                return drawn;
            }
            for (size_t c = 0; c < drawn->holds.size() && wanted.size() < kMaxFaceCharacters; ++c)
                if (drawn->holds[c] && !characters.contains(QChar(char16_t(c))))
                    wanted += QChar(char16_t(c));
            m_entries.erase(entry);
            break;
        }
        std::shared_ptr<const DrawnFace> drawn = drawFace(wanted, look);
        if (!drawn)
            return nullptr;
        m_entries.insert(m_entries.begin(), {font, drawn});
        if (m_entries.size() > kKeptFaces)
            m_entries.pop_back();
        return drawn;
    }

private:
    struct Entry {
        QString font;
        std::shared_ptr<const DrawnFace> drawn;
    };
    QMutex m_mutex;
    std::vector<Entry> m_entries; // the most recently used first
};

// Where the document road puts each line: down the page, the advance apart
// within a paragraph and the full height after one; a line that would
// cross the page's foot starts the next page.
struct Placement {
    std::vector<double> tops;          // of each line, from its page's top
    std::vector<qsizetype> pageStarts; // the first line of each page
    double height = 0;                 // of all the text
};

Placement place(const std::vector<ShownLines>& parts, const Geometry& geometry)
{
    Placement placement;
    placement.pageStarts.push_back(0);
    qint64 y = 0, pageTop = 0;
    qsizetype index = 0;
    for (const ShownLines& part : parts) {
        for (size_t i = 0; i < part.lines.size(); ++i, ++index) {
            if (y + geometry.heightSteps > pageTop + geometry.pageSteps) {
                pageTop += geometry.pageSteps;
                y = std::max(y, pageTop);
                placement.pageStarts.push_back(index);
            }
            placement.tops.push_back(double(y - pageTop) / kLayoutSteps);
            const qint64 bottom = y + geometry.heightSteps;
            y += geometry.advanceSteps;
            if (part.lines[i].endsParagraph)
                y = std::max(y, bottom);
        }
    }
    placement.height = double(y) / kLayoutSteps;
    return placement;
}

// The pages' contents, made on several threads.
QList<QByteArray> pageContents(const std::vector<ShownLines>& parts, const Placement& placement, const Face& face,
                               const QColor& color, const Geometry& geometry)
{
    struct Line {
        const ShownLines* part;
        const ShownLines::Line* line;
    };
    std::vector<Line> lines;
    for (const ShownLines& part : parts)
        for (const ShownLines::Line& line : part.lines)
            lines.push_back({&part, &line});
    pdf::GlyphPageFrame frame;
    frame.paperHeight = geometry.paper.height();
    frame.origin = QPointF(geometry.left, geometry.top);
    frame.pointsPerUnit = geometry.pointsPerUnit;
    // As wide as the paper, so that nothing is cut at the margins.
    frame.clip = QRectF(-geometry.left / geometry.pointsPerUnit, 0, geometry.paper.width() / geometry.pointsPerUnit,
                        geometry.pageHeight);
    const qsizetype pageCount = qsizetype(placement.pageStarts.size());
    std::vector<QByteArray> contents(static_cast<size_t>(pageCount));
    const int threads = int(std::clamp<qsizetype>(pageCount / kPagesPerThread, 1, workerThreadCount()));
    runInParallel(threads, [&](int part) {
        for (qsizetype page = pageCount * part / threads; page < pageCount * (part + 1) / threads; ++page) {
            pdf::GlyphPageContent content(*face.strings, color, frame);
            const qsizetype end = page + 1 < pageCount ? placement.pageStarts[size_t(page) + 1] : qsizetype(lines.size());
            for (qsizetype index = placement.pageStarts[size_t(page)]; index < end; ++index) {
                const auto [shown, line] = lines[size_t(index)];
                content.beginLine(placement.tops[size_t(index)]);
                for (qsizetype r = line->firstRun; r < line->endRun; ++r) {
                    const ShownLines::Run& run = shown->runs[size_t(r)];
                    content.showRun(run.start, shown->glyphs.data() + run.first, run.count);
                }
            }
            contents[size_t(page)] = content.finish();
        }
    });
    return QList<QByteArray>(std::make_move_iterator(contents.begin()), std::make_move_iterator(contents.end()));
}

// The printed characters of every page.
QList<int> printedPerPage(const std::vector<ShownLines>& parts, const Placement& placement)
{
    QList<int> counts(qsizetype(placement.pageStarts.size()), 0);
    qsizetype index = 0, page = 0;
    for (const ShownLines& part : parts)
        for (const ShownLines::Line& line : part.lines) {
            while (page + 1 < counts.size() && placement.pageStarts[size_t(page) + 1] <= index)
                ++page;
            counts[page] += line.printed;
            ++index;
        }
    return counts;
}

// The room a line of the font takes, as the document road measures it.
void measureLines(const Look& look, Geometry& geometry)
{
    QTextLayout layout(QStringLiteral(" "), look.font);
    layout.setTextOption(look.option);
    layout.setCacheEnabled(true);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLeadingIncluded(true);
    line.setLineWidth(geometry.width);
    layout.endLayout();
    geometry.lineHeight = line.height();
    geometry.lineAdvance = std::ceil(line.ascent() + line.descent() + line.leading());
    const QList<QGlyphRun> runs = line.glyphRuns();
    geometry.baseline = runs.isEmpty() || runs.front().positions().isEmpty()
                            ? qQNaN()
                            : runs.front().positions().front().y() - line.y();
    geometry.heightSteps = steps(geometry.lineHeight);
    geometry.advanceSteps = steps(geometry.lineAdvance);
}

} // namespace

std::optional<std::shared_ptr<pdf::PdfDocument>> printSimplePlainText(const QString& text,
                                                                      const QVariantMap& attributes,
                                                                      const PrintSettings& settings,
                                                                      QList<int>* printedCharacters)
{
    if (printedCharacters)
        printedCharacters->clear();
    if (!isPrintable(settings))
        return std::nullopt;
    const Look look(attributes);
    const Paragraphs paragraphs = simpleParagraphs(text, look.font);
    // Text that draws no glyph embeds no font: nothing for this road.
    if (paragraphs.spans.empty() || QString(paragraphs.characters).remove(u'\t').isEmpty())
        return std::nullopt;

    Geometry geometry;
    geometry.paper = turnedPaper(settings);
    geometry.left = settings.leftMargin;
    geometry.top = settings.topMargin;
    geometry.pointsPerUnit = look.pointsPerUnit;
    const QSizeF page = layoutPageSize(textArea(settings) / look.pointsPerUnit);
    geometry.width = page.width();
    geometry.pageHeight = page.height();
    geometry.pageSteps = steps(geometry.pageHeight);
    measureLines(look, geometry);
    // A line taller than the page, or one that takes no room, is laid out
    // by rules of their own.
    if (!(geometry.advanceSteps > 0 && geometry.heightSteps >= geometry.advanceSteps
          && geometry.heightSteps <= geometry.pageSteps && std::isfinite(geometry.baseline)))
        return std::nullopt;

    const std::shared_ptr<const DrawnFace> drawn = DrawnFaces::instance().faceFor(paragraphs.characters, look);
    const std::shared_ptr<pdf::PdfDocument> document = drawn ? pdf::PdfDocument::fromData(drawn->pdf) : nullptr;
    if (!document)
        return std::nullopt;
    const Face& face = drawn->face;
    const std::vector<ShownLines> lines = showAllLines(text, paragraphs.spans, attributes, geometry, face);
    if (lines.empty())
        return std::nullopt;
    const Placement placement = place(lines, geometry);
    if (!(placement.height < kMaxLayoutHeight))
        return std::nullopt;
    if (!pdf::replacePages(*document, geometry.paper, pageContents(lines, placement, face, look.color, geometry)))
        return nullptr;
    if (printedCharacters)
        *printedCharacters = printedPerPage(lines, placement);
    return document;
}

std::optional<std::shared_ptr<pdf::PdfDocument>> printPlainTextFile(const QString& path,
                                                                    const QVariantMap& attributes,
                                                                    const PrintSettings& settings,
                                                                    QList<int>* printedCharacters)
{
    if (!isReadAsPlainText(path))
        return std::nullopt;
    const std::optional<QString> text = readPlainTextFile(path);
    if (!text)
        return std::nullopt;
    if (auto printed = printSimplePlainText(*text, attributes, settings, printedCharacters))
        return printed;
    QTextDocument document;
    setPlainTextDocument(document, *text);
    addAttributes(document, attributes, 0, characterCount(document));
    return printToPdfDocument(document, settings, printedCharacters);
}

} // namespace platform::text
