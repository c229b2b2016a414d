#include "platform/text/odf/OdtReader.h"

#include "platform/text/DocumentXml_p.h"
#include "platform/text/FontFamilies.h"
#include "platform/text/LinearMath_p.h"
#include "platform/text/PageFurniture.h"
#include "platform/text/ParagraphDecorations.h"
#include "platform/text/RichTextBuilder.h"
#include "platform/text/TextFileBytes.h"
#include "platform/text/ZipPackage.h"
#include "platform/text/odf/OdfFrameLines_p.h"

#include <QColor>
#include <QHash>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>
#include <functional>

namespace platform::text {

namespace {

constexpr int kMaxListDepth = kMaxListLevels;
constexpr int kMaxListIds = 10000;
constexpr int kMaxSpaces = 1000;

std::optional<double> percent(QStringView value)
{
    if (!value.endsWith(u'%'))
        return std::nullopt;
    bool ok = false;
    const double v = value.chopped(1).toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

// The number formats of OpenDocument by their WordprocessingML names.
QString numberFormat(QStringView format)
{
    if (format == u"a")
        return QStringLiteral("lowerLetter");
    if (format == u"A")
        return QStringLiteral("upperLetter");
    if (format == u"i")
        return QStringLiteral("lowerRoman");
    if (format == u"I")
        return QStringLiteral("upperRoman");
    if (format.isEmpty())
        return QStringLiteral("none");
    return QStringLiteral("decimal");
}

struct ListLevel {
    ListLevelLook look;
    QTextBlockFormat block; // the label's place and the text's indent
};

struct Style {
    QString parent;
    QTextCharFormat chars;
    QTextBlockFormat block;
    QString listStyle;
    double columnWidth = 0; // points, table columns
    CellLook cell;          // table cells
    FrameLines frame;       // frames and shapes
    std::optional<Qt::Alignment> tableAlignment;
    QString masterPage; // the page style a paragraph or table starts
    std::optional<int> pageNumber; // the number of the first page it starts
};

struct ResolvedStyle {
    QTextCharFormat chars;
    QTextBlockFormat block;
    QString listStyle;
    double columnWidth = 0;
    CellLook cell;
    FrameLines frame;
    Qt::Alignment tableAlignment = Qt::AlignLeft;
};

// A master page's margins, which place its header and footer.
struct PageLayout {
    std::optional<double> top, bottom; // points
};

// The master pages of a document, their page layout and which of their
// headers and footers they have.
struct MasterPage {
    QString name;
    QString layout;
    QStringList parts; // "header", "footer-first", ...
};
// Master pages looked at; documents have a handful.
constexpr int kMaxMasterPages = 1000;

class OdtParser {
public:
    OdtParser(RichTextBuilder& builder, std::function<std::optional<QByteArray>(const QString&)> parts)
        : m_builder(builder), m_parts(std::move(parts)), m_readsStories(true)
    {
    }

    // Reads a whole part or flat document; body says whether its text is
    // taken. False on malformed XML or when a body is wanted and none is found.
    bool read(const QByteArray& bytes, bool body);
    // Reads the headers and footers of the master page the body starts on
    // from the part (or flat document) holding the master pages.
    bool readPageFurniture(const QByteArray& bytes);

private:
    // A story apart from the body (a header, a footer, a note's text), read
    // with the styles of the parser that met it; it holds no notes.
    OdtParser(const OdtParser& parent, RichTextBuilder& builder)
        : m_builder(builder), m_parts(parent.m_parts), m_fontFaces(parent.m_fontFaces), m_styles(parent.m_styles),
          m_listStyles(parent.m_listStyles), m_readsStories(false)
    {
    }

    enum class Kind { Other, Paragraph, Span, List, ListItem, Table, Row };

    void readFontFaces(QXmlStreamReader& xml);
    void readStyles(QXmlStreamReader& xml);
    void readStyle(QXmlStreamReader& xml, const QString& family, bool isDefault);
    void readListStyle(QXmlStreamReader& xml);
    void readListLevel(QXmlStreamReader& xml, ListLevel& level);
    void readTextProperties(QXmlStreamReader& xml, QTextCharFormat& f);
    void readTextAttributes(const QXmlStreamReader& xml, QTextCharFormat& f);
    void readParagraphProperties(QXmlStreamReader& xml, QTextBlockFormat& f);
    void readCellProperties(QXmlStreamReader& xml, CellLook& look);
    bool readBody(QXmlStreamReader& xml);
    void readFrame(QXmlStreamReader& xml);
    // A formula object's linear text; empty for other objects (charts),
    // whose replacement picture stands in the frame beside them.
    QString readObject(QXmlStreamReader& xml);
    // A shape (custom, rectangle, ellipse): its text as a text box.
    void readShape(QXmlStreamReader& xml);
    // What floats is placed after the paragraph anchoring it, or at once
    // outside paragraphs.
    void placeFloating();
    void placeBox(const QByteArray& content, double width, const BoxLines& lines);
    // The lines around a frame or shape, by the graphic style it names.
    BoxLines frameLines(const QXmlStreamReader& xml, bool shape);
    void readUnframedImage(QXmlStreamReader& xml);
    bool placePart(QString href, const QSizeF& size);
    void readColumn(QXmlStreamReader& xml);
    QString outermostListKey(const QXmlStreamReader& xml);
    void readPageLayout(QXmlStreamReader& xml);
    bool readStory(QXmlStreamReader& xml, QTextDocument& document);
    bool readNote(QXmlStreamReader& xml);
    void addField(const QString& text, PageField field);
    void noteMasterPage(const QString& family, const QString& styleName);
    // Walks the part holding the master pages: its automatic styles are read
    // again (the body's may have taken their names), and visit sees each
    // master page.
    bool walkMasterPages(const QByteArray& bytes, const std::function<void(QXmlStreamReader&)>& visit);
    // The headers and footers of each master page named, by the names of
    // its elements ("header", "footer-first", ...), those switched off left
    // out.
    using MasterStories = QHash<QString, std::shared_ptr<QTextDocument>>;
    bool readMasterStories(const QByteArray& bytes, QHash<QString, MasterStories>& stories);

    ResolvedStyle resolve(const QString& family, const QString& name);
    void startParagraph(const QXmlStreamReader& xml, bool heading);
    void ensureParagraph();
    void emitCharacters(QStringView text);
    void addRun(const QString& text);
    QTextCharFormat currentFormat() const { return m_spans.isEmpty() ? m_paragraphChars : m_spans.last(); }

    RichTextBuilder& m_builder;
    std::function<std::optional<QByteArray>(const QString&)> m_parts;
    QHash<QString, QString> m_fontFaces;
    QHash<QString, Style> m_styles; // "family:name"; defaults as "family:"
    QHash<QString, QHash<int, ListLevel>> m_listStyles;
    QHash<QString, PageLayout> m_pageLayouts;
    const bool m_readsStories;
    // The master page of each section of the body: the first paragraph's
    // or table's, then each one's that names one.
    QStringList m_masterPages;

    QList<Kind> m_stack;
    QList<QTextCharFormat> m_spans;
    QTextCharFormat m_paragraphChars;
    bool m_inParagraph = false;
    bool m_lastWasSpace = true;
    bool m_sawBody = false;

    struct ListState {
        QString style;
        QString key;
        bool itemHasParagraph = false;
        bool header = false;
        bool bulleted = false; // an unordered list of OpenOffice.org 1
        std::optional<int> startValue; // of the item being read
    };
    QList<ListState> m_lists;
    int m_listCount = 0;
    QString m_lastListKey;              // of the last outermost list, which a list may continue
    QHash<QString, QString> m_listKeys; // by the lists' own ids

    struct TableState {
        QString styleName;
        QList<double> columns;
        bool started = false;
        int coveredInRow = 0; // covered cells that a column span already counts
    };
    QList<TableState> m_tables;

    // A text box's content captured, or a picture by its reference.
    struct Floating {
        QByteArray box;
        double width = 0; // points
        BoxLines lines;
        QString picture;
        QSizeF size;
    };
    QList<Floating> m_floating;
    int m_boxDepth = 0;
};

void OdtParser::readFontFaces(QXmlStreamReader& xml)
{
    while (xml.readNextStartElement()) {
        // font-decl: the older name of OpenOffice.org 1 files.
        if (xml.name() == u"font-face" || xml.name() == u"font-decl") {
            QString family = attr(xml, QLatin1StringView("font-family")).toString();
            family.remove(QLatin1Char('\'')).remove(QLatin1Char('"'));
            m_fontFaces.insert(attr(xml, QLatin1StringView("name")).toString(), family.trimmed());
        }
        xml.skipCurrentElement();
    }
}

void OdtParser::readTextProperties(QXmlStreamReader& xml, QTextCharFormat& f)
{
    readTextAttributes(xml, f);
    xml.skipCurrentElement();
}

void OdtParser::readTextAttributes(const QXmlStreamReader& xml, QTextCharFormat& f)
{
    const QStringView weight = attr(xml, QLatin1StringView("font-weight"));
    if (!weight.isEmpty()) {
        bool numeric = false;
        const int w = weight.toInt(&numeric);
        f.setFontWeight(weight == u"bold" || (numeric && w >= 600) ? QFont::Bold : QFont::Normal);
    }
    const QStringView style = attr(xml, QLatin1StringView("font-style"));
    if (!style.isEmpty())
        f.setFontItalic(style == u"italic" || style == u"oblique");
    // The second names are those of OpenOffice.org 1 files.
    QStringView underline = attr(xml, QLatin1StringView("text-underline-style"));
    if (underline.isEmpty())
        underline = attr(xml, QLatin1StringView("text-underline"));
    if (!underline.isEmpty())
        f.setFontUnderline(underline != u"none");
    QStringView strike = attr(xml, QLatin1StringView("text-line-through-style"));
    if (strike.isEmpty())
        strike = attr(xml, QLatin1StringView("text-crossing-out"));
    if (!strike.isEmpty())
        f.setFontStrikeOut(strike != u"none");
    const QStringView color = attr(xml, QLatin1StringView("color"));
    if (color.startsWith(u'#') && QColor(color.toString()).isValid())
        f.setForeground(QColor(color.toString()));
    const QStringView background = attr(xml, QLatin1StringView("background-color"));
    if (background.startsWith(u'#') && QColor(background.toString()).isValid())
        f.setBackground(QColor(background.toString()));
    if (const auto size = lengthPoints(attr(xml, QLatin1StringView("font-size"))); size && *size >= 1)
        f.setFontPointSize(std::min(*size, 1638.0));
    const QString fontName = attr(xml, QLatin1StringView("font-name")).toString();
    if (!fontName.isEmpty())
        f.setFontFamilies(documentFontFamilies(m_fontFaces.value(fontName, fontName)));
    QString family = attr(xml, QLatin1StringView("font-family")).toString();
    family.remove(QLatin1Char('\'')).remove(QLatin1Char('"'));
    if (!family.trimmed().isEmpty() && fontName.isEmpty())
        f.setFontFamilies(documentFontFamilies(family.trimmed()));
    const QStringView position = attr(xml, QLatin1StringView("text-position"));
    if (!position.isEmpty()) {
        const QStringView first = position.split(u' ').first();
        if (first == u"super" || (percent(first) && *percent(first) > 0))
            f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
        else if (first == u"sub" || (percent(first) && *percent(first) < 0))
            f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
        else
            f.setVerticalAlignment(QTextCharFormat::AlignNormal);
    }
    if (attr(xml, QLatin1StringView("font-variant")) == u"small-caps")
        f.setFontCapitalization(QFont::SmallCaps);
    if (attr(xml, QLatin1StringView("text-transform")) == u"uppercase")
        f.setFontCapitalization(QFont::AllUppercase);
    if (attr(xml, QLatin1StringView("display")) == u"none")
        f.setProperty(kHiddenTextProperty, true);
}

void OdtParser::readCellProperties(QXmlStreamReader& xml, CellLook& look)
{
    readOdfBorders(xml, look.borders);
    const QStringView background = attr(xml, QLatin1StringView("background-color"));
    if (background.startsWith(u'#') && QColor(background.toString()).isValid())
        look.shading = QColor(background.toString());
    const QStringView align = attr(xml, QLatin1StringView("vertical-align"));
    if (align == u"middle")
        look.verticalAlignment = QTextCharFormat::AlignMiddle;
    else if (align == u"bottom")
        look.verticalAlignment = QTextCharFormat::AlignBottom;
    else if (align == u"top")
        look.verticalAlignment = QTextCharFormat::AlignTop;
    if (const auto padding = lengthPoints(attr(xml, QLatin1StringView("padding")))) {
        const double p = std::clamp(*padding, 0.0, 144.0);
        look.padding = std::array<double, 4>{p, p, p, p};
    }
    xml.skipCurrentElement();
}

void OdtParser::readParagraphProperties(QXmlStreamReader& xml, QTextBlockFormat& f)
{
    const QStringView align = attr(xml, QLatin1StringView("text-align"));
    if (align == u"center")
        f.setAlignment(Qt::AlignHCenter);
    else if (align == u"end" || align == u"right")
        f.setAlignment(Qt::AlignRight);
    else if (align == u"justify")
        f.setAlignment(Qt::AlignJustify);
    else if (align == u"start" || align == u"left")
        f.setAlignment(Qt::AlignLeft);
    if (const auto v = lengthPoints(attr(xml, QLatin1StringView("margin-left"))))
        f.setLeftMargin(m_builder.points(*v));
    if (const auto v = lengthPoints(attr(xml, QLatin1StringView("margin-right"))))
        f.setRightMargin(m_builder.points(*v));
    if (const auto v = lengthPoints(attr(xml, QLatin1StringView("text-indent"))))
        f.setTextIndent(m_builder.points(*v));
    if (const auto v = lengthPoints(attr(xml, QLatin1StringView("margin-top"))))
        f.setTopMargin(m_builder.points(std::max(0.0, *v)));
    if (const auto v = lengthPoints(attr(xml, QLatin1StringView("margin-bottom"))))
        f.setBottomMargin(m_builder.points(std::max(0.0, *v)));
    if (attr(xml, QLatin1StringView("break-before")) == u"page")
        f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    if (attr(xml, QLatin1StringView("break-after")) == u"page")
        f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysAfter);
    const QStringView lineHeight = attr(xml, QLatin1StringView("line-height"));
    if (const auto p = percent(lineHeight); p && *p > 0)
        f.setLineHeight(std::clamp(*p, 50.0, 1000.0), QTextBlockFormat::ProportionalHeight);
    else if (const auto v = lengthPoints(lineHeight); v && *v > 0)
        f.setLineHeight(m_builder.points(*v), QTextBlockFormat::FixedHeight);
    const QStringView background = attr(xml, QLatin1StringView("background-color"));
    if (background.startsWith(u'#') && QColor(background.toString()).isValid())
        f.setBackground(QColor(background.toString()));
    std::array<std::optional<BorderLine>, 4> lines;
    readOdfBorders(xml, lines);
    if (std::any_of(lines.begin(), lines.end(), [](const auto& line) { return line.has_value(); }))
        setParagraphBorders(f, lines);
    while (xml.readNextStartElement()) {
        if (xml.name() == u"tab-stops") {
            readTabStops(xml, f, [&](const QXmlStreamReader& tab) -> std::optional<double> {
                const auto at = lengthPoints(attr(tab, QLatin1StringView("position")));
                return at ? std::optional(m_builder.points(*at)) : std::nullopt;
            });
        } else {
            xml.skipCurrentElement();
        }
    }
}

void OdtParser::readStyle(QXmlStreamReader& xml, const QString& family, bool isDefault)
{
    const QString name = isDefault ? QString() : attr(xml, QLatin1StringView("name")).toString();
    Style style;
    style.parent = attr(xml, QLatin1StringView("parent-style-name")).toString();
    style.listStyle = attr(xml, QLatin1StringView("list-style-name")).toString();
    style.masterPage = attr(xml, QLatin1StringView("master-page-name")).toString();
    while (xml.readNextStartElement()) {
        const QStringView n = xml.name();
        if (n == u"text-properties")
            readTextProperties(xml, style.chars);
        else if (n == u"paragraph-properties") {
            bool numbered = false;
            const int number = attr(xml, QLatin1StringView("page-number")).toInt(&numbered);
            if (numbered)
                style.pageNumber = number;
            readParagraphProperties(xml, style.block);
        }
        else if (n == u"table-cell-properties")
            readCellProperties(xml, style.cell);
        else if (n == u"graphic-properties") {
            style.frame.read(xml);
            xml.skipCurrentElement();
        }
        else if (n == u"table-properties") {
            const QStringView align = attr(xml, QLatin1StringView("align"));
            if (align == u"center")
                style.tableAlignment = Qt::AlignHCenter;
            else if (align == u"right")
                style.tableAlignment = Qt::AlignRight;
            xml.skipCurrentElement();
        } else if (n == u"properties") {
            // OpenOffice.org 1: one element for every family's properties.
            readTextAttributes(xml, style.chars);
            if (const auto w = lengthPoints(attr(xml, QLatin1StringView("column-width"))))
                style.columnWidth = std::max(0.0, *w);
            readParagraphProperties(xml, style.block);
        } else if (n == u"table-column-properties") {
            if (const auto w = lengthPoints(attr(xml, QLatin1StringView("column-width"))))
                style.columnWidth = std::max(0.0, *w);
            xml.skipCurrentElement();
        } else
            xml.skipCurrentElement();
    }
    const int level = attr(xml, QLatin1StringView("default-outline-level")).toInt();
    if (level > 0 && level <= 9)
        style.block.setHeadingLevel(level);
    m_styles.insert(family + QLatin1Char(':') + name, style);
}

void OdtParser::readListLevel(QXmlStreamReader& xml, ListLevel& level)
{
    const int index = std::clamp(attr(xml, QLatin1StringView("level")).toInt(), 1, kMaxListLevels) - 1;
    ListLevelLook& look = level.look;
    const QStringView kind = xml.name();
    if (kind == u"list-level-style-number") {
        look.numberFormat = numberFormat(attr(xml, QLatin1StringView("num-format")));
        bool given = false;
        const int start = attr(xml, QLatin1StringView("start-value")).toInt(&given);
        look.start = given ? start : 1;
        // The numbers of the levels shown, the deepest last: "1.2.".
        const int shown = std::clamp(attr(xml, QLatin1StringView("display-levels")).toInt(), 1, index + 1);
        QStringList numbers;
        for (int l = index + 2 - shown; l <= index + 1; ++l)
            numbers.append(QLatin1Char('%') + QString::number(l));
        look.text = attr(xml, QLatin1StringView("num-prefix")).toString() + numbers.join(QLatin1Char('.'))
                    + attr(xml, QLatin1StringView("num-suffix")).toString();
    } else {
        look.numberFormat = QStringLiteral("bullet");
        const QStringView bullet = attr(xml, QLatin1StringView("bullet-char"));
        look.text = bullet.isEmpty() ? QStringLiteral("\u2022") : bullet.left(1).toString();
    }
    walkElement(xml, [&](QXmlStreamReader& x) {
        const QStringView n = x.name();
        if (n == u"text-properties") {
            readTextProperties(x, look.chars);
            return true;
        }
        if (n == u"list-level-label-alignment") {
            if (const auto v = lengthPoints(attr(x, QLatin1StringView("margin-left"))))
                level.block.setLeftMargin(m_builder.points(*v));
            if (const auto v = lengthPoints(attr(x, QLatin1StringView("text-indent"))))
                level.block.setTextIndent(m_builder.points(*v));
            const QStringView followed = attr(x, QLatin1StringView("label-followed-by"));
            look.separator = followed == u"space" ? QStringLiteral(" ")
                             : followed == u"nothing" ? QString()
                                                      : QStringLiteral("\t");
        } else if (n == u"list-level-properties") {
            // The older placement: the label's start and its width.
            const auto before = lengthPoints(attr(x, QLatin1StringView("space-before")));
            const auto width = lengthPoints(attr(x, QLatin1StringView("min-label-width")));
            if (before || width) {
                level.block.setLeftMargin(m_builder.points(before.value_or(0) + width.value_or(0)));
                level.block.setTextIndent(-m_builder.points(width.value_or(0)));
            }
        }
        return false;
    });
}

void OdtParser::readListStyle(QXmlStreamReader& xml)
{
    const QString name = attr(xml, QLatin1StringView("name")).toString();
    QHash<int, ListLevel>& levels = m_listStyles[name];
    while (xml.readNextStartElement()) {
        const QStringView n = xml.name();
        if (n == u"list-level-style-bullet" || n == u"list-level-style-number" || n == u"list-level-style-image") {
            const int index = std::clamp(attr(xml, QLatin1StringView("level")).toInt(), 1, kMaxListLevels) - 1;
            ListLevel level;
            readListLevel(xml, level);
            levels.insert(index, level);
        } else {
            xml.skipCurrentElement();
        }
    }
}

void OdtParser::readStyles(QXmlStreamReader& xml)
{
    while (xml.readNextStartElement()) {
        const QStringView n = xml.name();
        if (n == u"style")
            readStyle(xml, attr(xml, QLatin1StringView("family")).toString(), false);
        else if (n == u"default-style")
            readStyle(xml, attr(xml, QLatin1StringView("family")).toString(), true);
        else if (n == u"list-style")
            readListStyle(xml);
        else if (n == u"page-layout" || n == u"page-master") // page-master: OpenOffice.org 1
            readPageLayout(xml);
        else
            xml.skipCurrentElement();
    }
}

ResolvedStyle OdtParser::resolve(const QString& family, const QString& name)
{
    const QString prefix = family + QLatin1Char(':');
    ResolvedStyle r;
    // The family's default style is the root of every chain.
    const auto root = m_styles.constFind(prefix);
    if (root != m_styles.constEnd()) {
        r.chars = root->chars;
        r.block = root->block;
        r.frame = root->frame;
    }
    const auto chain = styleChain(name, [&](const QString& n) -> const Style* {
        const auto it = m_styles.constFind(prefix + n);
        return it == m_styles.constEnd() ? nullptr : &*it;
    });
    for (auto it = chain.crbegin(); it != chain.crend(); ++it) {
        const Style& style = **it;
        r.chars.merge(style.chars);
        r.block.merge(style.block);
        if (!style.listStyle.isEmpty())
            r.listStyle = style.listStyle;
        r.columnWidth = style.columnWidth;
        r.cell.merge(style.cell);
        r.frame.merge(style.frame);
        if (style.tableAlignment)
            r.tableAlignment = *style.tableAlignment;
    }
    return r;
}

void OdtParser::startParagraph(const QXmlStreamReader& xml, bool heading)
{
    const QString styleName = attr(xml, QLatin1StringView("style-name")).toString();
    noteMasterPage(QStringLiteral("paragraph"), styleName);
    const ResolvedStyle style = resolve(QStringLiteral("paragraph"), styleName);
    QTextBlockFormat block = style.block;
    if (heading) {
        int level = attr(xml, QLatin1StringView("outline-level")).toInt();
        if (level == 0)
            level = attr(xml, QLatin1StringView("level")).toInt(); // OpenOffice.org 1
        block.setHeadingLevel(std::clamp(level, 1, 9));
    }
    // A list's level places the paragraph; only an item's first paragraph
    // has a label.
    std::optional<QList<ListLevelLook>> label;
    int level = 0;
    if (!m_lists.isEmpty()) {
        const ListState& list = m_lists.last();
        level = std::min(int(m_lists.size()) - 1, kMaxListLevels - 1);
        QString listStyle;
        for (const ListState& l : m_lists)
            if (!l.style.isEmpty())
                listStyle = l.style;
        if (listStyle.isEmpty())
            listStyle = style.listStyle;
        const QHash<int, ListLevel> levels = m_listStyles.value(listStyle);
        QTextBlockFormat place = levels.value(level).block;
        if (list.header || list.itemHasParagraph)
            place.setTextIndent(0);
        else {
            label = QList<ListLevelLook>();
            for (int l = 0; l < kMaxListLevels; ++l) {
                ListLevelLook look = levels.value(l).look;
                // OpenOffice.org 1: an unordered list the style says nothing of.
                if (!levels.contains(l) && l < m_lists.size() && m_lists[l].bulleted) {
                    look.numberFormat = QStringLiteral("bullet");
                    look.text = QString(QChar(0x2022));
                }
                label->append(look);
            }
        }
        block.merge(place);
    }
    measureTabsFromLineStart(block, block.leftMargin());
    m_paragraphChars = style.chars;
    QTextCharFormat mark = m_paragraphChars;
    mark.clearProperty(kHiddenTextProperty);
    m_builder.startParagraph(block, mark);
    m_spans.clear();
    m_inParagraph = true;
    m_lastWasSpace = true;
    if (!m_lists.isEmpty()) {
        ListState& list = m_lists.last();
        if (label)
            m_builder.setListItem(m_lists.first().key, level, *label, list.startValue);
        list.itemHasParagraph = true;
    }
}

void OdtParser::ensureParagraph()
{
    if (!m_inParagraph) {
        m_builder.startParagraph({}, {});
        m_paragraphChars = QTextCharFormat();
        m_spans.clear();
        m_inParagraph = true;
        m_lastWasSpace = true;
    }
}

void OdtParser::addRun(const QString& text)
{
    if (text.isEmpty())
        return;
    ensureParagraph();
    m_builder.addText(text, currentFormat());
}

// White space in the text collapses to one space, none at a paragraph's start.
void OdtParser::emitCharacters(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r') {
            if (!m_lastWasSpace)
                out.append(QLatin1Char(' '));
            m_lastWasSpace = true;
        } else {
            out.append(c);
            m_lastWasSpace = false;
        }
    }
    addRun(out);
}

