#include "engine/HTMLToPDF.h"

#include "platform/DictionaryKeys.h"
#include "platform/PropertyList.h"
#include "platform/pdf/PdfDocument.h"
#include "tests/support/PdfInspection.h"
#include "tests/support/ProgressRecorder.h"
#include "tests/support/TestSupport.h"

#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QEventLoop>
#include <QTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QVariantList>
#include <gtest/gtest.h>
#include <poppler-qt6.h>

#include <functional>

using namespace platform;
using testsupport::inspectPdf;
using testsupport::renderPdfPage;

namespace {

constexpr double kA4Width = 595.2756;
constexpr double kA4Height = 841.8898;
constexpr double kMargin = 72;

QByteArray pngBytes(const QColor& color)
{
    return testsupport::pngBytes(QSize(120, 120), color);
}

// Colours are compared loosely: the printed image may be resampled.
bool near(const QColor& a, const QColor& b)
{
    return std::abs(a.red() - b.red()) < 40 && std::abs(a.green() - b.green()) < 40
        && std::abs(a.blue() - b.blue()) < 40;
}

int countPixels(const QImage& image, const QColor& color)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (near(image.pixelColor(x, y), color))
                ++count;
    return count;
}

// The bounding box of everything that is not white paper.
QRect inkBounds(const QImage& image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() < 240 || c.green() < 240 || c.blue() < 240)
                bounds |= QRect(x, y, 1, 1);
        }
    return bounds;
}

// Where a word was printed: its page and box in points; page -1 when the
// PDF holds no such word.
struct WordPlace {
    int page = -1;
    QRectF box;
};

WordPlace findWord(const QString& pdfPath, const QString& word)
{
    const std::unique_ptr<Poppler::Document> document = Poppler::Document::load(pdfPath);
    for (int i = 0; document && i < document->numPages(); ++i) {
        const std::unique_ptr<Poppler::Page> page = document->page(i);
        for (const std::unique_ptr<Poppler::TextBox>& box : page->textList())
            if (box->text().contains(word))
                return {i, box->boundingBox()};
    }
    return {};
}

class HTMLToPDFTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QUrl url(const QString& name) const { return QUrl::fromLocalFile(path(name)); }

    QUrl write(const QString& name, const QByteArray& bytes)
    {
        return testsupport::writeFile(path(name), bytes);
    }

    // A page long enough for several A4 pages, with a style sheet that
    // paints a blue band and a red local image.
    QUrl writeStyledPage(const QString& name = QStringLiteral("page.html"))
    {
        write(QStringLiteral("style.css"),
              ".band { background: rgb(0, 0, 255); height: 40px; }\n"
              "p { font: 12pt 'DejaVu Sans'; }\n");
        write(QStringLiteral("images/red.png"), pngBytes(QColor(255, 0, 0)));
        QByteArray html = "<!DOCTYPE html><html><head><link rel=stylesheet href=style.css>"
                          "</head><body><div class=band></div>"
                          "<img src='images/red.png' width=120 height=120>";
        for (int i = 1; i <= 120; ++i)
            html += "<p>Paragraph number " + QByteArray::number(i) + " of the document.</p>";
        html += "</body></html>";
        return write(name, html);
    }

    bool convert(const QUrl& source, const QUrl& destination, std::uint64_t orientation = 0,
                 const QVariantMap& attributes = {}, unsigned char single = 0)
    {
        bool result = false;
        testsupport::runOnWorker([&] {
            HTMLToPDF converter;
            converter.Init(kA4Width, kA4Height, kMargin, kMargin, kMargin, kMargin,
                           orientation, attributes);
            converter.SetTempDestinationURL(destination);
            converter.SetSaveAsSinglePDF(single);
            result = converter.SaveAsPDF(source);
        });
        return result;
    }

    QTemporaryDir dir;
};

void expectPagesOfSize(const testsupport::PdfFacts& facts, double width, double height)
{
    for (const QSizeF& size : facts.pageSizes) {
        EXPECT_NEAR(size.width(), width, 0.01);
        EXPECT_NEAR(size.height(), height, 0.01);
    }
}

