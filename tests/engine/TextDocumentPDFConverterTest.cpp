#include "engine/TextDocumentPDFConverter.h"

#include "platform/DictionaryKeys.h"
#include "platform/pdf/PdfDocument.h"
#include "tests/support/EncodedTexts.h"
#include "tests/support/PdfInspection.h"
#include "tests/support/ProgressRecorder.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WordDocumentFixtures.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

using namespace platform;
using testsupport::inspectPdf;

namespace {

constexpr double kA4Width = 595.3;
constexpr double kA4Height = 841.9;

QVariantMap jobTextAttributes()
{
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPointSizeF(14);
    return {{keys::NSFontAttributeName, font},
            {keys::NSForegroundColorAttributeName, QColor(255, 0, 0)}};
}

TextDocumentPDFConverter makeConverter(std::uint64_t orientation = 0, double margin = 72,
                                       QVariantMap documentAttributes = {},
                                       unsigned char overrideRich = 0)
{
    TextDocumentPDFConverter converter;
    converter.SetOptionsFromAllToPDFOptions(kA4Width, kA4Height, margin, margin, margin, margin,
                                            orientation, documentAttributes, jobTextAttributes(),
                                            overrideRich);
    return converter;
}

bool hasFont(const testsupport::PdfFacts& facts, const QString& name)
{
    for (const QString& font : facts.fontNames)
        if (font.contains(name))
            return true;
    return false;
}

bool hasRedPixel(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 90 && c.blue() < 90)
                return true;
        }
    return false;
}

// A one-page PDF drawn by the test: text in the given colour.
QString writePdfWithText(const QString& path, const QString& text, const QColor& colour)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    QPainter painter(&writer);
    painter.setPen(colour);
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 12));
    painter.drawText(QPointF(500, 500), text);
    painter.end();
    return path;
}

// A one-page PDF of 200 x 300 points built with qpdf, for page keys that no
// printer writes: content is the page's content stream.
QByteArray qpdfPage(const std::string& content, const std::string& pageKeys)
{
    QPDF qpdf;
    qpdf.emptyPDF();
    QPDFObjectHandle page = qpdf.makeIndirectObject(
        QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 200 300] " + pageKeys + " >>"));
    page.replaceKey("/Contents", qpdf.newStream(content));
    QPDFPageDocumentHelper(qpdf).addPage(QPDFPageObjectHelper(page), false);
    QPDFWriter writer(qpdf);
    writer.setOutputMemory();
    writer.write();
    const auto buffer = writer.getBufferSharedPointer();
    return QByteArray(reinterpret_cast<const char*>(buffer->getBuffer()),
                      qsizetype(buffer->getSize()));
}

struct BatchOutcome {
    bool result = false;
    QList<int> statuses;
};

// Runs one of the two batch runs on a worker thread with a recorder as the
// target; selector null sends no reports.
BatchOutcome runBatch(const ScriboraConversionOptions& options, bool merged,
                      testsupport::ProgressRecorder& recorder,
                      const char* selector = "ChangeProgressStatus")
{
    BatchOutcome outcome;
    outcome.result = !merged; // the opposite of what an empty run answers
    testsupport::runOnWorker([&] {
        TextDocumentPDFConverter converter;
        converter.SetOptionsFromScriboraOptions(&options);
        converter.SetTextProgress(&recorder, selector);
        outcome.result = merged ? converter.ConvertTextFilesToSinglePDF()
                                : converter.ConvertTextFilesToSeparatePDFs();
    });
    outcome.statuses = recorder.statuses();
    return outcome;
}

class TextDocumentPDFConverterTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
    QUrl file(const QString& name, const QByteArray& bytes) const
    {
        return testsupport::writeFile(path(name), bytes);
    }
    QUrl out(const QString& name) const { return QUrl::fromLocalFile(path(name)); }

    // A job over three short documents into folder (a file of it when merged).
    ScriboraConversionOptions threeDocuments(const QString& folder, bool merged)
    {
        ScriboraConversionOptions options;
        for (const char* name : {"one", "two", "three"})
            options.sources << MakeSourceFileEntry(
                file(QStringLiteral("%1/in/%2.txt").arg(folder, name),
                     QByteArray("Words of ") + name + "."),
                FileKindText);
        QDir().mkpath(path(folder + "/out"));
        options.destination = out(folder + (merged ? "/out/merged.pdf" : "/out"));
        options.pageWidth = kA4Width;
        options.pageHeight = kA4Height;
        options.leftMargin = options.rightMargin = options.topMargin = options.bottomMargin = 72;
        return options;
    }
    QStringList outputs(const QString& folder) const
    {
        return QDir(path(folder + "/out")).entryList(QDir::Files, QDir::Name);
    }
};

} // namespace

TEST_F(TextDocumentPDFConverterTest, LandscapePagesHaveTheTurnedPaperSize)
{
    QByteArray text;
    for (int i = 0; i < 200; ++i)
        text += "Line " + QByteArray::number(i) + " of a plain text file.\n";
    TextDocumentPDFConverter converter = makeConverter(1);
    ASSERT_TRUE(converter.ConvertTextFileToPDF(file("long.txt", text), out("long.pdf")));

    const auto facts = inspectPdf(path("long.pdf"));
    ASSERT_TRUE(facts);
    ASSERT_GT(facts->pageCount, 1);
    for (const QSizeF& size : facts->pageSizes) {
        EXPECT_NEAR(size.width(), kA4Height, 0.01);
        EXPECT_NEAR(size.height(), kA4Width, 0.01);
    }
    const QString all = facts->pageTexts.join('\n');
    EXPECT_TRUE(all.contains("Line 0 of a plain text file."));
    EXPECT_TRUE(all.contains("Line 199 of a plain text file."));
}

TEST_F(TextDocumentPDFConverterTest, PortraitKeepsThePaperSize)
{
    TextDocumentPDFConverter converter = makeConverter(0);
    ASSERT_TRUE(converter.ConvertTextFileToPDF(file("short.txt", "Some words here."), out("s.pdf")));
    const auto facts = inspectPdf(path("s.pdf"));
    ASSERT_TRUE(facts);
    ASSERT_EQ(facts->pageCount, 1);
    EXPECT_NEAR(facts->pageSizes[0].width(), kA4Width, 0.01);
    EXPECT_NEAR(facts->pageSizes[0].height(), kA4Height, 0.01);
}

TEST_F(TextDocumentPDFConverterTest, PlainTextTakesTheJobsFontAndColour)
{
    TextDocumentPDFConverter converter = makeConverter();
    ASSERT_TRUE(converter.ConvertTextFileToPDF(file("plain.txt", "Plain text in the job's font."),
                                               out("plain.pdf")));
    const auto facts = inspectPdf(path("plain.pdf"));
    ASSERT_TRUE(facts);
    EXPECT_TRUE(hasFont(*facts, "DejaVuSerif")) << facts->fontNames.join(',').toStdString();
    EXPECT_TRUE(hasRedPixel(testsupport::renderPdfPage(path("plain.pdf"), 0)));
}

