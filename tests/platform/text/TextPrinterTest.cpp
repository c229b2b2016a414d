#include "platform/DictionaryKeys.h"
#include "platform/text/TextDefaults.h"
#include "platform/text/TextPrinter.h"
#include "platform/text/TextReader.h"
#include "tests/support/PdfInspection.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QFont>
#include <QImage>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QMap>
#include <QRegularExpression>
#include <QTextDocument>
#include <QTextTable>
#include <gtest/gtest.h>

#include <poppler-qt6.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

using platform::text::PrintSettings;

namespace {

PrintSettings a4(bool landscape = false, double margin = 72)
{
    PrintSettings settings;
    settings.paperSize = QSizeF(595.3, 841.9);
    settings.landscape = landscape;
    settings.leftMargin = settings.rightMargin = margin;
    settings.topMargin = settings.bottomMargin = margin;
    return settings;
}

std::unique_ptr<QTextDocument> plainDocument(const QString& text)
{
    auto document = std::make_unique<QTextDocument>();
    document->setUndoRedoEnabled(false);
    document->setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 12));
    document->setPlainText(text);
    return document;
}

// Bounding box of the pixels where pick() holds; null when there are none.
template <typename Pick>
QRect pixelsWhere(const QImage& image, Pick pick)
{
    QRect box;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x)
            if (pick(QColor(rgb.pixel(x, y))))
                box |= QRect(x, y, 1, 1);
    return box;
}

bool isRed(const QColor& c) { return c.red() > 200 && c.green() < 80 && c.blue() < 80; }
bool isDark(const QColor& c) { return c.lightness() < 128; }

class TextPrinterTest : public ::testing::Test {
protected:
    QString pdfPath(const QString& name = QStringLiteral("out.pdf")) const
    {
        return dir.filePath(name);
    }
    QTemporaryDir dir;
};