TEST_F(HTMLToPDFTest, StyledPageWithImagePrintsOnA4WithinMargins)
{
    const QUrl source = writeStyledPage();
    ASSERT_TRUE(convert(source, url("out.pdf")));

    const auto facts = inspectPdf(path("out.pdf"));
    ASSERT_TRUE(facts);
    EXPECT_GE(facts->pageCount, 3);
    expectPagesOfSize(*facts, kA4Width, kA4Height);
    EXPECT_TRUE(facts->pageTexts.first().contains("Paragraph number 1 of"));
    EXPECT_TRUE(facts->pageTexts.last().contains("Paragraph number 120 of"));
    EXPECT_FALSE(facts->encrypted);

    const QImage first = renderPdfPage(path("out.pdf"), 0, 72);
    EXPECT_GT(countPixels(first, QColor(0, 0, 255)), 1000) << "style sheet not applied";
    EXPECT_GT(countPixels(first, QColor(255, 0, 0)), 3000) << "local image missing";
    // Nothing is printed in the margins (one pixel of slack for rounding).
    const QRect ink = inkBounds(first);
    EXPECT_GE(ink.left(), kMargin - 1);
    EXPECT_GE(ink.top(), kMargin - 1);
    EXPECT_LE(ink.right(), kA4Width - kMargin + 1);
    EXPECT_LE(ink.bottom(), kA4Height - kMargin + 1);
}

TEST_F(HTMLToPDFTest, LandscapeSwapsThePage)
{
    const QUrl source = writeStyledPage();
    ASSERT_TRUE(convert(source, url("out.pdf"), 1));
    const auto facts = inspectPdf(path("out.pdf"));
    ASSERT_TRUE(facts);
    expectPagesOfSize(*facts, kA4Height, kA4Width);
    // The band runs across the wider printable width.
    const QImage first = renderPdfPage(path("out.pdf"), 0, 72);
    EXPECT_GT(inkBounds(first).width(), kA4Width - 2 * kMargin);
}