void OdtParser::readColumn(QXmlStreamReader& xml)
{
    if (m_tables.isEmpty())
        return;
    const ResolvedStyle style = resolve(QStringLiteral("table-column"), attr(xml, QLatin1StringView("style-name")).toString());
    const int repeat = std::clamp(attr(xml, QLatin1StringView("number-columns-repeated")).toInt(), 1, kMaxTableColumns);
    for (int i = 0; i < repeat && m_tables.last().columns.size() < kMaxTableColumns; ++i)
        m_tables.last().columns.append(style.columnWidth);
}

// A picture of the package, by its reference there; false when there is no
// such part or it is no picture.
bool OdtParser::placePart(QString href, const QSizeF& size)
{
    // "#Pictures/..." in OpenOffice.org 1 files.
    if (href.startsWith(QLatin1StringView("./")))
        href = href.mid(2);
    else if (href.startsWith(QLatin1Char('#')))
        href = href.mid(1);
    if (href.isEmpty() || href.contains(QLatin1StringView("://")) || !m_parts)
        return false;
    ensureParagraph();
    return m_builder.addImage(QStringLiteral("part:") + href, [&] { return m_parts(href); }, size);
}

// OpenOffice.org 1: a picture stands in the text without a frame around it.
void OdtParser::readUnframedImage(QXmlStreamReader& xml)
{
    placePart(attr(xml, QLatin1StringView("href")).toString(),
              QSizeF(lengthPoints(attr(xml, QLatin1StringView("width"))).value_or(0),
                     lengthPoints(attr(xml, QLatin1StringView("height"))).value_or(0)));
    xml.skipCurrentElement();
}