TEST_F(TextDocumentPDFConverterTest, EveryKindOfTextPrintsItsText)
{
    // Text types without a reader of their own print as plain text, in the
    // job's font; OpenOffice.org 1 text is a rich document.
    const struct {
        const char* file;
        QByteArray bytes;
        const char* printed;
        bool plain;
    } cases[] = {
        {"data.xml", "<?xml version=\"1.0\"?>\n<order id=\"7\">Pencils</order>\n",
         "<order id=\"7\">Pencils</order>", true},
        {"data.json", "{\"name\": \"Pencils\", \"count\": 7}\n", "{\"name\": \"Pencils\", \"count\": 7}", true},
        {"table.csv", "name,count\nPencils,7\n", "Pencils,7", true},
        {"style.css", "body { color: #123456; }\n", "body { color: #123456; }", true},
        {"build.sh", "#!/bin/sh\necho \"built\"\n", "echo \"built\"", true},
        {"main.cpp", "int main() { return 0; }\n", "int main() { return 0; }", true},
        {"old.sxw", testsupport::sampleSxw(), "Bold words", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        TextDocumentPDFConverter converter = makeConverter();
        const QString name = QStringLiteral("%1.pdf").arg(c.file);
        ASSERT_TRUE(converter.ConvertTextFileToPDF(file(c.file, c.bytes), out(name)));
        const auto facts = inspectPdf(path(name));
        ASSERT_TRUE(facts);
        EXPECT_TRUE(facts->pageTexts.join(' ').contains(c.printed)) << facts->pageTexts.join(' ').toStdString();
        EXPECT_EQ(hasRedPixel(testsupport::renderPdfPage(path(name), 0)), c.plain);
    }
}

TEST_F(TextDocumentPDFConverterTest, PlainTextInAnyCommonEncodingPrintsItsCharacters)
{
    for (const testsupport::EncodedText& c : testsupport::encodedTexts()) {
        SCOPED_TRACE(c.encoding.toStdString());
        TextDocumentPDFConverter converter = makeConverter();
        const QString name = QString::fromLatin1(c.encoding);
        ASSERT_TRUE(converter.ConvertTextFileToPDF(file(name + ".txt", c.bytes), out(name + ".pdf")));
        const auto facts = inspectPdf(path(name + ".pdf"));
        ASSERT_TRUE(facts);
        // Lines break where the text wraps, in Chinese and Japanese between
        // any two characters.
        const auto withoutSpaces = [](QString text) { return text.remove(QRegularExpression("\\s")); };
        EXPECT_EQ(withoutSpaces(facts->pageTexts.join(' ')).toStdString(), withoutSpaces(c.text).toStdString());
    }
}

TEST_F(TextDocumentPDFConverterTest, RichTextKeepsItsFontsUnlessOverridden)
{
    const QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 DejaVu Sans Mono;}}"
                           "\\f0\\fs24 Rich text in its own font.\\par}";
    const QUrl source = file("rich.rtf", rtf);
    const struct {
        unsigned char overrideRich;
        const char* expectedFont;
        const char* absentFont;
        bool red;
    } cases[] = {
        {0, "DejaVuSansMono", "DejaVuSerif", false},
        {1, "DejaVuSerif", "DejaVuSansMono", true},
    };
    for (const auto& c : cases) {
        TextDocumentPDFConverter converter = makeConverter(0, 72, {}, c.overrideRich);
        const QString name = QStringLiteral("rich-%1.pdf").arg(c.overrideRich);
        ASSERT_TRUE(converter.ConvertTextFileToPDF(source, out(name)));
        const auto facts = inspectPdf(path(name));
        ASSERT_TRUE(facts);
        EXPECT_TRUE(facts->pageTexts.join(' ').contains("Rich text in its own font."));
        EXPECT_TRUE(hasFont(*facts, c.expectedFont)) << int(c.overrideRich);
        EXPECT_FALSE(hasFont(*facts, c.absentFont)) << int(c.overrideRich);
        EXPECT_EQ(hasRedPixel(testsupport::renderPdfPage(path(name), 0)), c.red);
    }
}

