#include "platform/DictionaryKeys.h"
#include "platform/pdf/PdfDocument.h"
#include "platform/text/PlainTextPrinter.h"
#include "platform/text/PlainTextReader.h"
#include "platform/text/TextPrinter.h"
#include "tests/support/TemporaryFolderTest.h"

#include <QColor>
#include <QFont>
#include <QRegularExpression>
#include <QTextDocument>
#include <gtest/gtest.h>

#include <poppler-qt6.h>

#include <memory>
#include <random>

using platform::text::PrintSettings;

namespace {

PrintSettings paper(double width, double height, double left, double right, double top, double bottom,
                    bool landscape = false)
{
    PrintSettings settings;
    settings.paperSize = QSizeF(width, height);
    settings.landscape = landscape;
    settings.leftMargin = left;
    settings.rightMargin = right;
    settings.topMargin = top;
    settings.bottomMargin = bottom;
    return settings;
}

// Some three hundred and fifty A4 pages of longText.
constexpr int kParagraphs = 2700;

// Paragraphs of words of every length, some long enough to wrap over many
// lines, some single words longer than a line, tabs, runs of spaces, empty
// paragraphs and the three kinds of line end; the same text on every run.
QString longText(int paragraphs)
{
    std::mt19937 random(20240611);
    const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                           "0123456789\u00e9\u00e8\u00fc\u00df\u00e7\u00f1\u00c5\u00d8");
    const QString marks = QStringLiteral(",.;:!?-()\"'/&%$\u20ac\u00a3\u00bb\u00ab");
    const QString lineEnds[] = {QStringLiteral("\n"), QStringLiteral("\r\n"), QStringLiteral("\r")};
    const auto pick = [&](int below) { return int(random() % unsigned(below)); };
    QString text;
    for (int p = 0; p < paragraphs; ++p) {
        const int words = pick(10) == 0 ? 0 : pick(8) == 0 ? 60 + pick(200) : 1 + pick(14);
        for (int w = 0; w < words; ++w) {
            const int length = pick(40) == 0 ? 90 + pick(200) : 1 + pick(12);
            for (int c = 0; c < length; ++c)
                text += letters.at(pick(int(letters.size())));
            if (pick(5) == 0)
                text += marks.at(pick(int(marks.size())));
            const int gap = pick(12);
            text += gap == 0 ? QStringLiteral("\t") : gap == 1 ? QStringLiteral("  ") : gap == 2 ? QStringLiteral("\u00a0") : QStringLiteral(" ");
        }
        text += lineEnds[pick(7) == 0 ? 1 + pick(2) : 0];
    }
    return text;
}

QVariantMap look(const QString& family, double size, bool bold, bool italic, const QColor& color)
{
    QFont font(family);
    font.setPointSizeF(size);
    font.setBold(bold);
    font.setItalic(italic);
    return {{platform::keys::NSFontAttributeName, font}, {platform::keys::NSForegroundColorAttributeName, color}};
}

struct Fonts {
    QStringList names;
    bool allEmbedded = true;
};

Fonts fontsOf(Poppler::Document& document)
{
    Fonts fonts;
    for (const Poppler::FontInfo& font : document.fonts()) {
        fonts.names << font.name();
        fonts.allEmbedded = fonts.allEmbedded && font.isEmbedded();
    }
    fonts.names.sort();
    return fonts;
}

// Where each word of a page lies.
QList<QRectF> wordBoxes(Poppler::Page& page)
{
    QList<QRectF> boxes;
    for (const auto& box : page.textList())
        boxes << box->boundingBox();
    return boxes;
}

std::string collapsedSpaces(QString text)
{
    static const QRegularExpression spaces(QStringLiteral(" {2,}"));
    return text.replace(spaces, QStringLiteral(" ")).toStdString();
}

