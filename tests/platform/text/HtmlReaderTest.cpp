#include "platform/text/HtmlReader.h"
#include "platform/text/TextPrinter.h"
#include "tests/support/PdfInspection.h"
#include "tests/support/TemporaryFolderTest.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

class HtmlReaderTest : public testsupport::TemporaryFolderTest {};


QSizeF imageSizeOf(QTextDocument& document, const QString& name)
{
    // Loaded images are kept as the file's bytes or as a decoded image.
    const QVariant resource = document.resource(QTextDocument::ImageResource, QUrl(name));
    if (resource.metaType() == QMetaType::fromType<QImage>())
        return resource.value<QImage>().size();
    return QImage::fromData(resource.toByteArray()).size();
}

TEST_F(HtmlReaderTest, ReadsTextAndStructure)
{
    QTextDocument document;
    ASSERT_TRUE(platform::text::readHtml(
        write(QStringLiteral("page.html"),
              "<html><head><title>T</title></head><body><h1>Head</h1><p>Some <b>bold</b> text</p>"
              "<table><tr><td>cell</td></tr></table></body></html>"),
        document));
    EXPECT_EQ(document.toPlainText().simplified(), QLatin1String("Head Some bold text cell"));
}

TEST_F(HtmlReaderTest, DecodesByMarkOrDeclaredCharset)
{
    const QString expected = QStringLiteral("caf\u00e9 \u00fcber");
    QByteArray utf16("\xFF\xFE", 2);
    for (const QChar c : QStringLiteral("<p>") + expected + QStringLiteral("</p>"))
        utf16.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"UTF-8 without declaration", "<p>caf\xC3\xA9 \xC3\xBC" "ber</p>"},
        {"declared Latin-1", "<html><head><meta charset=\"iso-8859-1\"></head><body><p>caf\xE9 \xFC" "ber</p></body></html>"},
        {"Latin-1 bytes without declaration", "<p>caf\xE9 \xFC" "ber</p>"},
        {"UTF-16 with mark", utf16},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        ASSERT_TRUE(platform::text::readHtml(write(QStringLiteral("c.html"), c.bytes), document));
        EXPECT_EQ(document.toPlainText().trimmed(), expected);
    }
}

TEST_F(HtmlReaderTest, ReadsXhtml)
{
    QTextDocument document;
    ASSERT_TRUE(platform::text::readHtml(
        write(QStringLiteral("page.xhtml"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" "
              "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">\n"
              "<html xmlns=\"http://www.w3.org/1999/xhtml\"><body><p>first<br/>second</p></body></html>"),
        document));
    EXPECT_EQ(document.toPlainText().trimmed().toStdString(), "first\nsecond");
}

TEST_F(HtmlReaderTest, LoadsImagesFromTheDocumentsFolderOnly)
{
    write(QStringLiteral("site/img/pic.png"), testsupport::pngBytes(QSize(37, 21)));
    write(QStringLiteral("elsewhere.png"), testsupport::pngBytes(QSize(5, 5)));
    const QString page = write(QStringLiteral("site/page.html"),
                               "<p><img src=\"img/pic.png\"><img src=\"http://127.0.0.1:9/remote.png\">"
                               "<img src=\"/dev/zero\"><img src=\"missing.png\"></p>");
    QTextDocument document;
    ASSERT_TRUE(platform::text::readHtml(page, document));
    document.documentLayout()->documentSize(); // loads the images
    EXPECT_EQ(imageSizeOf(document, QStringLiteral("img/pic.png")), QSizeF(37, 21));
    EXPECT_TRUE(imageSizeOf(document, QStringLiteral("http://127.0.0.1:9/remote.png")).isEmpty());
    EXPECT_TRUE(imageSizeOf(document, QStringLiteral("/dev/zero")).isEmpty());
    EXPECT_TRUE(imageSizeOf(document, QStringLiteral("missing.png")).isEmpty());
}

TEST_F(HtmlReaderTest, RelativeImagesPrintAfterTheDocumentIsAppended)
{
    // As a job does: read, append into its own document, print.
    write(QStringLiteral("site/img/pic.png"), testsupport::pngBytes(QSize(120, 80)));
    const std::unique_ptr<QTextDocument> read = platform::text::readDocumentFromPath(
        write(QStringLiteral("site/page.html"), "<p>Picture:</p><p><img src=\"img/pic.png\"></p>"));
    ASSERT_TRUE(read);
    QTextDocument job;
    platform::text::appendDocument(job, *read);
    platform::text::PrintSettings settings;
    settings.paperSize = QSizeF(300, 300);
    const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
    ASSERT_TRUE(platform::text::printToPDF(job, settings, pdf));
    const QImage page = testsupport::renderPdfPage(pdf, 0, 72).convertToFormat(QImage::Format_RGB32);
    int blue = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            blue += qBlue(page.pixel(x, y)) > 200 && qRed(page.pixel(x, y)) < 60;
    EXPECT_GT(blue, 120 * 80 / 4);
}

TEST_F(HtmlReaderTest, MissingFileFails)
{
    QTextDocument document;
    EXPECT_FALSE(platform::text::readHtml(dir.filePath(QStringLiteral("none.html")), document));
}

} // namespace