TEST_F(TextDocumentPDFConverterTest, BlankPagesAreDroppedOnlyFromFinalOutputs)
{
    // White text of three characters prints a page that looks empty.
    QVariantMap white = jobTextAttributes();
    white.insert(keys::NSForegroundColorAttributeName, QColor(Qt::white));
    const QUrl source = file("white.txt", "abc");

    TextDocumentPDFConverter final;
    final.SetOptionsFromAllToPDFOptions(kA4Width, kA4Height, 72, 72, 72, 72, 0, {}, white, 0);
    ASSERT_TRUE(final.ConvertTextFileToPDF(source, out("final.pdf")));
    const auto finalFacts = inspectPdf(path("final.pdf"));
    ASSERT_TRUE(finalFacts); // one empty page in place of the blank one
    EXPECT_EQ(finalFacts->pageCount, 1);
    EXPECT_EQ(finalFacts->pageTexts.join("").trimmed(), "");

    TextDocumentPDFConverter intermediate;
    intermediate.SetOptionsFromAllToPDFOptions(kA4Width, kA4Height, 72, 72, 72, 72, 0,
                                               {{keys::kCGPDFContextTitle, "Ignored"}}, white, 0);
    intermediate.singlePDF = 1;
    ASSERT_TRUE(intermediate.ConvertTextFileToPDF(source, out("intermediate.pdf")));
    const auto intermediateFacts = inspectPdf(path("intermediate.pdf"));
    ASSERT_TRUE(intermediateFacts);
    EXPECT_EQ(intermediateFacts->pageCount, 1);
    EXPECT_TRUE(intermediateFacts->title.isEmpty());
}

TEST_F(TextDocumentPDFConverterTest, EmptyDocumentsGiveOneEmptyPageOfTheJobsPaper)
{
    const struct {
        const char* file;
        QByteArray bytes;
        std::uint64_t orientation;
    } cases[] = {
        {"empty.txt", "", 0},
        {"spaces.txt", "  \n\n\t\n", 1},
        {"empty.rtf", "{\\rtf1\\ansi }", 0},
        {"nothing.html", "<html><body></body></html>", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        TextDocumentPDFConverter converter = makeConverter(c.orientation);
        const QString name = QStringLiteral("%1.pdf").arg(c.file);
        ASSERT_TRUE(converter.ConvertTextFileToPDF(file(c.file, c.bytes), out(name)));
        const auto facts = inspectPdf(path(name));
        ASSERT_TRUE(facts);
        ASSERT_EQ(facts->pageCount, 1);
        const QSizeF paper = c.orientation ? QSizeF(kA4Height, kA4Width) : QSizeF(kA4Width, kA4Height);
        EXPECT_NEAR(facts->pageSizes[0].width(), paper.width(), 0.01);
        EXPECT_NEAR(facts->pageSizes[0].height(), paper.height(), 0.01);
        EXPECT_EQ(testsupport::runQpdf({"--check", path(name)}), 0);
    }
}

TEST_F(TextDocumentPDFConverterTest, FinalOutputCarriesInformationAndSecurity)
{
    const QVariantMap attributes = {
        {keys::kCGPDFContextTitle, QStringLiteral("Quarterly Ünïcode report")},
        {keys::kCGPDFContextAuthor, QStringLiteral("A. Writer")},
        {keys::kCGPDFContextSubject, QStringLiteral("Numbers")},
        {keys::kCGPDFContextKeywords, QStringLiteral("one, two")},
        {keys::kCGPDFContextOwnerPassword, QStringLiteral("owner")},
        {keys::kCGPDFContextUserPassword, QStringLiteral("user")},
        {keys::kCGPDFContextAllowsPrinting, false},
        {keys::kCGPDFContextAllowsCopying, false},
        {keys::kCGPDFContextEncryptionKeyLength, 128},
    };
    TextDocumentPDFConverter converter = makeConverter(0, 72, attributes);
    ASSERT_TRUE(converter.ConvertTextFileToPDF(file("secret.txt", "Secret words."), out("secret.pdf")));

    EXPECT_TRUE(testsupport::needsPassword(path("secret.pdf")));
    EXPECT_FALSE(inspectPdf(path("secret.pdf"), "wrong"));
    const auto facts = inspectPdf(path("secret.pdf"), "user");
    ASSERT_TRUE(facts);
    EXPECT_TRUE(facts->encrypted);
    EXPECT_EQ(facts->title, QStringLiteral("Quarterly Ünïcode report"));
    EXPECT_EQ(facts->author, QStringLiteral("A. Writer"));
    EXPECT_EQ(facts->subject, QStringLiteral("Numbers"));
    EXPECT_EQ(facts->keywords, QStringLiteral("one, two"));
    EXPECT_FALSE(facts->okToPrint);
    EXPECT_FALSE(facts->okToCopy);
    EXPECT_TRUE(facts->pageTexts.join(' ').contains("Secret words."));
}

TEST_F(TextDocumentPDFConverterTest, FailuresWriteNothing)
{
    const QUrl text = file("some.txt", "Some text.");
    const QUrl garbage = file("noise.bin", QByteArray("\x01\x02\xff\xfe\x00\x13", 6).repeated(50));
    const struct {
        const char* name;
        QUrl source;
        double margin;
    } cases[] = {
        {"missing file", out("missing.txt"), 72},
        {"no reader takes it", garbage, 72},
        {"margins as wide as the paper", text, 300},
        {"negative text area", text, 600},
    };
    for (const auto& c : cases) {
        TextDocumentPDFConverter converter = makeConverter(1, c.margin);
        const QUrl output = out(QStringLiteral("%1.pdf").arg(c.name));
        EXPECT_FALSE(converter.ConvertTextFileToPDF(c.source, output)) << c.name;
        EXPECT_FALSE(QFile::exists(output.toLocalFile())) << c.name;
    }
}

TEST_F(TextDocumentPDFConverterTest, DamagedRichTextNeverCrashes)
{
    const QByteArray damaged[] = {
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Times;}\\f0 Unclosed group",
        "{\\rtf1 \\u-70000? \\'zz \\bin999999999 }",
        QByteArray("{\\rtf1 ") + QByteArray(5000, '{') + "deep",
    };
    int index = 0;
    for (const QByteArray& bytes : damaged) {
        const QString name = QStringLiteral("damaged%1").arg(index++);
        TextDocumentPDFConverter converter = makeConverter();
        const bool ok = converter.ConvertTextFileToPDF(file(name + ".rtf", bytes), out(name + ".pdf"));
        // Either answer is fine; an answer of YES must come with a readable PDF.
        EXPECT_EQ(ok, inspectPdf(path(name + ".pdf")).has_value()) << name.toStdString();
    }
}