void OdtParser::readFrame(QXmlStreamReader& xml)
{
    const QSizeF size(lengthPoints(attr(xml, QLatin1StringView("width"))).value_or(0),
                      lengthPoints(attr(xml, QLatin1StringView("height"))).value_or(0));
    const QStringView anchor = attr(xml, QLatin1StringView("anchor-type"));
    const bool floats = !anchor.isEmpty() && anchor != u"as-char";
    const BoxLines lines = frameLines(xml, false);
    bool placed = false;
    QString text;
    const auto visit = [&](QXmlStreamReader& x) {
        if (x.name() == u"title" || x.name() == u"desc") {
            x.skipCurrentElement(); // alternative text, not shown
            return true;
        }
        if (x.name() == u"text-box" && m_boxDepth < kMaxTextBoxDepth) {
            m_floating.append({captureElement(x), size.width(), lines, {}, {}});
            return true;
        }
        if (x.name() == u"object") {
            const QString formula = readObject(x);
            if (!formula.isEmpty() && !placed) {
                text = formula;
                placed = true;
            }
            return true;
        }
        if (x.name() != u"image")
            return false;
        if (placed) {
            x.skipCurrentElement();
            return true;
        }
        const QString href = attr(x, QLatin1StringView("href")).toString();
        if (floats && !href.isEmpty()) {
            m_floating.append({{}, 0, {}, href, size});
            placed = true;
            x.skipCurrentElement();
            return true;
        }
        placed = placePart(href, size);
        if (placed)
            return false;
        // Pictures kept in the XML itself (flat files).
        walkElement(x, [&](QXmlStreamReader& data) {
            if (data.name() == u"binary-data" && !placed) {
                const QByteArray bytes = QByteArray::fromBase64(data.readElementText().toLatin1());
                ensureParagraph();
                placed = m_builder.addImage(bytes, size);
            } else {
                data.skipCurrentElement();
            }
            return true;
        });
        return true;
    };
    walkElement(xml, visit, [&](QStringView characters) {
        const QStringView trimmed = characters.trimmed();
        if (trimmed.isEmpty())
            return;
        if (!text.isEmpty())
            text += QLatin1Char(' ');
        text += trimmed;
    });
    if (!text.isEmpty()) {
        ensureParagraph();
        m_builder.addText(text, currentFormat());
        m_lastWasSpace = false;
    }
}