TEST(TextAreaTest, IsTheTurnedPaperLessTheMargins)
{
    struct Case {
        const char* name;
        PrintSettings settings;
        QSizeF area;
    };
    PrintSettings uneven = a4();
    uneven.leftMargin = 10.25;
    uneven.rightMargin = 20.5;
    uneven.topMargin = 0;
    uneven.bottomMargin = 41.9;
    const Case cases[] = {
        {"portrait", a4(false), QSizeF(451.3, 697.9)},
        {"landscape", a4(true), QSizeF(697.9, 451.3)},
        {"uneven margins", uneven, QSizeF(564.55, 800)},
        {"margins fill the paper", a4(false, 297.65), QSizeF(0, 246.6)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QSizeF area = platform::text::textArea(c.settings);
        EXPECT_NEAR(area.width(), c.area.width(), 1e-9);
        EXPECT_NEAR(area.height(), c.area.height(), 1e-9);
    }
}

TEST_F(TextPrinterTest, PagesHaveExactlyTheTurnedPaperSize)
{
    struct Case {
        const char* name;
        PrintSettings settings;
        QSizeF page;
    };
    PrintSettings letter;
    letter.paperSize = QSizeF(612.45, 791.6);
    letter.leftMargin = 36.5;
    letter.rightMargin = 18.25;
    letter.topMargin = 50.75;
    letter.bottomMargin = 12.125;
    const Case cases[] = {
        {"A4 portrait", a4(false), QSizeF(595.3, 841.9)},
        {"A4 landscape", a4(true), QSizeF(841.9, 595.3)},
        {"fractional paper and margins", letter, QSizeF(612.45, 791.6)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto document = plainDocument(QStringLiteral("Some text\n").repeated(120));
        const QString path = pdfPath(QString::fromLatin1(c.name) + QStringLiteral(".pdf"));
        ASSERT_TRUE(platform::text::printToPDF(*document, c.settings, path));
        const auto facts = testsupport::inspectPdf(path);
        ASSERT_TRUE(facts);
        ASSERT_GE(facts->pageCount, 2);
        for (const QSizeF& size : facts->pageSizes) {
            EXPECT_NEAR(size.width(), c.page.width(), 0.01);
            EXPECT_NEAR(size.height(), c.page.height(), 0.01);
        }
    }
}

TEST_F(TextPrinterTest, TextStartsAtTheFractionalMarginsAndFillsTheTextArea)
{
    // A wide dark rule as the first line shows where the text area begins
    // and how wide it is.
    PrintSettings settings = a4(true);
    settings.leftMargin = 100.5;
    settings.rightMargin = 43.4;
    settings.topMargin = 80.25;
    QTextDocument document;
    document.setHtml(QStringLiteral("<table width='100%' cellspacing='0' cellpadding='0' "
                                    "bgcolor='#000000'><tr><td height='40'></td></tr></table>"));
    ASSERT_TRUE(platform::text::printToPDF(document, settings, pdfPath()));
    const QImage page = testsupport::renderPdfPage(pdfPath(), 0, 144);
    const QRect dark = pixelsWhere(page, isDark);
    ASSERT_FALSE(dark.isNull());
    const double pixelsPerPoint = 2;
    EXPECT_NEAR(dark.left(), settings.leftMargin * pixelsPerPoint, 1.5);
    EXPECT_NEAR(dark.top(), settings.topMargin * pixelsPerPoint, 1.5);
    EXPECT_NEAR(dark.right() + 1, (841.9 - settings.rightMargin) * pixelsPerPoint, 1.5);
}

TEST_F(TextPrinterTest, PrintedTextIsSelectableAndEqualToTheInput)
{
    // The serif font draws "fi", "fl", "ff" and "ffi" as single ligature
    // glyphs; they must still read as their letters.
    const QString text = QStringLiteral("Selectable text: caf\u00e9, \u00fcber, 42 \u20ac; first office flow.");
    for (const char* family : {"DejaVu Sans", "DejaVu Serif"}) {
        SCOPED_TRACE(family);
        auto document = plainDocument(text);
        document->setDefaultFont(QFont(QString::fromLatin1(family), 12));
        ASSERT_TRUE(platform::text::printToPDF(*document, a4(), pdfPath()));
        const auto facts = testsupport::inspectPdf(pdfPath());
        ASSERT_TRUE(facts);
        ASSERT_EQ(facts->pageCount, 1);
        EXPECT_EQ(facts->pageTexts.at(0).trimmed().toStdString(), text.toStdString());
        EXPECT_FALSE(facts->fontNames.isEmpty()) << "fonts are embedded";
    }
}

TEST_F(TextPrinterTest, LongTextRunsOverManyPagesWithoutCuttingLines)
{
    QStringList lines;
    for (int i = 0; i < 1500; ++i)
        lines << QStringLiteral("Line %1 of the long text").arg(i, 4, 10, QLatin1Char('0'));
    // A long paragraph that wraps over many lines and so crosses page ends.
    lines << QStringLiteral("wrapping words ").repeated(2000).trimmed();
    auto document = plainDocument(lines.join(QLatin1Char('\n')));
    const PrintSettings settings = a4();
    ASSERT_TRUE(platform::text::printToPDF(*document, settings, pdfPath()));

    std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(pdfPath());
    ASSERT_TRUE(pdf);
    ASSERT_GT(pdf->numPages(), 30);
    QStringList seen;
    int wrappingWords = 0;
    for (int p = 0; p < pdf->numPages(); ++p) {
        std::unique_ptr<Poppler::Page> page = pdf->page(p);
        for (const auto& box : page->textList()) {
            // Every word lies wholly inside the text area: a line that was
            // cut at a page end would stick out of it (and show twice).
            const QRectF r = box->boundingBox();
            EXPECT_GE(r.top(), settings.topMargin - 0.5) << "page " << p;
            EXPECT_LE(r.bottom(), 841.9 - settings.bottomMargin + 0.5) << "page " << p;
            if (box->text() == QLatin1String("Line"))
                seen << box->nextWord()->text();
            else if (box->text() == QLatin1String("wrapping"))
                ++wrappingWords;
        }
    }
    ASSERT_EQ(seen.size(), 1500) << "each line printed exactly once";
    for (int i = 0; i < seen.size(); ++i)
        ASSERT_EQ(seen.at(i).toInt(), i);
    EXPECT_EQ(wrappingWords, 2000);
}

TEST_F(TextPrinterTest, TabsAndLongWordsLayOutLikeATextView)
{
    // Tab stops every 28 points from the text area's left edge; a word longer
    // than a line breaks inside it rather than shrinking the page to fit.
    auto document = plainDocument(QStringLiteral("a\tb\t\tc\n") + QStringLiteral("x").repeated(3000));
    const PrintSettings settings = a4();
    ASSERT_TRUE(platform::text::printToPDF(*document, settings, pdfPath()));
    std::unique_ptr<Poppler::Document> pdf = Poppler::Document::load(pdfPath());
    ASSERT_TRUE(pdf);
    std::unique_ptr<Poppler::Page> page = pdf->page(0);
    QMap<QString, QRectF> boxes;
    int longLines = 0;
    for (const auto& box : page->textList()) {
        const QRectF r = box->boundingBox();
        EXPECT_GE(r.left(), settings.leftMargin - 0.5);
        EXPECT_LE(r.right(), 595.3 - settings.rightMargin + 0.5);
        if (box->text().startsWith(QLatin1Char('x'))) {
            ++longLines;
            EXPECT_NEAR(r.height(), 14, 1.5) << "12-point text, not scaled down";
        }
        boxes.insert(box->text(), r);
    }
    EXPECT_GT(longLines, 30);
    EXPECT_NEAR(boxes.value(QStringLiteral("b")).left(), settings.leftMargin + 28, 0.5);
    EXPECT_NEAR(boxes.value(QStringLiteral("c")).left(), settings.leftMargin + 84, 0.5);
}

TEST_F(TextPrinterTest, AMegabyteOfTextPrintsEveryLine)
{
    QString text;
    int lines = 0;
    for (; text.size() < 1'000'000; ++lines)
        text += QStringLiteral("Line %1: the quick brown fox jumps over the lazy dog again and again.\n").arg(lines);
    auto document = plainDocument(text);
    ASSERT_TRUE(platform::text::printToPDF(*document, a4(), pdfPath()));
    const auto facts = testsupport::inspectPdf(pdfPath());
    ASSERT_TRUE(facts);
    EXPECT_GT(facts->pageCount, 250);
    EXPECT_TRUE(facts->pageTexts.first().contains(QLatin1String("Line 0:")));
    EXPECT_TRUE(facts->pageTexts.last().contains(QStringLiteral("Line %1:").arg(lines - 1)));
    // Pages far into the document start where the layout put them: the
    // first line of a page is not also in the text of the page before.
    QList<int> seen(lines, 0);
    static const QRegularExpression number(QStringLiteral("Line (\\d+):"));
    for (const QString& page : facts->pageTexts)
        for (const QRegularExpressionMatch& match : number.globalMatch(page))
            ++seen[std::clamp(match.captured(1).toInt(), 0, lines - 1)];
    QStringList wrong;
    for (int line = 0; line < lines; ++line)
        if (seen[line] != 1)
            wrong << QStringLiteral("line %1 printed %2 times").arg(line).arg(seen[line]);
    EXPECT_TRUE(wrong.isEmpty()) << wrong.size() << " wrong, " << wrong.mid(0, 3).join(", ").toStdString();
}

TEST_F(TextPrinterTest, FontAndColourFromAttributesReachThePdf)
{
    auto document = plainDocument(QStringLiteral("Red serif words in bold italic"));
    QVariantMap attributes;
    QFont font(QStringLiteral("DejaVu Serif"), 30);
    font.setBold(true);
    font.setItalic(true);
    attributes.insert(platform::keys::NSFontAttributeName, font);
    attributes.insert(platform::keys::NSForegroundColorAttributeName, QColor(Qt::red));
    platform::text::addAttributes(*document, attributes, 0, platform::text::characterCount(*document));
    ASSERT_TRUE(platform::text::printToPDF(*document, a4(), pdfPath()));

    const auto facts = testsupport::inspectPdf(pdfPath());
    ASSERT_TRUE(facts);
    EXPECT_TRUE(facts->fontNames.join(' ').contains(QLatin1String("DejaVuSerif-BoldItalic")))
        << facts->fontNames.join(' ').toStdString();
    const QRect red = pixelsWhere(testsupport::renderPdfPage(pdfPath(), 0, 72), isRed);
    ASSERT_FALSE(red.isNull());
    EXPECT_GT(red.height(), 18) << "30-point glyphs";
}

TEST_F(TextPrinterTest, EmptyTextAreaOrPaperWritesNothing)
{
    struct Case {
        const char* name;
        QSizeF paper;
        bool landscape;
        double horizontal, vertical;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {"margins as wide as the paper", QSizeF(595.3, 841.9), false, 297.65, 10},
        {"margins as high as the turned paper", QSizeF(595.3, 841.9), true, 10, 297.65},
        {"margins beyond the paper", QSizeF(200, 200), false, 150, 10},
        {"no paper", QSizeF(0, 0), false, 0, 0},
        {"negative paper with negative margins", QSizeF(-100, -100), false, -100, -100},
        {"not a number", QSizeF(nan, 841.9), false, 10, 10},
        {"paper larger than a PDF page can be", QSizeF(1e9, 1e9), false, 10, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PrintSettings settings;
        settings.paperSize = c.paper;
        settings.landscape = c.landscape;
        settings.leftMargin = settings.rightMargin = c.horizontal;
        settings.topMargin = settings.bottomMargin = c.vertical;
        auto document = plainDocument(QStringLiteral("text"));
        EXPECT_FALSE(platform::text::printToPDF(*document, settings, pdfPath()));
        EXPECT_FALSE(QFile::exists(pdfPath()));
    }
}

TEST_F(TextPrinterTest, DocumentTooTallToLayOutFails)
{
    // Tens of thousands of pages of huge lines: refused, not printed with
    // positions that have wrapped around.
    auto document = plainDocument(QStringLiteral("x\n").repeated(160000));
    document->setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 100));
    EXPECT_FALSE(platform::text::printToPDF(*document, a4(), pdfPath()));
    EXPECT_FALSE(QFile::exists(pdfPath()));
}

TEST_F(TextPrinterTest, UnwritablePathFails)
{
    auto document = plainDocument(QStringLiteral("text"));
    EXPECT_FALSE(platform::text::printToPDF(*document, a4(), dir.filePath(QStringLiteral("no/such/folder/out.pdf"))));
}

TEST_F(TextPrinterTest, PageBreaksStartNewPages)
{
    const QString htmlPath = dir.filePath(QStringLiteral("breaks.html"));
    testsupport::writeFile(htmlPath, "<p>first</p><p style='page-break-before: always'>second</p>"
                                     "<p style='page-break-after: always'>third</p><p>fourth</p>");
    const QString rtfPath = dir.filePath(QStringLiteral("breaks.rtf"));
    testsupport::writeFile(rtfPath, "{\\rtf1\\ansi first\\page second\\par third\\page fourth\\par}");
    for (const QString& path : {htmlPath, rtfPath}) {
        SCOPED_TRACE(path.toStdString());
        const std::unique_ptr<QTextDocument> document = platform::text::readDocumentFromPath(path);
        ASSERT_TRUE(document);
        ASSERT_TRUE(platform::text::printToPDF(*document, a4(), pdfPath()));
        const auto facts = testsupport::inspectPdf(pdfPath());
        ASSERT_TRUE(facts);
        ASSERT_EQ(facts->pageCount, 3);
        const auto text = [&](int page) { return facts->pageTexts.at(page).simplified().toStdString(); };
        EXPECT_EQ(text(0), "first");
        EXPECT_EQ(text(1), "second third");
        EXPECT_EQ(text(2), "fourth");
    }
}

TEST_F(TextPrinterTest, WideContentIsScaledDownToTheTextWidth)
{
    struct Case {
        const char* name;
        QString html;
    };
    const Case cases[] = {
        {"wide image", QStringLiteral("<p>before</p><img src='wide.png'><p>after</p>")},
        {"wide table", QStringLiteral("<table width='2400' cellspacing='0' bgcolor='#ff0000'>"
                                      "<tr><td height='100'>cell</td></tr></table>")},
    };
    QImage wide(2400, 100, QImage::Format_RGB32);
    wide.fill(Qt::red);
    const PrintSettings settings = a4();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        document.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("wide.png")), wide);
        document.setHtml(c.html);
        ASSERT_TRUE(platform::text::printToPDF(document, settings, pdfPath()));
        const auto facts = testsupport::inspectPdf(pdfPath());
        ASSERT_TRUE(facts);
        EXPECT_EQ(facts->pageCount, 1);
        const QRect red = pixelsWhere(testsupport::renderPdfPage(pdfPath(), 0, 72), isRed);
        ASSERT_FALSE(red.isNull());
        EXPECT_NEAR(red.left(), settings.leftMargin, 1.5);
        EXPECT_NEAR(red.right() + 1, 595.3 - settings.rightMargin, 1.5);
        EXPECT_GE(facts->pageTexts.at(0).size(), 4) << "text stays text when scaled";
    }
}

