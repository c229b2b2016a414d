#include "platform/text/rtf/RtfReader.h"
#include "platform/text/rtf/RtfdReader.h"
#include "platform/text/TextReader.h"
#include "tests/support/TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

using namespace platform::text;

namespace {


double units(double points)
{
    return points * QImage(1, 1, QImage::Format_Mono).logicalDpiY() / 72.0;
}

// An RTFD folder with the given text and files beside it.
class RtfdFolder {
public:
    explicit RtfdFolder(const QByteArray& rtf)
        : m_path(m_root.filePath("Doc.rtfd"))
    {
        testsupport::writeFile(m_path + "/TXT.rtf", rtf);
    }
    QString path() const { return m_path; }
    QString root() const { return m_root.path(); }
    void add(const QString& name, const QByteArray& bytes) const
    {
        testsupport::writeFile(m_path + "/" + name, bytes);
    }

private:
    QTemporaryDir m_root;
    QString m_path;
};

QByteArray withAttachment(const QByteArray& graphic, const QByteArray& placeholder = "\\'ac")
{
    return "{\\rtf1\\ansi\\ansicpg1252 Before {{\\NeXTGraphic " + graphic + "}" + placeholder
           + "}After}";
}

} // namespace

TEST(RtfdReader, AttachmentsBecomeImages)
{
    const struct {
        const char* name;
        QByteArray rtf;
        const char* file;
        double width;
        double height;
    } cases[] = {
        {"size in twips", withAttachment("pic.png \\width2400 \\height1200"), "pic.png", 120, 60},
        {"literal placeholder byte", withAttachment("pic.png \\width400 \\height200", "\xac"),
         "pic.png", 20, 10},
        {"unicode placeholder", withAttachment("pic.png \\width400 \\height200", "\\uc0\\u65532 "),
         "pic.png", 20, 10},
        {"no size given", withAttachment("pic.png"), "pic.png", 40, 20},
        {"name with spaces", withAttachment("my picture.png \\width400 \\height200"),
         "my picture.png", 20, 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RtfdFolder folder(c.rtf);
        folder.add(c.file, testsupport::pngBytes(QSize(40, 20), Qt::green));
        QTextDocument document;
        ASSERT_TRUE(readRtfd(folder.path(), document));
        const QList<QTextImageFormat> images = testsupport::imageFormatsOf(document);
        ASSERT_EQ(images.size(), 1);
        EXPECT_DOUBLE_EQ(images[0].width(), units(c.width));
        EXPECT_DOUBLE_EQ(images[0].height(), units(c.height));
        EXPECT_EQ(document.resource(QTextDocument::ImageResource, QUrl(images[0].name()))
                      .value<QImage>()
                      .size(),
                  QSize(40, 20));
        // The placeholder character stands for the attachment: it is not kept.
        EXPECT_EQ(document.toPlainText(),
                  QString("Before ") + QChar::ObjectReplacementCharacter + "After");
    }
}

TEST(RtfdReader, AttachmentsThatCannotBeShownAreLeftOut)
{
    const struct {
        const char* name;
        QByteArray graphic;
    } cases[] = {
        {"missing file", "missing.png \\width400 \\height200"},
        {"outside the folder", "../outside.png \\width400 \\height200"},
        {"absolute path", "%ROOT%/outside.png \\width400 \\height200"},
        {"link leading outside", "link.png \\width400 \\height200"},
        {"not an image", "notes.txt \\width400 \\height200"},
        {"a folder", "sub \\width400 \\height200"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RtfdFolder folder("");
        folder.add("TXT.rtf", withAttachment(c.graphic).replace("%ROOT%", folder.root().toUtf8()));
        testsupport::writeFile(folder.root() + "/outside.png", testsupport::pngBytes(QSize(4, 4), Qt::green));
        QFile::link(folder.root() + "/outside.png", folder.path() + "/link.png");
        folder.add("notes.txt", "text");
        QDir(folder.path()).mkdir("sub");
        QTextDocument document;
        ASSERT_TRUE(readRtfd(folder.path(), document));
        EXPECT_TRUE(testsupport::imageFormatsOf(document).isEmpty());
        EXPECT_EQ(document.toPlainText(), "Before After");
    }
}

TEST(RtfdReader, PlainRtfLeavesAttachmentsOut)
{
    QTextDocument document;
    ASSERT_TRUE(readRtfData(withAttachment("pic.png \\width400 \\height200"), document, QString()));
    EXPECT_TRUE(testsupport::imageFormatsOf(document).isEmpty());
    EXPECT_EQ(document.toPlainText(), "Before After");
}

TEST(RtfdReader, RefusesWhatIsNoRtfdFolder)
{
    QTemporaryDir dir;
    testsupport::writeFile(dir.filePath("flat.rtfd"), "{\\rtf1 flat}");
    QDir(dir.path()).mkdir("empty.rtfd");
    testsupport::writeFile(dir.filePath("bad.rtfd/TXT.rtf"), "no rtf here");
    testsupport::writeFile(dir.filePath("good.rtfd/TXT.rtf"), "{\\rtf1 good}");
    const struct {
        const char* path;
        bool ok;
    } cases[] = {
        {"flat.rtfd", false}, {"empty.rtfd", false}, {"bad.rtfd", false},
        {"missing.rtfd", false}, {"good.rtfd", true},
    };
    for (const auto& c : cases) {
        QTextDocument document;
        EXPECT_EQ(readRtfd(dir.filePath(c.path), document), c.ok) << c.path;
    }
    QTextDocument document;
    readRtfd(dir.filePath("good.rtfd"), document);
    EXPECT_EQ(document.toPlainText(), "good");
}

TEST(RtfdReader, RegistryReadsRtfAndRtfdByType)
{
    QTemporaryDir dir;
    testsupport::writeFile(dir.filePath("a.rtf"), "{\\rtf1 from rtf}");
    testsupport::writeFile(dir.filePath("b.rtfd/TXT.rtf"), "{\\rtf1 from rtfd}");
    const struct {
        const char* path;
        const char* text;
    } cases[] = {{"a.rtf", "from rtf"}, {"b.rtfd", "from rtfd"}};
    for (const auto& c : cases) {
        const auto document = readDocumentFromPath(dir.filePath(c.path));
        ASSERT_TRUE(document) << c.path;
        EXPECT_EQ(document->toPlainText(), c.text);
        QTextDocument replaced;
        replaced.setPlainText("old");
        EXPECT_TRUE(readRTFDFromFile(dir.filePath(c.path), replaced)) << c.path;
        EXPECT_EQ(replaced.toPlainText(), c.text);
    }
}

TEST(RtfdReader, TiffAttachments)
{
    if (!QImageWriter::supportedImageFormats().contains("tiff"))
        GTEST_SKIP() << "Qt has no TIFF plugin here";
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray tiff;
    QBuffer buffer(&tiff);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(image.save(&buffer, "TIFF"));
    const RtfdFolder folder(withAttachment("Pasted Graphic.tiff \\width160 \\height120"));
    folder.add("Pasted Graphic.tiff", tiff);
    QTextDocument document;
    ASSERT_TRUE(readRtfd(folder.path(), document));
    const QList<QTextImageFormat> images = testsupport::imageFormatsOf(document);
    ASSERT_EQ(images.size(), 1);
    EXPECT_DOUBLE_EQ(images[0].width(), units(8));
}