QString OdtParser::readObject(QXmlStreamReader& xml)
{
    QString href = attr(xml, QLatin1StringView("href")).toString();
    // A flat file holds the formula inside the object.
    QString text;
    walkElement(xml, [&](QXmlStreamReader& x) {
        if (x.name() == u"math" && text.isEmpty())
            text = mathMLText(x);
        else
            x.skipCurrentElement();
        return true;
    });
    if (!text.isEmpty() || !m_parts)
        return text;
    if (href.startsWith(QLatin1StringView("./")))
        href = href.mid(2);
    if (href.isEmpty() || href.contains(QLatin1StringView("://")))
        return {};
    const std::optional<QByteArray> content = m_parts(href + QStringLiteral("/content.xml"));
    if (!content)
        return {};
    QXmlStreamReader formula(*content);
    if (!formula.readNextStartElement() || formula.name() != u"math")
        return {};
    return mathMLText(formula).trimmed();
}

void OdtParser::readShape(QXmlStreamReader& xml)
{
    const double width = lengthPoints(attr(xml, QLatin1StringView("width"))).value_or(0);
    if (m_boxDepth >= kMaxTextBoxDepth) {
        addRun(xml.readElementText(QXmlStreamReader::IncludeChildElements).simplified());
        return;
    }
    const BoxLines lines = frameLines(xml, true);
    // Read again as a text box, not as the shape it is.
    const QByteArray content = captureElement(xml, QStringLiteral("text-box"));
    static const QRegularExpression paragraph(QStringLiteral("<(p|h)[ >]"));
    if (paragraph.match(QString::fromUtf8(content)).hasMatch())
        m_floating.append({content, width, lines, {}, {}});
}