TEST_F(TextDocumentPDFConverterTest, SeparateRunNamesOutputsUniquely)
{
    ScriboraConversionOptions options;
    options.sources = {MakeSourceFileEntry(file("a/Notes.rtf", "{\\rtf1 First notes.}"), 2),
                       MakeSourceFileEntry(file("b/Notes.txt", "Second notes."), 2)};
    QDir(dir.path()).mkdir("out");
    options.destination = out("out");
    options.pageWidth = kA4Width;
    options.pageHeight = kA4Height;
    options.leftMargin = options.rightMargin = options.topMargin = options.bottomMargin = 36;
    testsupport::ProgressRecorder recorder;
    bool ok = false;
    testsupport::runOnWorker([&] {
        TextDocumentPDFConverter converter;
        converter.SetOptionsFromScriboraOptions(&options);
        converter.SetTextProgress(&recorder, "ChangeProgressStatus");
        ok = converter.ConvertTextFilesToSeparatePDFs();
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(recorder.statuses(), QList<int>({3, 3}));
    EXPECT_TRUE(recorder.reportsOnMainThread());
    const auto first = inspectPdf(path("out/Notes.pdf"));
    const auto second = inspectPdf(path("out/Notes 1.pdf"));
    ASSERT_TRUE(first && second);
    EXPECT_TRUE(first->pageTexts.join(' ').contains("First notes."));
    EXPECT_TRUE(second->pageTexts.join(' ').contains("Second notes."));
}

TEST_F(TextDocumentPDFConverterTest, MergedRunCollectsPagesAndHonoursCancel)
{
    ScriboraConversionOptions options;
    options.sources = {MakeSourceFileEntry(file("one.txt", "Page one."), 2),
                       MakeSourceFileEntry(file("two.txt", "Page two."), 2),
                       MakeSourceFileEntry(out("absent.txt"), 2)};
    options.destination = out("merged.pdf");
    options.pageWidth = kA4Width;
    options.pageHeight = kA4Height;
    options.documentAttributes = {{keys::kCGPDFContextTitle, QStringLiteral("Merged")}};

    const struct {
        int cancelAfter;
        bool ok;
        QList<int> statuses;
    } cases[] = {
        {0, true, {3, 3, 3, 6, 7}},
        {1, false, {3}},
    };
    for (const auto& c : cases) {
        QFile::remove(path("merged.pdf"));
        testsupport::ProgressRecorder recorder(c.cancelAfter);
        bool ok = !c.ok;
        testsupport::runOnWorker([&] {
            TextDocumentPDFConverter converter;
            converter.SetOptionsFromScriboraOptions(&options);
            converter.SetTextProgress(&recorder, "ChangeProgressStatus");
            ok = converter.ConvertTextFilesToSinglePDF();
        });
        EXPECT_EQ(ok, c.ok);
        EXPECT_EQ(recorder.statuses(), c.statuses);
        const auto facts = inspectPdf(path("merged.pdf"));
        EXPECT_EQ(facts.has_value(), c.ok);
        if (facts) {
            EXPECT_EQ(facts->pageCount, 2);
            EXPECT_EQ(facts->title, QStringLiteral("Merged"));
            EXPECT_TRUE(facts->pageTexts.value(1).contains("Page two."));
        }
    }
}

TEST_F(TextDocumentPDFConverterTest, MergedRunWithoutPagesWritesNothing)
{
    ScriboraConversionOptions options;
    options.sources = {MakeSourceFileEntry(out("absent.txt"), 2)};
    options.destination = out("none.pdf");
    options.pageWidth = kA4Width;
    options.pageHeight = kA4Height;
    testsupport::ProgressRecorder recorder;
    bool ok = true;
    testsupport::runOnWorker([&] {
        TextDocumentPDFConverter converter;
        converter.SetOptionsFromScriboraOptions(&options);
        converter.SetTextProgress(&recorder, "ChangeProgressStatus");
        ok = converter.ConvertTextFilesToSinglePDF();
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(recorder.statuses(), QList<int>({3}));
    EXPECT_FALSE(QFile::exists(path("none.pdf")));
}

TEST_F(TextDocumentPDFConverterTest, BlankPageTest)
{
    writePdfWithText(path("white.pdf"), "abc", Qt::white);
    writePdfWithText(path("whitelong.pdf"), "invisible words", Qt::white);
    writePdfWithText(path("dark.pdf"), "ab", Qt::black);
    const struct {
        const char* name;
        bool blank;
    } cases[] = {{"white.pdf", true}, {"whitelong.pdf", false}, {"dark.pdf", false}};
    for (const auto& c : cases) {
        const auto document = pdf::PdfDocument::open(out(c.name));
        ASSERT_TRUE(document) << c.name;
        const pdf::PdfPage page = document->page(0);
        EXPECT_EQ(IsBlankPDFPage(&page), c.blank) << c.name;
    }
    EXPECT_FALSE(IsBlankPDFPage(nullptr));
    const pdf::PdfPage null;
    EXPECT_FALSE(IsBlankPDFPage(&null));
}

TEST_F(TextDocumentPDFConverterTest, BlankPageTestOnUnusualBoxesAndRotations)
{
    const std::string ink = "0 0 0 rg 20 20 40 40 re f";
    // The top-left corner: seen only when the turned page's bitmap is turned too.
    const std::string topLeftInk = "0 0 0 rg 10 270 20 20 re f";
    const struct {
        const char* name;
        std::string content;
        std::string pageKeys;
        bool blank;
    } cases[] = {
        {"crop box without width, ink in the media box", ink, "/CropBox [0 0 0 300]", false},
        {"crop box without width, nothing drawn", "", "/CropBox [0 0 0 300]", true},
        {"crop box without height, ink in the media box", ink, "/CropBox [0 0 200 0]", false},
        {"turned a quarter, nothing drawn", "", "/Rotate 90", true},
        {"turned three quarters, nothing drawn", "", "/Rotate 270", true},
        {"turned a quarter, ink at the top-left corner", topLeftInk, "/Rotate 90", false},
    };
    for (const auto& c : cases) {
        const auto document = pdf::PdfDocument::fromData(qpdfPage(c.content, c.pageKeys));
        ASSERT_TRUE(document) << c.name;
        const pdf::PdfPage page = document->page(0);
        EXPECT_EQ(IsBlankPDFPage(&page), c.blank) << c.name;
    }
}

TEST_F(TextDocumentPDFConverterTest, BatchRunsWithoutSourcesWriteNothing)
{
    const struct {
        bool merged;
        bool result;
    } cases[] = {{false, true}, {true, false}};
    for (const auto& c : cases) {
        ScriboraConversionOptions options = threeDocuments(c.merged ? "merged" : "separate", c.merged);
        options.sources.clear();
        testsupport::ProgressRecorder recorder;
        const BatchOutcome outcome = runBatch(options, c.merged, recorder);
        EXPECT_EQ(outcome.result, c.result) << c.merged;
        EXPECT_TRUE(outcome.statuses.isEmpty()) << c.merged;
        EXPECT_TRUE(outputs(c.merged ? "merged" : "separate").isEmpty()) << c.merged;
    }
}

TEST_F(TextDocumentPDFConverterTest, BatchRunsSkipANullEntry)
{
    const struct {
        bool merged;
        QList<int> statuses;
        QStringList outputs;
    } cases[] = {
        {false, {3, 3, 3, 3}, {"one.pdf", "three.pdf", "two.pdf"}},
        {true, {3, 3, 3, 6, 7}, {"merged.pdf"}},
    };
    for (const auto& c : cases) {
        const QString folder = c.merged ? "merged" : "separate";
        ScriboraConversionOptions options = threeDocuments(folder, c.merged);
        options.sources.insert(1, SourceFileEntry());
        testsupport::ProgressRecorder recorder;
        const BatchOutcome outcome = runBatch(options, c.merged, recorder);
        EXPECT_TRUE(outcome.result) << c.merged;
        EXPECT_EQ(outcome.statuses, c.statuses) << c.merged;
        EXPECT_EQ(outputs(folder), c.outputs) << c.merged;
    }
    const auto merged = inspectPdf(path("merged/out/merged.pdf"));
    ASSERT_TRUE(merged);
    EXPECT_EQ(merged->pageCount, 3);
}

TEST_F(TextDocumentPDFConverterTest, BatchRunsStopOnCancel)
{
    const struct {
        const char* name;
        bool merged;
        bool withSelector;
        int cancelAfter; // status-3 reports; 0: the flag is set before the start
        QList<int> statuses;
        QStringList outputs;
    } cases[] = {
        {"separate, during the last input", false, true, 3, {3, 3, 3},
         {"one.pdf", "three.pdf", "two.pdf"}},
        {"separate, target without selector", false, false, 0, {}, {"one.pdf"}},
        {"merged, during the last input", true, true, 3, {3, 3, 3}, {}},
        {"merged, target without selector", true, false, 0, {}, {}},
    };
    int run = 0;
    for (const auto& c : cases) {
        const QString folder = QStringLiteral("run%1").arg(run++);
        const ScriboraConversionOptions options = threeDocuments(folder, c.merged);
        testsupport::ProgressRecorder recorder(c.cancelAfter);
        if (c.cancelAfter == 0)
            recorder.cancel();
        const BatchOutcome outcome =
            runBatch(options, c.merged, recorder, c.withSelector ? "ChangeProgressStatus" : nullptr);
        EXPECT_FALSE(outcome.result) << c.name;
        EXPECT_EQ(outcome.statuses, c.statuses) << c.name;
        EXPECT_EQ(outputs(folder), c.outputs) << c.name;
    }
}
