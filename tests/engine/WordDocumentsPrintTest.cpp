#include "engine/TextDocumentPDFConverter.h"
#include "platform/DictionaryKeys.h"
#include "tests/support/PdfInspection.h"
#include "tests/support/TestSupport.h"
#include "tests/support/Word6Builder.h"
#include "tests/support/WordDocumentFixtures.h"

#include <QColor>
#include <QFile>
#include <QFont>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace platform;

namespace {

struct Format {
    const char* name;
    const char* extension;
    std::function<QByteArray()> sample;
};

const Format kFormats[] = {
    {"docx", "docx", testsupport::sampleDocx}, {"odt", "odt", testsupport::sampleOdt},
    {"fodt", "fodt", testsupport::sampleFlatOdt}, {"wordml", "wordml", testsupport::sampleWordML},
    {"doc", "doc", testsupport::sampleDoc},
};

const QColor kJobColour(0, 160, 0);

TextDocumentPDFConverter makeConverter(unsigned char overrideRich)
{
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPointSizeF(13);
    TextDocumentPDFConverter converter;
    converter.SetOptionsFromAllToPDFOptions(
        595.3, 841.9, 54, 54, 54, 54, 0, {},
        {{keys::NSFontAttributeName, font}, {keys::NSForegroundColorAttributeName, kJobColour}}, overrideRich);
    return converter;
}

int countPixels(const QImage& image, const std::function<bool(QColor)>& match)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += match(image.pixelColor(x, y)) ? 1 : 0;
    return count;
}

bool isBlue(QColor c)
{
    return c.blue() > 200 && c.red() < 60 && c.green() < 60;
}

bool isJobColour(QColor c)
{
    return c.green() > 120 && c.red() < 60 && c.blue() < 60;
}

class WordDocumentsPrintTest : public ::testing::TestWithParam<Format> {
protected:
    QString write(const QByteArray& bytes, const QString& stem = QStringLiteral("sample"))
    {
        const QString path = dir.filePath(stem + QLatin1Char('.') + GetParam().extension);
        testsupport::writeFile(path, bytes);
        return path;
    }
    QTemporaryDir dir;
};

} // namespace

TEST_P(WordDocumentsPrintTest, PrintsTextInOrderWithThePicture)
{
    const QString pdf = dir.filePath("out.pdf");
    TextDocumentPDFConverter converter = makeConverter(0);
    ASSERT_TRUE(converter.ConvertTextFileToPDF(QUrl::fromLocalFile(write(GetParam().sample())), QUrl::fromLocalFile(pdf)));
    const auto facts = testsupport::inspectPdf(pdf);
    ASSERT_TRUE(facts.has_value());
    QString text = facts->pageTexts.join(QLatin1Char(' '));
    text.replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" "));
    testsupport::expectInOrder(text, testsupport::sampleWords());
    EXPECT_FALSE(text.contains("hidden words"));

    int blue = 0;
    for (int page = 0; page < facts->pageCount; ++page)
        blue += countPixels(testsupport::renderPdfPage(pdf, page, 72), isBlue);
    // The 40-point picture, whole, at 72 dpi.
    EXPECT_GT(blue, 30 * 30);
    for (const QString& font : facts->fontNames)
        EXPECT_FALSE(font.contains("Mono")) << qPrintable(font);
}

TEST_P(WordDocumentsPrintTest, OverrideLaysTheJobsFontAndColourOver)
{
    const QString pdf = dir.filePath("override.pdf");
    TextDocumentPDFConverter converter = makeConverter(1);
    ASSERT_TRUE(converter.ConvertTextFileToPDF(QUrl::fromLocalFile(write(GetParam().sample())), QUrl::fromLocalFile(pdf)));
    const auto facts = testsupport::inspectPdf(pdf);
    ASSERT_TRUE(facts.has_value());
    EXPECT_TRUE(facts->pageTexts.join(' ').contains("bold words"));
    bool mono = false;
    for (const QString& font : facts->fontNames)
        mono = mono || font.contains("DejaVuSansMono");
    EXPECT_TRUE(mono) << qPrintable(facts->fontNames.join(','));
    EXPECT_GT(countPixels(testsupport::renderPdfPage(pdf, 0, 72), isJobColour), 50);
}