void OdtParser::placeFloating()
{
    const QList<Floating> floating = std::exchange(m_floating, {});
    for (const Floating& f : floating) {
        if (!m_builder.isComplete())
            return;
        if (!f.box.isEmpty()) {
            placeBox(f.box, f.width, f.lines);
        } else {
            m_inParagraph = false;
            placePart(f.picture, f.size);
        }
        m_inParagraph = false;
    }
}

BoxLines OdtParser::frameLines(const QXmlStreamReader& xml, bool shape)
{
    const QString style = attr(xml, QLatin1StringView("style-name")).toString();
    return resolve(QStringLiteral("graphic"), style).frame.lines(shape);
}

// A one-cell table with the frame's lines around it, the box's content read
// into it as the body is.
void OdtParser::placeBox(const QByteArray& content, double width, const BoxLines& lines)
{
    m_builder.beginTextBox(width, lines);
    const QList<ListState> lists = std::exchange(m_lists, {});
    const QList<QTextCharFormat> spans = std::exchange(m_spans, {});
    const qsizetype stack = m_stack.size();
    const qsizetype tables = m_tables.size();
    m_inParagraph = false;
    ++m_boxDepth;
    QXmlStreamReader xml(content);
    readBody(xml);
    --m_boxDepth;
    m_stack.resize(stack);
    while (m_tables.size() > tables) {
        if (m_tables.last().started)
            m_builder.endTable();
        m_tables.removeLast();
    }
    m_builder.endTextBox();
    m_lists = lists;
    m_spans = spans;
    m_inParagraph = false;
}