TEST_F(TextPrinterTest, TablesKeepTheirColumnWidthsOrShareTheTextWidth)
{
    // Column widths of word-processing tables are fixed lengths; one table
    // wider than the text shares out the text width instead of shrinking
    // the whole page.
    QTextDocument document;
    QTextCursor cursor(&document);
    const double unit = platform::text::layoutUnitsPerPoint();
    const auto addTable = [&](QList<double> points, const QColor& colour) {
        QTextTableFormat format;
        format.setBorder(0);
        format.setCellSpacing(0);
        format.setCellPadding(0);
        QList<QTextLength> widths;
        for (double p : points)
            widths.append(QTextLength(QTextLength::FixedLength, p * unit));
        format.setColumnWidthConstraints(widths);
        QTextTable* table = cursor.insertTable(1, int(points.size()), format);
        for (int c = 0; c < table->columns(); ++c) {
            QTextTableCellFormat cell;
            cell.setBackground(colour);
            table->cellAt(0, c).setFormat(cell);
            table->cellAt(0, c).firstCursorPosition().insertText(QStringLiteral("cell"));
        }
        cursor.setPosition(table->lastPosition() + 1);
        cursor.insertBlock();
    };
    addTable({60, 40}, Qt::red);
    addTable({400, 400}, Qt::blue);
    const PrintSettings settings = a4();
    ASSERT_TRUE(platform::text::printToPDF(document, settings, pdfPath()));
    const QImage page = testsupport::renderPdfPage(pdfPath(), 0, 72);
    const QRect red = pixelsWhere(page, isRed);
    const QRect blue = pixelsWhere(page, [](const QColor& c) { return c.blue() > 200 && c.red() < 80; });
    ASSERT_FALSE(red.isNull());
    ASSERT_FALSE(blue.isNull());
    EXPECT_NEAR(red.left(), 72, 1.5);
    EXPECT_NEAR(red.right() + 1, 172, 1.5);
    EXPECT_NEAR(blue.left(), 72, 1.5);
    EXPECT_NEAR(blue.right() + 1, 595.3 - 72, 1.5);
}