TEST_P(WordDocumentsPrintTest, DamagedFilesWriteNothing)
{
    const QByteArray sample = GetParam().sample();
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"truncated", sample.left(sample.size() / 2)},
        {"empty", QByteArray()},
        {"garbage", QByteArray(3000, '\x5a')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString pdf = dir.filePath(QStringLiteral("damaged-%1.pdf").arg(c.name));
        TextDocumentPDFConverter converter = makeConverter(0);
        EXPECT_FALSE(converter.ConvertTextFileToPDF(QUrl::fromLocalFile(write(c.bytes, c.name)), QUrl::fromLocalFile(pdf)));
        EXPECT_FALSE(QFile::exists(pdf));
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, WordDocumentsPrintTest, ::testing::ValuesIn(kFormats),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WordDocumentsPrintBombTest, AZipEntryInflatingPastTheLimitWritesNothing)
{
    auto entries = testsupport::sampleDocxEntries();
    for (auto& entry : entries)
        if (entry.first == "word/document.xml")
            entry.second.insert(entry.second.indexOf("<w:body>"), QByteArray(80 * 1024 * 1024, ' '));
    QTemporaryDir dir;
    const QString source = dir.filePath("bomb.docx");
    testsupport::writeFile(source, testsupport::zipBytes(entries));
    const QString pdf = dir.filePath("bomb.pdf");
    TextDocumentPDFConverter converter = makeConverter(0);
    EXPECT_FALSE(converter.ConvertTextFileToPDF(QUrl::fromLocalFile(source), QUrl::fromLocalFile(pdf)));
    EXPECT_FALSE(QFile::exists(pdf));
}

namespace {

// The PDF a file of the name prints to in dir; empty when it did not print.
QString printedPdf(const QTemporaryDir& dir, const QString& fileName, const QByteArray& bytes)
{
    const QString source = dir.filePath(fileName);
    testsupport::writeFile(source, bytes);
    const QString pdf = dir.filePath(fileName + QStringLiteral(".pdf"));
    TextDocumentPDFConverter converter = makeConverter(0);
    if (!converter.ConvertTextFileToPDF(QUrl::fromLocalFile(source), QUrl::fromLocalFile(pdf)))
        return {};
    return pdf;
}

// The text of each page of a file of the name printed to PDF, white space
// folded; empty when it did not print.
QStringList printedPages(const QString& fileName, const QByteArray& bytes)
{
    QTemporaryDir dir;
    const QString pdf = printedPdf(dir, fileName, bytes);
    if (pdf.isEmpty())
        return {};
    return testsupport::foldedPageTexts(pdf);
}

} // namespace