// The list an outermost list continues (the one before it, or the one its
// continue-list names), else a new one.
QString OdtParser::outermostListKey(const QXmlStreamReader& xml)
{
    QString key;
    const QString continued = attr(xml, QLatin1StringView("continue-list")).toString();
    if (!continued.isEmpty())
        key = m_listKeys.value(continued);
    else if (attr(xml, QLatin1StringView("continue-numbering")) == u"true")
        key = m_lastListKey;
    if (key.isEmpty())
        key = QStringLiteral("odt:%1").arg(++m_listCount);
    const QString id = attr(xml, QLatin1StringView("id")).toString();
    if (!id.isEmpty() && m_listKeys.size() < kMaxListIds)
        m_listKeys.insert(id, key);
    m_lastListKey = key;
    return key;
}

// The page style of the body's first paragraph or table, when its style
// names one: the master page whose headers the document prints first. A
// later paragraph or table whose style names one starts a section on a new
// page with that master page's headers and footers.
void OdtParser::noteMasterPage(const QString& family, const QString& styleName)
{
    if (!m_readsStories || !m_tables.isEmpty() || m_boxDepth > 0)
        return;
    const Style style = m_styles.value(family + QLatin1Char(':') + styleName);
    if (!m_masterPages.isEmpty() && style.masterPage.isEmpty())
        return;
    int index = 0;
    if (!m_masterPages.isEmpty()) {
        index = PageFurniture::of(m_builder.document()).addSection();
        if (index < 0)
            return;
        m_builder.startSection(index);
    }
    m_masterPages.append(style.masterPage);
    if (index > 0 || style.pageNumber) {
        PageSection& section = PageFurniture::of(m_builder.document()).lastSection();
        section.inheritsStories = false; // a master page gives all it has
        section.firstPageNumber = style.pageNumber;
    }
}

void OdtParser::readPageLayout(QXmlStreamReader& xml)
{
    const QString name = attr(xml, QLatin1StringView("name")).toString();
    PageLayout layout;
    while (xml.readNextStartElement()) {
        // properties: OpenOffice.org 1
        if (xml.name() == u"page-layout-properties" || xml.name() == u"properties") {
            layout.top = lengthPoints(attr(xml, QLatin1StringView("margin-top")));
            layout.bottom = lengthPoints(attr(xml, QLatin1StringView("margin-bottom")));
        }
        xml.skipCurrentElement();
    }
    m_pageLayouts.insert(name, layout);
}

// Reads the element the reader stands on into document; false when it
// outgrew the document's budget or the XML is damaged.
bool OdtParser::readStory(QXmlStreamReader& xml, QTextDocument& document)
{
    RichTextBuilder builder(document);
    OdtParser story(*this, builder);
    const bool read = story.readBody(xml);
    builder.finish();
    return read && builder.isComplete();
}

// A footnote or endnote: its citation as the mark in the text, its body as
// the note's text. False when the document is refused.
bool OdtParser::readNote(QXmlStreamReader& xml)
{
    if (!m_readsStories) {
        xml.skipCurrentElement(); // notes in headers or notes are not printed
        return true;
    }
    PageFurniture& furniture = PageFurniture::of(m_builder.document());
    if (furniture.notes().size() >= std::size_t(kMaxNotes))
        return false;
    const bool endnote = xml.name() == u"endnote" || attr(xml, QLatin1StringView("note-class")) == u"endnote";
    const Note::Kind kind = endnote ? Note::Kind::Endnote : Note::Kind::Footnote;
    QString mark;
    int index = -1;
    bool read = true;
    walkElement(xml, [&](QXmlStreamReader& x) {
        const QStringView n = x.name();
        if (n.endsWith(u"-citation") && index < 0)
            mark = x.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        else if (n.endsWith(u"-body") && index < 0) {
            index = furniture.addNote(kind, mark);
            read = readStory(x, furniture.noteText(index));
        } else
            x.skipCurrentElement();
        return true;
    });
    if (!read)
        return false;
    if (index < 0)
        index = furniture.addNote(kind, mark);
    QTextCharFormat format = currentFormat();
    format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    format.setProperty(kNoteReferenceProperty, index);
    ensureParagraph();
    m_builder.addText(mark.isEmpty() ? QStringLiteral("*") : mark, format);
    m_lastWasSpace = false;
    return true;
}

// Page number and count: the text the file holds stands for the value the
// printer puts on each page.
void OdtParser::addField(const QString& text, PageField field)
{
    QTextCharFormat format = currentFormat();
    format.setProperty(kPageFieldProperty, static_cast<int>(field));
    const QString shown = text.trimmed();
    ensureParagraph();
    m_builder.addText(shown.isEmpty() ? QStringLiteral("1") : shown, format);
    m_lastWasSpace = false;
}

bool OdtParser::walkMasterPages(const QByteArray& bytes, const std::function<void(QXmlStreamReader&)>& visit)
{
    QXmlStreamReader xml(bytes);
    if (!xml.readNextStartElement())
        return false;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"automatic-styles") {
            readStyles(xml);
        } else if (xml.name() == u"master-styles") {
            while (xml.readNextStartElement()) {
                if (xml.name() == u"master-page")
                    visit(xml);
                else
                    xml.skipCurrentElement();
            }
        } else {
            xml.skipCurrentElement();
        }
    }
    return !xml.hasError();
}

bool OdtParser::readMasterStories(const QByteArray& bytes, QHash<QString, MasterStories>& stories)
{
    const PageFurniture& furniture = PageFurniture::of(m_builder.document());
    bool read = true;
    int seen = 0;
    const bool walked = walkMasterPages(bytes, [&](QXmlStreamReader& xml) {
        const QString name = attr(xml, QLatin1StringView("name")).toString();
        const auto wanted = stories.find(name);
        if (seen++ >= kMaxMasterPages || wanted == stories.end() || !wanted->isEmpty()) {
            xml.skipCurrentElement();
            return;
        }
        while (xml.readNextStartElement()) {
            const QString n = xml.name().toString();
            // A story switched off prints nothing on its pages.
            const bool shown = attr(xml, QLatin1StringView("display")) != u"false";
            const bool story = n.startsWith(QLatin1StringView("header")) || n.startsWith(QLatin1StringView("footer"));
            if (read && shown && story && !wanted->contains(n)) {
                const std::shared_ptr<QTextDocument> document = furniture.makeStory();
                read = readStory(xml, *document);
                wanted->insert(n, document);
            } else {
                xml.skipCurrentElement();
            }
        }
    });
    return walked && read;
}