TEST_F(TextPrinterTest, PrintedCharactersAreWhatEachPageReadsBack)
{
    // The counts stand in for reading a page's text back: on no page may
    // they be more than the page's text holds.
    const auto nonSpace = [](const QString& text) {
        return int(std::count_if(text.begin(), text.end(), [](QChar c) { return !c.isSpace(); }));
    };
    const QString longLines = QString(QStringLiteral("line of text\n")).repeated(120);
    const struct {
        const char* name;
        QString html;
        QList<int> exact; // the counts when they are known exactly
    } cases[] = {
        {"page breaks", QStringLiteral("<p>first page</p><p style='page-break-before: always'>ab</p>"
                                       "<p style='page-break-before: always'>&nbsp;</p>"),
         {9, 2, 0}},
        {"table and list", QStringLiteral("<ul><li>one</li><li>two</li></ul><table border=1><tr>"
                                          "<td>cell a</td><td>cell b</td></tr></table>"),
         {16}},
        {"lines over pages", QStringLiteral("<pre>%1</pre>").arg(longLines), {}},
        {"white text", QStringLiteral("<p style='color:white'>invisible words</p>"), {14}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        document.setHtml(c.html);
        QList<int> counts;
        ASSERT_TRUE(platform::text::printToPDF(document, a4(), pdfPath(), &counts));
        const auto facts = testsupport::inspectPdf(pdfPath());
        ASSERT_TRUE(facts);
        ASSERT_EQ(counts.size(), facts->pageCount);
        if (!c.exact.isEmpty()) {
            EXPECT_EQ(counts, c.exact);
        }
        int total = 0;
        for (int page = 0; page < facts->pageCount; ++page) {
            EXPECT_LE(counts[page], nonSpace(facts->pageTexts[page])) << "page " << page;
            total += counts[page];
        }
        EXPECT_EQ(total, nonSpace(document.toPlainText()));
    }

    // Content cut at the right edge is in no page's text: no counts.
    QTextDocument cut;
    cut.setHtml(QStringLiteral("<table width='60000'><tr><td>left</td><td align=right>right</td></tr></table>"));
    QList<int> counts{1};
    ASSERT_TRUE(platform::text::printToPDF(cut, a4(), pdfPath(), &counts));
    EXPECT_TRUE(counts.isEmpty());
}

TEST(AddAttributesTest, SetsOnlyWhatItNamesOverTheRange)
{
    QFont big(QStringLiteral("DejaVu Serif"), 20);
    big.setWeight(QFont::Bold);
    QVariantMap fontOnly{{platform::keys::NSFontAttributeName, big}};
    QVariantMap colourOnly{{platform::keys::NSForegroundColorAttributeName, QColor(Qt::blue)}};
    QVariantMap unrelated{{QStringLiteral("NSUnderlineStyleAttributeName"), 1},
                          {platform::keys::NSForegroundColorAttributeName, QStringLiteral("red")}};

    struct Case {
        const char* name;
        QVariantMap attributes;
        int from, length;
        int firstChanged, endChanged; // expected range that changed
    };
    const Case cases[] = {
        {"font inside", fontOnly, 2, 3, 2, 5},
        {"colour to the end", colourOnly, 4, 100, 4, 10},
        {"negative start is clamped", colourOnly, -5, 7, 0, 2},
        {"zero length", fontOnly, 3, 0, 0, 0},
        {"start past the end", fontOnly, 50, 5, 0, 0},
        {"values of the wrong kind are ignored", unrelated, 0, 10, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        document.setPlainText(QStringLiteral("0123456789"));
        // Underlined, italic, green text: the attributes must leave what
        // they do not name.
        QTextCharFormat original;
        original.setFontUnderline(true);
        original.setFontItalic(true);
        original.setForeground(QColor(Qt::green));
        QTextCursor all(&document);
        all.select(QTextCursor::Document);
        all.setCharFormat(original);

        platform::text::addAttributes(document, c.attributes, c.from, c.length);
        for (int position = 0; position < 10; ++position) {
            SCOPED_TRACE(position);
            QTextCursor cursor(&document);
            cursor.setPosition(position + 1);
            const QTextCharFormat format = cursor.charFormat();
            const bool changed = position >= c.firstChanged && position < c.endChanged;
            EXPECT_TRUE(format.fontUnderline());
            if (changed && c.attributes.contains(platform::keys::NSFontAttributeName)) {
                EXPECT_EQ(format.font().family(), QLatin1String("DejaVu Serif"));
                EXPECT_EQ(format.fontPointSize(), 20);
                EXPECT_EQ(format.fontWeight(), QFont::Bold);
                EXPECT_FALSE(format.fontItalic()) << "the font's own style replaces the old one";
            } else {
                EXPECT_TRUE(format.fontItalic());
            }
            const QColor expected = changed && c.attributes.value(platform::keys::NSForegroundColorAttributeName).metaType()
                                                   == QMetaType::fromType<QColor>()
                ? QColor(Qt::blue)
                : QColor(Qt::green);
            EXPECT_EQ(format.foreground().color(), expected);
        }
    }
}

TEST(CharacterCountTest, CountsTheTextWithoutTheClosingSeparator)
{
    const struct {
        QString text;
        int count;
    } cases[] = {{QString(), 0}, {QStringLiteral("a"), 1}, {QStringLiteral("ab\ncd"), 5}};
    for (const auto& c : cases) {
        QTextDocument document;
        document.setPlainText(c.text);
        EXPECT_EQ(platform::text::characterCount(document), c.count) << c.text.toStdString();
    }
}

TEST(AppendDocumentTest, CarriesTextDefaultsAndImages)
{
    QTextDocument source;
    source.setDefaultFont(QFont(QStringLiteral("DejaVu Serif"), 17));
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(Qt::red);
    source.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("pic.png")), image);
    source.setHtml(QStringLiteral("<p>plain</p><p><b>bold</b><img src='pic.png'></p>"));

    QTextDocument empty;
    platform::text::appendDocument(empty, source);
    EXPECT_EQ(empty.toPlainText(), source.toPlainText());
    EXPECT_EQ(empty.defaultFont().pointSize(), 17);
    const QImage carried = empty.resource(QTextDocument::ImageResource, QUrl(QStringLiteral("pic.png"))).value<QImage>();
    EXPECT_EQ(carried.size(), QSize(30, 20));

    QTextDocument filled;
    filled.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    filled.setPlainText(QStringLiteral("already here"));
    platform::text::appendDocument(filled, source);
    EXPECT_TRUE(filled.toPlainText().startsWith(QLatin1String("already here")));
    EXPECT_TRUE(filled.toPlainText().endsWith(source.toPlainText()));
    QTextCursor first(&filled);
    first.setPosition(3);
    EXPECT_EQ(first.charFormat().font().pointSize(), 9) << "old text keeps its look";
    QTextCursor appended(filled.find(QStringLiteral("bold")));
    EXPECT_EQ(appended.charFormat().font().pointSize(), 17) << "appended text keeps its look";
    EXPECT_EQ(appended.charFormat().fontWeight(), QFont::Bold);
}