TEST(WordDocumentsPageBreakTest, BreaksStartNewPages)
{
    // A break inside a paragraph, and a paragraph that starts on a page of its own.
    const QByteArray wordBody = R"(<w:p><w:r><w:t>first page</w:t></w:r><w:r><w:br w:type="page"/></w:r><w:r><w:t>second page</w:t></w:r></w:p>
<w:p><w:pPr><w:pageBreakBefore/></w:pPr><w:r><w:t>third page</w:t></w:r></w:p>)";
    const QByteArray odtStyle = R"(<style:style style:name="Break" style:family="paragraph"><style:paragraph-properties fo:break-before="page"/></style:style>)";
    const QByteArray odtBody = R"(<text:p>first page</text:p><text:p text:style-name="Break">second page</text:p>)";
    testsupport::Word6Builder word6;
    word6.paragraph({{"first page\fsecond page\r", {}}});
    word6.paragraph({{"third page\r", {}}}, testsupport::word6Sprm8(9, 1)); // a page break before
    const struct {
        const char* extension;
        QByteArray bytes;
        QStringList pages;
    } cases[] = {
        {"docx", testsupport::zipBytes(testsupport::docxEntriesWithBody(wordBody)), {"first page", "second page", "third page"}},
        {"wordml", testsupport::wordMLWithBody(wordBody), {"first page", "second page", "third page"}},
        {"odt", testsupport::zipBytes(testsupport::odtEntriesWithBody(odtBody, odtStyle)), {"first page", "second page"}},
        {"fodt", testsupport::flatOdtWithBody(odtBody, odtStyle), {"first page", "second page"}},
        {"doc", word6.build(), {"first page", "second page", "third page"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(printedPages(QStringLiteral("document.") + c.extension, c.bytes), c.pages) << c.extension;
}

// Word 6 files print their 8-bit text in the document's code page, in its
// fonts and colours.
TEST(WordDocumentsPrintWord6Test, PrintsTheTextInItsFormats)
{
    QTemporaryDir dir;
    const QString pdf = printedPdf(dir, "word6.doc", testsupport::sampleWord6());
    ASSERT_FALSE(pdf.isEmpty());
    const auto facts = testsupport::inspectPdf(pdf);
    ASSERT_TRUE(facts.has_value());
    ASSERT_EQ(facts->pageCount, 1);
    testsupport::expectInOrder(facts->pageTexts[0].simplified(),
                               {"Report Title", "plain bold words and italic words and red words",
                                QStringLiteral("caf\u00e9 costs 3 \u20ac"), "The end"});
    const bool bold = std::any_of(facts->fontNames.cbegin(), facts->fontNames.cend(),
                                  [](const QString& font) { return font.contains("Bold"); });
    EXPECT_TRUE(bold) << qPrintable(facts->fontNames.join(','));
    const QImage page = testsupport::renderPdfPage(pdf, 0, 72);
    EXPECT_GT(countPixels(page, [](QColor c) { return c.red() > 200 && c.green() < 60 && c.blue() < 60; }), 20);

    // Cut inside its text, the file prints nothing.
    testsupport::Word6Builder shortOne;
    shortOne.paragraph({{"Words past the cut\r", {}}});
    const QByteArray cut = testsupport::compoundFile({{"WordDocument", shortOne.wordDocument().left(0x300)}}, {9, true});
    EXPECT_TRUE(printedPdf(dir, "cut.doc", cut).isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath("cut.doc.pdf")));
}

TEST(WordDocumentsPrintXmlTest, Word2003XmlNamedXmlPrints)
{
    QTemporaryDir dir;
    const QString source = dir.filePath("saved by the word processor.xml");
    testsupport::writeFile(source, testsupport::sampleWordML());
    const QString pdf = dir.filePath("out.pdf");
    TextDocumentPDFConverter converter = makeConverter(0);
    ASSERT_TRUE(converter.ConvertTextFileToPDF(QUrl::fromLocalFile(source), QUrl::fromLocalFile(pdf)));
    const auto facts = testsupport::inspectPdf(pdf);
    ASSERT_TRUE(facts.has_value());
    EXPECT_TRUE(facts->pageTexts.join(' ').contains("cell B2"));
}

namespace {

// The text of a file of the name printed to PDF, white space folded; empty
// when it did not print.
QString printedText(const QByteArray& bytes, const QString& fileName = QStringLiteral("document.fodt"))
{
    return printedPages(fileName, bytes).join(' ').simplified();
}

} // namespace

TEST(WordDocumentsPrintListTest, ListNumbersPrintAsTheDocumentCountsThem)
{
    const QByteArray styles = R"(<text:list-style style:name="N"><text:list-level-style-number text:level="1" style:num-format="1" style:num-suffix="."/></text:list-style>)";
    const QByteArray body = R"(<text:list xml:id="a" text:style-name="N"><text:list-item><text:p>one</text:p></text:list-item></text:list>
<text:p>between</text:p>
<text:list text:style-name="N" text:continue-list="a"><text:list-item><text:p>two</text:p></text:list-item>
<text:list-item text:start-value="7"><text:p>seven</text:p></text:list-item><text:list-item><text:p>eight</text:p></text:list-item></text:list>)";
    EXPECT_EQ(printedText(testsupport::flatOdtWithBody(body, styles)),
              "1. one between 2. two 7. seven 8. eight");
}

TEST(WordDocumentsPrintListTest, LongListsKeepCounting)
{
    // Long lists are built in parts; the numbering must not notice.
    const QByteArray styles = R"(<text:list-style style:name="N"><text:list-level-style-number text:level="1" style:num-format="1" style:num-suffix="."/></text:list-style>)";
    QByteArray body = R"(<text:list text:style-name="N">)";
    QStringList expected;
    for (int item = 1; item <= 700; ++item) {
        body += "<text:list-item><text:p>item" + QByteArray::number(item) + "</text:p></text:list-item>";
        expected << QStringLiteral("%1. item%1").arg(item);
    }
    body += "</text:list>";
    EXPECT_EQ(printedText(testsupport::flatOdtWithBody(body, styles)), expected.join(' '));
}