bool OdtParser::readPageFurniture(const QByteArray& bytes)
{
    QList<MasterPage> pages;
    const bool walked = walkMasterPages(bytes, [&](QXmlStreamReader& xml) {
        if (pages.size() >= kMaxMasterPages) {
            xml.skipCurrentElement();
            return;
        }
        MasterPage page{attr(xml, QLatin1StringView("name")).toString(),
                        attr(xml, QLatin1StringView("page-layout-name")).toString(),
                        {}};
        if (page.layout.isEmpty())
            page.layout = attr(xml, QLatin1StringView("page-master-name")).toString(); // OpenOffice.org 1
        while (xml.readNextStartElement()) {
            page.parts.append(xml.name().toString());
            xml.skipCurrentElement();
        }
        pages.append(page);
    });
    if (!walked)
        return false;
    // Each section's own master page, else the default one, else the first.
    const auto pageOf = [&](const QString& name) -> const MasterPage* {
        for (const QString& candidate : {name, QStringLiteral("Standard")})
            for (const MasterPage& page : pages)
                if (page.name == candidate)
                    return &page;
        return pages.isEmpty() ? nullptr : &pages.first();
    };
    const auto hasStories = [](const MasterPage* page) {
        return page && std::any_of(page->parts.cbegin(), page->parts.cend(), [](const QString& part) {
                   return part.startsWith(QLatin1StringView("header")) || part.startsWith(QLatin1StringView("footer"));
               });
    };
    PageFurniture* existing = PageFurniture::find(m_builder.document());
    const int sections = existing ? existing->sectionCount() : 1;
    QList<const MasterPage*> used;
    QHash<QString, MasterStories> stories;
    for (int index = 0; index < sections; ++index) {
        used.append(pageOf(m_masterPages.value(index)));
        if (hasStories(used.last()))
            stories.insert(used.last()->name, {});
    }
    if (!existing && stories.isEmpty())
        return true;
    PageFurniture& furniture = PageFurniture::of(m_builder.document());
    if (!readMasterStories(bytes, stories))
        return false;
    if (used.first()) {
        const PageLayout layout = m_pageLayouts.value(used.first()->layout);
        furniture.headerDistance = layout.top.value_or(-1);
        furniture.footerDistance = layout.bottom.value_or(-1);
    }
    for (int index = 0; index < sections; ++index) {
        const MasterPage* page = used[index];
        if (!hasStories(page))
            continue;
        const auto has = [&](const QString& part) { return page->parts.contains(part); };
        PageSection& section = furniture.section(index);
        section.titlePage = has(QStringLiteral("header-first")) || has(QStringLiteral("footer-first"));
        furniture.evenAndOddHeaders = furniture.evenAndOddHeaders || has(QStringLiteral("header-left"))
                                      || has(QStringLiteral("footer-left"));
        // A kind of page without a story of its own prints the default one.
        const MasterStories& read = stories.value(page->name);
        for (PageKind kind : {PageKind::Default, PageKind::First, PageKind::Even}) {
            const QString suffix = kind == PageKind::First  ? QStringLiteral("-first")
                                   : kind == PageKind::Even ? QStringLiteral("-left")
                                                            : QString();
            const auto story = [&](const QString& base) {
                return read.value(has(base + suffix) ? base + suffix : base);
            };
            section.headers[std::size_t(kind)] = story(QStringLiteral("header"));
            section.footers[std::size_t(kind)] = story(QStringLiteral("footer"));
        }
    }
    return true;
}

bool OdtParser::readBody(QXmlStreamReader& xml)
{
    int depthAtStart = int(m_stack.size());
    while (!xml.atEnd()) {
        // Past the builder's budget the document is refused: read no further.
        if (!m_builder.isComplete())
            return false;
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::Characters) {
            if (m_inParagraph)
                emitCharacters(xml.text());
            continue;
        }
        if (token == QXmlStreamReader::EndElement) {
            if (int(m_stack.size()) <= depthAtStart)
                break; // the end of the body
            const Kind kind = m_stack.takeLast();
            switch (kind) {
            case Kind::Paragraph:
                ensureParagraph();
                m_inParagraph = false;
                placeFloating();
                break;
            case Kind::Span:
                if (!m_spans.isEmpty())
                    m_spans.removeLast();
                break;
            case Kind::List:
                if (!m_lists.isEmpty())
                    m_lists.removeLast();
                break;
            case Kind::ListItem:
                if (!m_lists.isEmpty())
                    m_lists.last().itemHasParagraph = false;
                break;
            case Kind::Row:
                m_builder.endRow();
                break;
            case Kind::Table:
                if (!m_tables.isEmpty()) {
                    if (m_tables.last().started)
                        m_builder.endTable();
                    m_tables.removeLast();
                }
                m_inParagraph = false;
                break;
            default:
                break;
            }
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QStringView n = xml.name();
        Kind kind = Kind::Other;
        if (n == u"p" || n == u"h") {
            if (m_inParagraph)
                m_inParagraph = false; // a paragraph inside one starts afresh
            startParagraph(xml, n == u"h");
            kind = Kind::Paragraph;
        } else if (n == u"span") {
            QTextCharFormat f = currentFormat();
            f.merge(resolve(QStringLiteral("text"), attr(xml, QLatin1StringView("style-name")).toString()).chars);
            m_spans.append(f);
            kind = Kind::Span;
        } else if (n == u"s") {
            const int count = std::clamp(attr(xml, QLatin1StringView("c")).toInt(), 1, kMaxSpaces);
            addRun(QString(count, QLatin1Char(' ')));
            m_lastWasSpace = true;
        } else if (n == u"tab" || n == u"tab-stop") { // tab-stop: OpenOffice.org 1
            addRun(QStringLiteral("\t"));
            m_lastWasSpace = true;
        } else if (n == u"line-break") {
            ensureParagraph();
            m_builder.addLineBreak(currentFormat());
            m_lastWasSpace = true;
        } else if (n == u"list" || n == u"ordered-list" || n == u"unordered-list") {
            // The two kinds of OpenOffice.org 1 lists are one kind since.
            if (m_lists.size() >= kMaxListDepth) {
                kind = Kind::Other;
            } else {
                ListState list;
                list.bulleted = n == u"unordered-list";
                list.style = attr(xml, QLatin1StringView("style-name")).toString();
                list.key = m_lists.isEmpty() ? outermostListKey(xml) : m_lists.first().key;
                m_lists.append(list);
                kind = Kind::List;
            }
            m_inParagraph = false;
        } else if (n == u"list-item" || n == u"list-header") {
            if (!m_lists.isEmpty()) {
                ListState& list = m_lists.last();
                list.itemHasParagraph = false;
                list.header = n == u"list-header";
                bool given = false;
                const int start = attr(xml, QLatin1StringView("start-value")).toInt(&given);
                list.startValue = given ? std::optional(start) : std::nullopt;
            }
            kind = Kind::ListItem;
        } else if (n == u"table") {
            m_inParagraph = false;
            const QString styleName = attr(xml, QLatin1StringView("style-name")).toString();
            noteMasterPage(QStringLiteral("table"), styleName);
            m_tables.append(TableState());
            m_tables.last().styleName = styleName;
            kind = Kind::Table;
        } else if (n == u"table-column") {
            readColumn(xml);
            xml.skipCurrentElement();
            continue;
        } else if (n == u"table-row") {
            if (!m_tables.isEmpty()) {
                TableState& t = m_tables.last();
                if (!t.started) {
                    // Cells have only the lines and padding their styles give.
                    TableLook look;
                    look.padding = {0, 0, 0, 0};
                    look.alignment = resolve(QStringLiteral("table"), t.styleName).tableAlignment;
                    m_builder.beginTable(t.columns, look);
                    t.started = true;
                }
                m_builder.beginRow();
                m_tables.last().coveredInRow = 0;
            }
            kind = Kind::Row;
        } else if (n == u"table-cell") {
            const int columns = std::max(1, attr(xml, QLatin1StringView("number-columns-spanned")).toInt());
            const int rows = std::max(1, attr(xml, QLatin1StringView("number-rows-spanned")).toInt());
            m_builder.beginCell(columns, rows, false);
            m_builder.setCellLook(
                resolve(QStringLiteral("table-cell"), attr(xml, QLatin1StringView("style-name")).toString()).cell);
            if (!m_tables.isEmpty())
                m_tables.last().coveredInRow = std::min(columns, kMaxTableColumns) - 1;
            m_inParagraph = false;
            // The cell is open now: its end takes no further place.
            m_stack.append(Kind::Other);
            continue;
        } else if (n == u"covered-table-cell") {
            if (!m_tables.isEmpty() && m_tables.last().coveredInRow > 0)
                --m_tables.last().coveredInRow;
            else
                m_builder.skipCell();
            xml.skipCurrentElement();
            continue;
        } else if (n == u"frame") {
            readFrame(xml);
            if (!m_inParagraph)
                placeFloating();
            continue;
        } else if (n == u"custom-shape" || n == u"rect" || n == u"ellipse") {
            readShape(xml);
            if (!m_inParagraph)
                placeFloating();
            continue;
        } else if (n == u"image") {
            readUnframedImage(xml);
            continue;
        } else if (n == u"note" || n == u"footnote" || n == u"endnote") { // the last two: OpenOffice.org 1
            if (!readNote(xml))
                return false;
            continue;
        } else if (n == u"page-number" || n == u"page-count") {
            addField(xml.readElementText(QXmlStreamReader::IncludeChildElements),
                     n == u"page-number" ? PageField::PageNumber : PageField::PageCount);
            continue;
        } else if (n == u"annotation" || n == u"tracked-changes" || n == u"sequence-decls"
                   || n == u"forms" || n == u"table-of-content-source" || n == u"user-field-decls"
                   || n == u"variable-decls"
                   || n == u"placeholder") { // prompts to the writer, not printed
            xml.skipCurrentElement();
            continue;
        } else if (n == u"text") {
            m_sawBody = true;
        }
        m_stack.append(kind);
    }
    return !xml.hasError();
}