class PlainTextPrinterTest : public testsupport::TemporaryFolderTest {
protected:
    // The text printed through a rich text document, as any text is.
    std::shared_ptr<platform::pdf::PdfDocument> printAsDocument(const QString& text, const QVariantMap& attributes,
                                                                const PrintSettings& settings, QList<int>* printed)
    {
        QTextDocument document;
        platform::text::setPlainTextDocument(document, text);
        platform::text::addAttributes(document, attributes, 0, platform::text::characterCount(document));
        return platform::text::printToPdfDocument(document, settings, printed);
    }

    std::unique_ptr<Poppler::Document> written(const platform::pdf::PdfDocument& document, const QString& name)
    {
        if (!document.write(url(name)))
            return nullptr;
        return Poppler::Document::load(path(name));
    }
};

TEST_F(PlainTextPrinterTest, SimpleTextPrintsAsARichTextDocumentOfItPrints)
{
    const QString text = longText(kParagraphs);
    const struct {
        const char* name;
        QString text;
        QVariantMap attributes;
        PrintSettings settings;
    } cases[] = {
        {"hundreds of A4 pages in the plain-text font", text, {}, paper(595.3, 841.9, 72, 72, 72, 72)},
        {"serif bold italic in colour, landscape, uneven margins", text.left(120000),
         look(QStringLiteral("DejaVu Serif"), 10.5, true, true, QColor(200, 30, 40)),
         paper(612.45, 791.6, 36.5, 18.25, 50.75, 12.125, true)},
        {"fixed pitch on a narrow page", text.left(60000), look(QStringLiteral("DejaVu Sans Mono"), 9, false, false, Qt::black),
         paper(300, 420, 20, 20, 30, 30)},
        {"one short line", QStringLiteral("Just one line."), {}, paper(595.3, 841.9, 72, 72, 72, 72)},
        {"only spaces", QStringLiteral("   \n \u00a0 \n"), {}, paper(595.3, 841.9, 72, 72, 72, 72)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QList<int> straightCounts, documentCounts;
        const auto straight = platform::text::printSimplePlainText(c.text, c.attributes, c.settings, &straightCounts);
        ASSERT_TRUE(straight.has_value()) << "the text is simple";
        ASSERT_TRUE(*straight);
        const auto document = printAsDocument(c.text, c.attributes, c.settings, &documentCounts);
        ASSERT_TRUE(document);
        EXPECT_EQ(straightCounts, documentCounts);

        const auto ours = written(**straight, QStringLiteral("straight.pdf"));
        const auto theirs = written(*document, QStringLiteral("document.pdf"));
        ASSERT_TRUE(ours && theirs);
        ASSERT_EQ(ours->numPages(), theirs->numPages());
        const Fonts ourFonts = fontsOf(*ours), theirFonts = fontsOf(*theirs);
        EXPECT_EQ(ourFonts.names, theirFonts.names);
        EXPECT_TRUE(ourFonts.allEmbedded);
        for (int index = 0; index < ours->numPages(); ++index) {
            SCOPED_TRACE(index);
            const std::unique_ptr<Poppler::Page> page = ours->page(index), other = theirs->page(index);
            ASSERT_TRUE(page && other);
            EXPECT_EQ(page->pageSizeF(), other->pageSizeF());
            // The lines read the same, spaces standing for gaps counted
            // alike: how many a gap is worth turns on millionths of a point.
            ASSERT_EQ(collapsedSpaces(page->text(QRectF())), collapsedSpaces(other->text(QRectF())));
            // And every word stands where the document road puts it.
            const auto words = page->textList(), otherWords = other->textList();
            ASSERT_EQ(words.size(), otherWords.size());
            for (size_t w = 0; w < words.size(); ++w) {
                ASSERT_EQ(words[w]->text().toStdString(), otherWords[w]->text().toStdString());
                const QRectF box = words[w]->boundingBox(), otherBox = otherWords[w]->boundingBox();
                ASSERT_NEAR(box.left(), otherBox.left(), 0.01);
                ASSERT_NEAR(box.top(), otherBox.top(), 0.01);
                ASSERT_NEAR(box.right(), otherBox.right(), 0.01);
            }
        }
        if (c.text.size() == text.size()) {
            EXPECT_GT(ours->numPages(), 300);
        }
    }
}

TEST_F(PlainTextPrinterTest, EveryLineOfALongDocumentLiesWithinAPage)
{
    // Laid out step by step, a long document now and then had a line lie
    // across the foot of a page, cut off on both.
    const PrintSettings a4 = paper(595.3, 841.9, 72, 72, 72, 72);
    const auto document = printAsDocument(longText(kParagraphs), {}, a4, nullptr);
    ASSERT_TRUE(document);
    const auto pdf = written(*document, QStringLiteral("long.pdf"));
    ASSERT_TRUE(pdf);
    ASSERT_GT(pdf->numPages(), 300);
    for (int index = 0; index < pdf->numPages(); ++index) {
        const std::unique_ptr<Poppler::Page> page = pdf->page(index);
        ASSERT_TRUE(page);
        for (const QRectF& box : wordBoxes(*page)) {
            ASSERT_GE(box.top(), a4.topMargin - 0.5) << "page " << index;
            ASSERT_LE(box.bottom(), 841.9 - a4.bottomMargin + 0.5) << "page " << index;
        }
    }
}

TEST_F(PlainTextPrinterTest, OtherTextIsLeftToTheDocumentRoad)
{
    const PrintSettings a4 = paper(595.3, 841.9, 72, 72, 72, 72);
    const struct {
        const char* name;
        QString text;
        PrintSettings settings;
    } cases[] = {
        {"right to left", QStringLiteral("Hello \u05e9\u05dc\u05d5\u05dd world"), a4},
        {"combining marks", QStringLiteral("cafe\u0301 au lait"), a4},
        {"characters the font lacks", QStringLiteral("Chinese \u4e2d\u6587 text"), a4},
        {"characters outside the basic plane", QStringLiteral("smile \U0001F600"), a4},
        {"controls other than tabs", QStringLiteral("page one\fpage two"), a4},
        {"a soft hyphen", QStringLiteral("hy\u00adphen"), a4},
        {"a line separator", QStringLiteral("one\u2028two"), a4},
        {"nothing to draw: no text", QString(), a4},
        {"nothing to draw: line ends and tabs", QStringLiteral("\n\t\r\n\r\t\t"), a4},
        {"a character wider than the text", QStringLiteral("WWW"), paper(100, 400, 47, 47, 10, 10)},
        {"a line taller than the page", QStringLiteral("text"), paper(200, 30, 10, 10, 10, 10)},
        {"no room for text", QStringLiteral("text"), paper(200, 200, 100, 100, 10, 10)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(platform::text::printSimplePlainText(c.text, {}, c.settings).has_value());
    }
}

TEST_F(PlainTextPrinterTest, FilesOfOtherTextStillPrintTheirCharacters)
{
    // The file road takes over where the straight one stops short.
    const PrintSettings a4 = paper(595.3, 841.9, 72, 72, 72, 72);
    const QString texts[] = {
        QStringLiteral("Simple words on a line."),
        QStringLiteral("Greek \u03b1\u03b2\u03b3 and cafe\u0301."),
    };
    for (const QString& text : texts) {
        SCOPED_TRACE(text.toStdString());
        const QString file = write(QStringLiteral("note.txt"), text.toUtf8());
        QList<int> printed;
        const auto document = platform::text::printPlainTextFile(file, {}, a4, &printed);
        ASSERT_TRUE(document.has_value());
        ASSERT_TRUE(*document);
        const auto pdf = written(**document, QStringLiteral("note.pdf"));
        ASSERT_TRUE(pdf);
        ASSERT_EQ(pdf->numPages(), 1);
        EXPECT_EQ(pdf->page(0)->text(QRectF()).trimmed().normalized(QString::NormalizationForm_C).toStdString(),
                  text.normalized(QString::NormalizationForm_C).toStdString());
        EXPECT_EQ(printed.size(), 1);
    }
    EXPECT_FALSE(platform::text::printPlainTextFile(write(QStringLiteral("styled.rtf"), "{\\rtf1 styled}"), {}, a4)
                     .has_value())
        << "RTF has a reader of its own";
}

} // namespace