// Headers with their page number on every page and a footnote on the page
// of its mark, as the readers give them to the printer.
TEST(WordDocumentsFurniturePrintTest, HeaderOnEveryPageFootnoteOnItsPage)
{
    const QByteArray rtf = R"({\rtf1\ansi{\header\pard Header words {\field{\*\fldinst PAGE}{\fldrslt 1}}\par}
\pard first page{\super\chftn}{\footnote\pard{\super\chftn} Footnote words}\page second page\par})";
    const QByteArray fodt = testsupport::flatOdtWithBody(
        R"(<text:p>first page<text:note text:note-class="footnote"><text:note-citation>1</text:note-citation><text:note-body><text:p>Footnote words</text:p></text:note-body></text:note></text:p><text:p text:style-name="Break">second page</text:p>)",
        R"(<style:style style:name="Break" style:family="paragraph"><style:paragraph-properties fo:break-before="page"/></style:style>)",
        R"(<style:master-page style:name="Standard"><style:header><text:p>Header words <text:page-number>1</text:page-number></text:p></style:header></style:master-page>)");
    for (const auto& [extension, bytes] : {std::pair{"rtf", rtf}, std::pair{"fodt", fodt}}) {
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("furniture.") + extension);
        testsupport::writeFile(source, bytes);
        const QString pdf = dir.filePath("furniture.pdf");
        TextDocumentPDFConverter converter = makeConverter(0);
        ASSERT_TRUE(converter.ConvertTextFileToPDF(QUrl::fromLocalFile(source), QUrl::fromLocalFile(pdf))) << extension;
        const auto facts = testsupport::inspectPdf(pdf);
        ASSERT_TRUE(facts.has_value()) << extension;
        ASSERT_EQ(facts->pageCount, 2) << extension;
        EXPECT_TRUE(facts->pageTexts[0].contains("Header words 1")) << extension;
        EXPECT_TRUE(facts->pageTexts[1].contains("Header words 2")) << extension;
        EXPECT_TRUE(facts->pageTexts[0].contains("Footnote words")) << extension;
        EXPECT_FALSE(facts->pageTexts[1].contains("Footnote words")) << extension;
    }
}

// A file named .rtf that does not start as RTF prints as the text it is; one
// that does after white space prints as RTF.
TEST(WordDocumentsPrintRtfTest, RtfWithoutItsHeaderPrintsItsText)
{
    EXPECT_EQ(printedText("Notes kept as text,\nnot as {rich} text.\n", "no header.rtf"),
              "Notes kept as text, not as {rich} text.");
    EXPECT_EQ(printedText("\xEF\xBB\xBF\r\n {\\rtf1\\ansi Rich \\b words\\b0.\\par}", "white space first.rtf"),
              "Rich words.");
}

namespace {

// The pages of the documents of several sections, as printed.
const QStringList kSectionPages = {"Alpha 1 of 6 one", "Title 1 two", "Beta 2 three four",
                                   "Gamma 3 five",     "Gamma 4",     "Gamma 5 six"};
const QStringList kOdtSectionPages = {"Alpha 1 of 4 one", "Title 1 two", "Beta 2 three", "Alpha 3 of 4 four"};

} // namespace

// Each page prints the header of the section it starts in, numbered as that
// section numbers it; sections start on new pages, on odd ones after a
// blank page, or go on on the page; read back page by page.
TEST(WordDocumentsSectionsPrintTest, EachPagePrintsItsSectionsHeaders)
{
    const struct {
        const char* extension;
        QByteArray bytes;
        QStringList pages;
    } cases[] = {
        {"docx", testsupport::docxWithSections(), kSectionPages},
        {"rtf", testsupport::rtfWithSections(), kSectionPages},
        {"doc", testsupport::docWithSections(), kSectionPages},
        {"odt", testsupport::odtWithSections(), kOdtSectionPages},
        {"fodt", testsupport::flatOdtWithSections(), kOdtSectionPages},
    };
    for (const auto& c : cases)
        EXPECT_EQ(printedPages(QStringLiteral("document.") + c.extension, c.bytes), c.pages) << c.extension;
}