bool OdtParser::read(const QByteArray& bytes, bool body)
{
    QXmlStreamReader xml(bytes);
    if (!xml.readNextStartElement())
        return false;
    while (xml.readNextStartElement()) {
        const QStringView n = xml.name();
        if (n == u"font-face-decls" || n == u"font-decls")
            readFontFaces(xml);
        else if (n == u"styles" || n == u"automatic-styles")
            readStyles(xml);
        else if (n == u"body" && body) {
            // OpenOffice.org 1 keeps the text right in the body.
            if (xml.namespaceUri() == u"http://openoffice.org/2000/office")
                m_sawBody = true;
            if (!readBody(xml))
                return false;
        } else
            xml.skipCurrentElement();
    }
    m_builder.finish();
    if (xml.hasError())
        return false;
    return !body || m_sawBody;
}

bool parseInto(QTextDocument& document, const std::function<bool(RichTextBuilder&)>& parse)
{
    if (!buildDocument(document, QStringLiteral("Liberation Serif"), 12, parse))
        return false;
    if (PageFurniture* furniture = PageFurniture::find(document))
        furniture->breakPagesAtSections();
    return true;
}

bool readOdtPackage(ZipPackage& zip, QTextDocument& document)
{
    if (!zip.contains(QStringLiteral("content.xml")))
        return false;
    const std::optional<QByteArray> content = zip.read(QStringLiteral("content.xml"));
    if (!content)
        return false;
    std::optional<QByteArray> styles;
    if (zip.contains(QStringLiteral("styles.xml"))) {
        styles = zip.read(QStringLiteral("styles.xml"));
        if (!styles)
            return false;
    }
    return parseInto(document, [&](RichTextBuilder& builder) {
        OdtParser parser(builder, [&](const QString& part) { return zip.read(part); });
        return (!styles || parser.read(*styles, false)) && parser.read(*content, true)
               && (!styles || parser.readPageFurniture(*styles));
    });
}

} // namespace

bool readOdt(const QString& path, QTextDocument& document)
{
    const std::unique_ptr<ZipPackage> zip = ZipPackage::open(path);
    return zip && readOdtPackage(*zip, document);
}

bool readOdtData(const QByteArray& data, QTextDocument& document)
{
    const std::unique_ptr<ZipPackage> zip = ZipPackage::fromData(data);
    return zip && readOdtPackage(*zip, document);
}

bool readFlatOdtData(const QByteArray& data, QTextDocument& document)
{
    return parseInto(document, [&](RichTextBuilder& builder) {
        OdtParser parser(builder, {});
        return parser.read(data, true) && parser.readPageFurniture(data);
    });
}

bool readFlatOdt(const QString& path, QTextDocument& document)
{
    const std::optional<QByteArray> bytes = readBoundedFile(path);
    return bytes && readFlatOdtData(*bytes, document);
}

TextReader odtReader()
{
    return {"OpenDocument text",
            {QStringLiteral("org.oasis-open.opendocument.text"),
             QStringLiteral("org.oasis-open.opendocument.text-template"),
             QStringLiteral("org.openoffice.text"), QStringLiteral("org.openoffice.text-template")},
            &readOdt};
}

TextReader flatOdtReader()
{
    return {"flat OpenDocument text", {QStringLiteral("org.oasis-open.opendocument.text-flat-xml")}, &readFlatOdt};
}

} // namespace platform::text