TEST_F(HTMLToPDFTest, WideContentIsScaledToThePrintableWidthNeverClipped)
{
    // Several times the A4 text width (about 600 CSS pixels), in the forms a
    // page grows wide: fixed-width boxes, a table, a line that does not wrap.
    const QByteArray tall = "<div style='height: 6000px'></div>";
    const struct {
        const char* name;
        QByteArray body;
        bool severalPages;
    } cases[] = {
        {"fixed-width block",
         "<div style='width: 3000px'>LeftMark<span style='float: right'>RightMark</span></div>",
         false},
        {"wide table",
         "<table style='width: 3000px'><tr><td>LeftMark</td>"
         "<td style='text-align: right'>RightMark</td></tr></table>",
         false},
        {"line that does not wrap",
         "<pre>LeftMark" + QByteArray(400, ' ').replace(' ', "x ") + "RightMark</pre>", false},
        {"absolutely placed",
         "<p>LeftMark</p><p style='position: absolute; left: 2800px'>RightMark</p>", false},
        {"tall and wide",
         "<div style='width: 2500px'>LeftMark<span style='float: right'>RightMark</span></div>"
             + tall + "<p>BottomMark</p>",
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        write(QStringLiteral("wide.html"),
              "<!DOCTYPE html><html><body style='font: 12pt \"DejaVu Sans\"'>" + c.body
                  + "</body></html>");
        ASSERT_TRUE(convert(url("wide.html"), url("wide.pdf")));
        const auto facts = inspectPdf(path("wide.pdf"));
        ASSERT_TRUE(facts);
        expectPagesOfSize(*facts, kA4Width, kA4Height);
        for (const char* word : {"LeftMark", "RightMark"}) {
            SCOPED_TRACE(word);
            const WordPlace place = findWord(path("wide.pdf"), QString::fromLatin1(word));
            ASSERT_EQ(place.page, 0);
            EXPECT_GE(place.box.left(), kMargin - 1);
            EXPECT_LE(place.box.right(), kA4Width - kMargin + 1);
        }
        if (c.severalPages) {
            EXPECT_GE(facts->pageCount, 2);
            EXPECT_GE(findWord(path("wide.pdf"), QStringLiteral("BottomMark")).page, 1);
        }
        QFile::remove(path("wide.pdf"));
    }
}

TEST_F(HTMLToPDFTest, ContentThatFitsKeepsItsSizeOnTheJobsPaper)
{
    // Text as wide as the printable width, printed as it is, whatever paper
    // and margins the page asks for itself.
    write(QStringLiteral("letter.css"), "@page { size: letter landscape; }");
    const struct {
        const char* name;
        QByteArray style;
    } cases[] = {
        {"no page rule", ""},
        {"larger paper, no margins", "@page { size: A3 landscape; margin: 0 }"},
        {"smaller paper", "@page { size: A5 !important; margin: 10pt }"},
        {"first page", "@page :first { size: 10in 20in }"},
        {"print media", "@media print { @page { size: B5 } }"},
        {"imported", "@import 'letter.css';"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        write(QStringLiteral("fits.html"),
              "<!DOCTYPE html><html><head><style>" + c.style
                  + "</style></head><body style='margin: 0; font: 24pt \"DejaVu Sans\"'>"
                    "<div>Sized<span style='float: right'>Edge</span></div></body></html>");
        ASSERT_TRUE(convert(url("fits.html"), url("fits.pdf")));
        const auto facts = inspectPdf(path("fits.pdf"));
        ASSERT_TRUE(facts);
        EXPECT_EQ(facts->pageCount, 1);
        const WordPlace sized = findWord(path("fits.pdf"), QStringLiteral("Sized"));
        const WordPlace edge = findWord(path("fits.pdf"), QStringLiteral("Edge"));
        ASSERT_EQ(sized.page, 0);
        ASSERT_EQ(edge.page, 0);
        EXPECT_NEAR(sized.box.height(), 24 * 1.16, 4) << "scaled although it fits";
        EXPECT_NEAR(sized.box.left(), kMargin, 2);
        EXPECT_NEAR(sized.box.top(), kMargin, 4);
        EXPECT_NEAR(edge.box.right(), kA4Width - kMargin, 3);
        QFile::remove(path("fits.pdf"));
    }
}

TEST_F(HTMLToPDFTest, WideContentThePageHidesIsNotFitted)
{
    // An off-screen panel the page cuts off sideways. The browser's own
    // shrinking (to two thirds at most) remains; fitting the panel too would
    // make the text a fifth of its size.
    write(QStringLiteral("hidden.html"),
          "<!DOCTYPE html><html><body style='overflow-x: hidden; font: 24pt \"DejaVu Sans\"'>"
          "<p>Sized</p><nav style='position: absolute; top: 0; left: 100%; width: 3000px'>"
          "Menu</nav></body></html>");
    ASSERT_TRUE(convert(url("hidden.html"), url("hidden.pdf")));
    const WordPlace sized = findWord(path("hidden.pdf"), QStringLiteral("Sized"));
    ASSERT_EQ(sized.page, 0);
    EXPECT_GT(sized.box.height(), 24 * 1.16 * 0.6);
}

TEST_F(HTMLToPDFTest, OddPaperSizeIsKeptExactly)
{
    write(QStringLiteral("small.html"), "<p>Small paper</p>");
    bool result = false;
    testsupport::runOnWorker([&] {
        HTMLToPDF converter;
        converter.Init(300.37, 400.61, 20, 20, 20, 20, 0, {});
        converter.SetTempDestinationURL(url("out.pdf"));
        result = converter.SaveAsPDF(url("small.html"));
    });
    ASSERT_TRUE(result);
    const auto facts = inspectPdf(path("out.pdf"));
    ASSERT_TRUE(facts);
    expectPagesOfSize(*facts, 300.37, 400.61);
    EXPECT_TRUE(facts->pageTexts.first().contains("Small paper"));
}

TEST_F(HTMLToPDFTest, UnloadableInputsAnswerNoAndWriteNothing)
{
    write(QStringLiteral("broken.webarchive"), "not a property list");
    QDir().mkpath(path("folder.html"));
    const struct {
        const char* name;
        QUrl source;
    } cases[] = {
        {"missing file", url("missing.html")},
        {"folder", url("folder.html")},
        {"damaged web archive", url("broken.webarchive")},
        {"remote address", QUrl(QStringLiteral("http://127.0.0.1:9/page.html"))},
        {"empty URL", QUrl()},
    };
    write(QStringLiteral("existing.pdf"), "old bytes");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(convert(c.source, url("out.pdf")));
        EXPECT_FALSE(QFile::exists(path("out.pdf")));
        // A destination that exists is left as it was.
        EXPECT_FALSE(convert(c.source, url("existing.pdf")));
        EXPECT_EQ(testsupport::readFile(path("existing.pdf")), "old bytes");
    }
}

TEST_F(HTMLToPDFTest, SvgAndXhtmlPrint)
{
    write(QStringLiteral("drawing.svg"),
          "<svg xmlns='http://www.w3.org/2000/svg' width='300' height='200'>"
          "<rect width='300' height='150' fill='rgb(0,0,255)'/>"
          "<text x='10' y='180' font-family='DejaVu Sans' font-size='20'>Vector text</text>"
          "</svg>");
    // CDATA content is text only to an XML parser; an HTML parser drops it.
    write(QStringLiteral("page.xhtml"),
          "<?xml version='1.0' encoding='UTF-8'?>\n"
          "<html xmlns='http://www.w3.org/1999/xhtml'><head><title>x</title></head>"
          "<body><p>Plain part</p><p><![CDATA[Parsed as XML]]></p></body></html>");

    ASSERT_TRUE(convert(url("drawing.svg"), url("svg.pdf")));
    const auto svg = inspectPdf(path("svg.pdf"));
    ASSERT_TRUE(svg);
    EXPECT_TRUE(svg->pageTexts.first().contains("Vector text"));
    EXPECT_GT(countPixels(renderPdfPage(path("svg.pdf"), 0, 72), QColor(0, 0, 255)), 10000);

    ASSERT_TRUE(convert(url("page.xhtml"), url("xhtml.pdf")));
    const auto xhtml = inspectPdf(path("xhtml.pdf"));
    ASSERT_TRUE(xhtml);
    EXPECT_TRUE(xhtml->pageTexts.first().contains("Plain part"));
    EXPECT_TRUE(xhtml->pageTexts.first().contains("Parsed as XML"));
}

QVariantMap resource(const QString& url, const QString& mime, const QByteArray& data)
{
    return {{"WebResourceURL", url}, {"WebResourceMIMEType", mime}, {"WebResourceData", data}};
}

TEST_F(HTMLToPDFTest, WebArchivePrintsFromItsOwnData)
{
    // One image by a relative reference, one by its absolute original address.
    const QByteArray html =
        "<html><body><p>Archived page</p>"
        "<img src='pics/red.png' width=120 height=120>"
        "<img src='http://example.com/site/green.png' width=120 height=120>"
        "</body></html>";
    QVariantMap main = resource("http://example.com/site/index.html", "text/html", html);
    main.insert("WebResourceTextEncodingName", "UTF-8");
    const QVariantMap archive{
        {"WebMainResource", main},
        {"WebSubresources",
         QVariantList{resource("http://example.com/site/pics/red.png", "image/png",
                               pngBytes(QColor(255, 0, 0))),
                      resource("http://example.com/site/green.png", "image/png",
                               pngBytes(QColor(0, 255, 0)))}}};
    QDir().mkpath(path("in"));
    write(QStringLiteral("in/page.webarchive"),
          writePropertyList(archive, PropertyListFormat::Binary));

    ASSERT_TRUE(convert(url("in/page.webarchive"), url("out.pdf")));
    const auto facts = inspectPdf(path("out.pdf"));
    ASSERT_TRUE(facts);
    EXPECT_TRUE(facts->pageTexts.first().contains("Archived page"));
    const QImage first = renderPdfPage(path("out.pdf"), 0, 72);
    EXPECT_GT(countPixels(first, QColor(255, 0, 0)), 3000);
    EXPECT_GT(countPixels(first, QColor(0, 255, 0)), 3000);
    // Served from memory: nothing of the archive was unpacked beside it.
    EXPECT_EQ(QDir(path("in")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList{"page.webarchive"});
}

// A script that tries every way a page has to read another file and writes
// what it got into the page, to be printed.
QByteArray snoopingScript(const QString& secretUrl)
{
    return "<script>\n"
           "function show(how, text) { const p = document.createElement('p');"
           " p.textContent = how + ': ' + text; document.body.appendChild(p); }\n"
           "for (const address of ['" + secretUrl.toUtf8() + "', 'secret.txt']) {\n"
           "  try { const x = new XMLHttpRequest(); x.open('GET', address, false); x.send();"
           " show('xhr', x.responseText); } catch (e) { show('xhr', 'refused'); }\n"
           "}\n"
           "fetch('secret.txt').then(r => r.text()).then(t => show('fetch', t), () => show('fetch', 'refused'));\n"

           "</script>";
}

TEST_F(HTMLToPDFTest, ScriptsReadNoOtherLocalFile)
{
    const QByteArray secret = "TOPSECRETWORDS";
    write(QStringLiteral("secret.txt"), secret);
    const QString secretUrl = url("secret.txt").toString();
    write(QStringLiteral("red.png"), pngBytes(QColor(255, 0, 0)));
    write(QStringLiteral("page.html"),
          "<html><body><p>Visible page</p><img src='red.png' width=120 height=120>"
          + snoopingScript(secretUrl) + "</body></html>");

    QVariantMap main = resource("http://example.com/index.html", "text/html",
                                "<html><body><p>Archived page</p>" + snoopingScript(secretUrl)
                                    + "</body></html>");
    main.insert("WebResourceTextEncodingName", "UTF-8");
    write(QStringLiteral("page.webarchive"),
          writePropertyList(QVariantMap{{"WebMainResource", main}}, PropertyListFormat::Binary));

    for (const char* name : {"page.html", "page.webarchive"}) {
        SCOPED_TRACE(name);
        const QString output = QStringLiteral("%1.pdf").arg(name);
        ASSERT_TRUE(convert(url(name), url(output)));
        const auto facts = inspectPdf(path(output));
        ASSERT_TRUE(facts);
        const QString text = facts->pageTexts.join(' ');
        EXPECT_TRUE(text.contains("page")) << text.toStdString();
        EXPECT_FALSE(text.contains(secret)) << text.toStdString();
        EXPECT_FALSE(QString::fromLatin1(testsupport::readFile(path(output))).contains(secret));
    }
    // The page's own image still prints.
    EXPECT_GT(countPixels(renderPdfPage(path("page.html.pdf"), 0, 72), QColor(255, 0, 0)), 3000);
}

TEST_F(HTMLToPDFTest, WebArchiveFramePrintsFromItsSubframeArchive)
{
    // The frame's page and its image exist only in the subframe archive.
    const QVariantMap frame{
        {"WebMainResource",
         resource("http://example.com/site/frames/inner.html", "text/html",
                  "<html><body><p>Framed text</p>"
                  "<img src='blue.png' width=120 height=120></body></html>")},
        {"WebSubresources", QVariantList{resource("http://example.com/site/frames/blue.png",
                                                  "image/png", pngBytes(QColor(0, 0, 255)))}}};
    const QVariantMap archive{
        {"WebMainResource",
         resource("http://example.com/site/index.html", "text/html",
                  "<html><body><p>Outer text</p><iframe src='frames/inner.html' width=400 "
                  "height=300></iframe></body></html>")},
        {"WebSubframeArchives", QVariantList{frame}}};
    write(QStringLiteral("framed.webarchive"),
          writePropertyList(archive, PropertyListFormat::Binary));

    ASSERT_TRUE(convert(url("framed.webarchive"), url("out.pdf")));
    const auto facts = inspectPdf(path("out.pdf"));
    ASSERT_TRUE(facts);
    EXPECT_TRUE(facts->pageTexts.first().contains("Outer text"));
    EXPECT_TRUE(facts->pageTexts.first().contains("Framed text"));
    EXPECT_GT(countPixels(renderPdfPage(path("out.pdf"), 0, 72), QColor(0, 0, 255)), 3000);
}

QVariantMap securedAttributes()
{
    return {{keys::kCGPDFContextTitle, QStringLiteral("Web title")},
            {keys::kCGPDFContextAuthor, QStringLiteral("Web author")},
            {keys::kCGPDFContextUserPassword, QStringLiteral("user")},
            {keys::kCGPDFContextOwnerPassword, QStringLiteral("owner")},
            {keys::kCGPDFContextAllowsPrinting, false},
            {keys::kCGPDFContextAllowsCopying, true},
            {keys::kCGPDFContextEncryptionKeyLength, 128}};
}

TEST_F(HTMLToPDFTest, FinalModeCarriesTheJobsAttributesIntermediateNone)
{
    write(QStringLiteral("page.html"), "<p>Secured text</p>");

    ASSERT_TRUE(convert(url("page.html"), url("final.pdf"), 0, securedAttributes()));
    EXPECT_TRUE(testsupport::needsPassword(path("final.pdf")));
    const auto final = inspectPdf(path("final.pdf"), QStringLiteral("user"));
    ASSERT_TRUE(final);
    EXPECT_EQ(final->title, "Web title");
    EXPECT_EQ(final->author, "Web author");
    EXPECT_FALSE(final->okToPrint);
    EXPECT_TRUE(final->pageTexts.first().contains("Secured text"));

    ASSERT_TRUE(convert(url("page.html"), url("intermediate.pdf"),
                        0, securedAttributes(), 1));
    const auto intermediate = inspectPdf(path("intermediate.pdf"));
    ASSERT_TRUE(intermediate);
    EXPECT_FALSE(intermediate->encrypted);
    EXPECT_NE(intermediate->title, "Web title");
    EXPECT_TRUE(intermediate->okToPrint);
    expectPagesOfSize(*intermediate, kA4Width, kA4Height);
}

TEST_F(HTMLToPDFTest, FinalModeReplacesAnExistingFile)
{
    write(QStringLiteral("page.html"), "<p>New content</p>");
    write(QStringLiteral("out.pdf"), "old bytes");
    ASSERT_TRUE(convert(url("page.html"), url("out.pdf")));
    const auto facts = inspectPdf(path("out.pdf"));
    ASSERT_TRUE(facts);
    EXPECT_TRUE(facts->pageTexts.first().contains("New content"));
}

TEST_F(HTMLToPDFTest, OneObjectConvertsSeveralDocumentsInTurn)
{
    for (int i = 0; i < 3; ++i)
        write(QStringLiteral("doc%1.html").arg(i),
              "<p>Document " + QByteArray::number(i) + "</p>");
    QList<bool> results;
    testsupport::runOnWorker([&] {
        HTMLToPDF converter;
        converter.Init(kA4Width, kA4Height, kMargin, kMargin, kMargin, kMargin, 0, {});
        for (int i = 0; i < 3; ++i) {
            // A failure in the middle leaves the next conversion unharmed.
            const QUrl source = i == 1 ? url("missing.html") : url(QStringLiteral("doc%1.html").arg(i));
            converter.SetTempDestinationURL(url(QStringLiteral("out%1.pdf").arg(i)));
            results << converter.SaveAsPDF(source);
        }
    });
    EXPECT_EQ(results, (QList<bool>{true, false, true}));
    for (int i : {0, 2}) {
        const auto facts = inspectPdf(path(QStringLiteral("out%1.pdf").arg(i)));
        ASSERT_TRUE(facts);
        EXPECT_TRUE(facts->pageTexts.first().contains(QStringLiteral("Document %1").arg(i)));
    }
}

TEST_F(HTMLToPDFTest, PageActivityAfterReleaseIsHarmless)
{
    // The page keeps navigating after it was printed and the object is gone.
    write(QStringLiteral("busy.html"),
          "<p>Busy</p><script>setInterval(() => location.reload(), 20)</script>");
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(convert(url("busy.html"), url(QStringLiteral("out%1.pdf").arg(i))));
    QEventLoop loop;
    QTimer::singleShot(500, &loop, &QEventLoop::quit);
    loop.exec();
}

TEST_F(HTMLToPDFTest, ConversionOnTheMainThreadAnswersNoAtOnce)
{
    write(QStringLiteral("page.html"), "<p>x</p>");
    HTMLToPDF converter;
    converter.Init(kA4Width, kA4Height, kMargin, kMargin, kMargin, kMargin, 0, {});
    converter.SetTempDestinationURL(url("out.pdf"));
    EXPECT_FALSE(converter.SaveAsPDF(url("page.html")));
    EXPECT_FALSE(QFile::exists(path("out.pdf")));
}

TEST_F(HTMLToPDFTest, ObjectMadeOnMainThreadConvertsOnWorker)
{
    write(QStringLiteral("page.html"), "<p>Made on main</p>");
    HTMLToPDF converter;
    converter.Init(kA4Width, kA4Height, kMargin, kMargin, kMargin, kMargin, 0, {});
    converter.SetTempDestinationURL(url("out.pdf"));
    bool result = false;
    testsupport::runOnWorker([&] { result = converter.SaveAsPDF(url("page.html")); });
    EXPECT_TRUE(result);
}

class HTMLToPDFBatchTest : public HTMLToPDFTest {
protected:
    SourceFileEntries entries(const QStringList& names)
    {
        SourceFileEntries list;
        for (const QString& name : names)
            list << MakeSourceFileEntry(url(name), FileKindWeb);
        return list;
    }

    bool run(const SourceFileEntries& sources, const QUrl& destination,
             testsupport::ProgressRecorder& recorder, bool merged, QVariantMap attributes = {})
    {
        ScriboraConversionOptions options;
        options.sources = sources;
        options.destination = destination;
        options.pageWidth = kA4Width;
        options.pageHeight = kA4Height;
        options.leftMargin = options.rightMargin = options.topMargin = options.bottomMargin = kMargin;
        options.documentAttributes = attributes;
        bool result = false;
        testsupport::runOnWorker([&] {
            HTMLToPDF converter;
            converter.Init(&options);
            converter.SetProgressCallbackInfo({&recorder, "ChangeProgressStatus"});
            result = merged ? converter.SaveAsTextToSinglePDF() : converter.SaveAsPDF();
        });
        return result;
    }

    void SetUp() override
    {
        write(QStringLiteral("one.html"), "<p>First input</p>");
        write(QStringLiteral("two.html"), "<p>Second input</p>");
        write(QStringLiteral("three.html"), "<p>Third input</p>");
        QDir().mkpath(path("out"));
    }

    QStringList outputs() const
    {
        return QDir(path("out")).entryList(QDir::Files, QDir::Name);
    }
};

TEST_F(HTMLToPDFBatchTest, OnePdfPerEntryStopsAtTheFirstFailure)
{
    testsupport::ProgressRecorder all, failing, none;
    EXPECT_TRUE(run(entries({"one.html", "two.html"}), url("out"), all, false));
    EXPECT_EQ(outputs(), (QStringList{"one.pdf", "two.pdf"}));
    EXPECT_EQ(all.statuses(), (QList<int>{3, 3}));

    // Existing outputs are kept: the next run picks new names.
    EXPECT_FALSE(run(entries({"one.html", "missing.html", "three.html"}), url("out"), failing,
                     false));
    EXPECT_EQ(outputs(), (QStringList{"one 1.pdf", "one.pdf", "two.pdf"}));
    EXPECT_EQ(failing.statuses(), (QList<int>{3, 3}));

    EXPECT_TRUE(run({}, url("out"), none, false));
    EXPECT_TRUE(none.statuses().isEmpty());
}

TEST_F(HTMLToPDFBatchTest, AllEntriesInOnePdf)
{
    testsupport::ProgressRecorder recorder;
    ASSERT_TRUE(run(entries({"one.html", "two.html", "three.html"}), url("out/all.pdf"), recorder,
                    true, securedAttributes()));
    EXPECT_EQ(recorder.statuses(), (QList<int>{3, 3, 3, 6, 7}));
    EXPECT_TRUE(recorder.reportsOnMainThread());
    const auto facts = inspectPdf(path("out/all.pdf"), QStringLiteral("user"));
    ASSERT_TRUE(facts);
    ASSERT_EQ(facts->pageCount, 3);
    EXPECT_EQ(facts->title, "Web title");
    EXPECT_TRUE(facts->pageTexts[0].contains("First input"));
    EXPECT_TRUE(facts->pageTexts[1].contains("Second input"));
    EXPECT_TRUE(facts->pageTexts[2].contains("Third input"));
    expectPagesOfSize(*facts, kA4Width, kA4Height);
    // No intermediate is left behind.
    EXPECT_EQ(outputs(), QStringList{"all.pdf"});
}

TEST_F(HTMLToPDFBatchTest, MergedRunWithAFailureStillSavesButAnswersNo)
{
    testsupport::ProgressRecorder recorder, empty;
    EXPECT_FALSE(run(entries({"one.html", "missing.html", "three.html"}), url("out/all.pdf"),
                     recorder, true));
    EXPECT_EQ(recorder.statuses(), (QList<int>{3, 3, 6, 7}));
    const auto facts = inspectPdf(path("out/all.pdf"));
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->pageCount, 1);

    // Saving is reported even with nothing to merge.
    EXPECT_TRUE(run({}, url("out/none.pdf"), empty, true));
    EXPECT_EQ(empty.statuses(), (QList<int>{6, 7}));
}

} // namespace
