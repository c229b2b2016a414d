#pragma once
// Pages of glyph lines written straight into a document that a painter has
// printed: the font it embedded stays, the codes its content gives the
// glyphs are learnt from a page that drew them, and every page's content is
// written here, each run of glyphs shown as one string (the painter places
// glyph after glyph, some twenty bytes each).
#include <QByteArray>
#include <QColor>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <optional>
#include <string>
#include <vector>

namespace platform::pdf {

class PdfDocument;

// How a document's content shows the glyphs of one of its fonts.
struct ShownFont {
    QByteArray resourceName;    // its name in the page resources, "/F7"
    std::vector<int> codes;     // by glyph index: the code that shows it, -1 when none
    std::vector<double> widths; // by code: its advance, thousandths of the size
};

// The font in which the first page of document shows glyphs, glyphs being
// the glyph indexes drawn there, in order. nullopt unless the page shows one
// two-byte code for each of them in a single font.
std::optional<ShownFont> shownFont(const PdfDocument& document, const QList<quint32>& glyphs);

// How the glyphs of a shown font are written at one size so that each one
// advances as a layout advanced it: its code, then the adjustment that
// moves the next glyph from where the font's width puts it to where that
// advance does.
class GlyphStrings {
public:
    // advances: by glyph index, in units of size; glyphs without a code in
    // font are not shown.
    GlyphStrings(const ShownFont& font, double size, const std::vector<double>& advances);

    bool shows(quint32 glyph) const { return glyph < m_fragments.size() && !m_fragments[glyph].empty(); }
    // What the layout advances after glyph; shows(glyph) must hold.
    double advance(quint32 glyph) const { return m_advances[glyph]; }

private:
    friend class GlyphPageContent;
    QByteArray m_resourceName;
    double m_size = 0;
    std::vector<std::string> m_fragments; // by glyph index
    std::vector<double> m_advances;      // by glyph index
};

// Where a page's lines go: units of pointsPerUnit points, y downwards, from
// origin (points from the paper's top-left corner), drawn within clip
// (units).
struct GlyphPageFrame {
    double paperHeight = 0;
    QPointF origin;
    double pointsPerUnit = 1;
    QRectF clip;
};

// The content stream of one page of glyph lines.
class GlyphPageContent {
public:
    GlyphPageContent(const GlyphStrings& strings, const QColor& color, const GlyphPageFrame& frame);
    // Starts a line with its origin y units down.
    void beginLine(double y);
    // Shows glyphs (each one that the strings show) from start, measured
    // from the line's origin (x along it, y down to the baseline), each
    // glyph at the advance of the one before.
    void showRun(const QPointF& start, const quint16* glyphs, qsizetype count);
    // The content, compressed.
    QByteArray finish();

private:
    const GlyphStrings& m_strings;
    std::string m_content;
    QPointF m_pen;
};

// Replaces the pages of document by one page of size (points) for each
// content stream of contents (as GlyphPageContent::finish makes them), every
// one with the resources of the first page. False when that fails.
bool replacePages(PdfDocument& document, const QSizeF& size, const QList<QByteArray>& contents);

} // namespace platform::pdf