// The first paragraph keeps its own format in a document that was empty,
// even when it holds no text: its alignment, spacing and what readers note
// on it (boxes placed on its page, say) gave way to the empty document's.
TEST(AppendDocumentTest, TheFirstParagraphKeepsItsFormat)
{
    constexpr int kNote = QTextFormat::UserProperty + 0x7A;
    for (const QString& text : {QStringLiteral("first"), QString()}) {
        SCOPED_TRACE(text.toStdString());
        QTextDocument source;
        QTextCursor cursor(&source);
        QTextBlockFormat first;
        first.setAlignment(Qt::AlignRight);
        first.setTopMargin(12);
        first.setProperty(kNote, QVariant::fromValue(QList<int>{0, 1}));
        cursor.setBlockFormat(first);
        cursor.insertText(text);
        cursor.insertBlock(QTextBlockFormat());
        cursor.insertText(QStringLiteral("second"));

        QTextDocument empty;
        platform::text::appendDocument(empty, source);
        const QTextBlockFormat carried = empty.begin().blockFormat();
        EXPECT_EQ(carried.alignment(), Qt::AlignRight);
        EXPECT_EQ(carried.topMargin(), 12);
        EXPECT_EQ(carried.property(kNote).value<QList<int>>(), (QList<int>{0, 1}));
        EXPECT_EQ(empty.begin().next().blockFormat().alignment(), QTextBlockFormat().alignment());
    }
}

} // namespace
