#include "platform/text/TextReader.h"
#include "platform/text/TextFileBytes.h"
#include "tests/support/TemporaryFolderTest.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

class TextReadersTest : public testsupport::TemporaryFolderTest {};

TEST_F(TextReadersTest, TypesAreTheUnionOfTheReadersTypes)
{
    const QStringList types = platform::text::textTypes();
    for (const char* type : {"public.plain-text", "public.html", "public.xhtml"})
        EXPECT_TRUE(types.contains(QLatin1String(type))) << type;
    EXPECT_EQ(types.size(), QSet<QString>(types.begin(), types.end()).size()) << "no duplicates";
    for (const platform::text::TextReader& reader : platform::text::textReaders())
        for (const QString& type : reader.types)
            EXPECT_TRUE(types.contains(type)) << reader.name;
}

TEST_F(TextReadersTest, PicksTheReaderByTheFilesType)
{
    const QByteArray markup = "<p>a <b>b</b></p>";
    const struct {
        const char* name;
        QString file;
        QByteArray bytes;
        bool read;
        QString text;
    } cases[] = {
        {"plain text keeps markup as text", QStringLiteral("a.txt"), markup, true, QString::fromLatin1(markup)},
        {"source code is plain text", QStringLiteral("a.py"), "print('x')\n", true, QStringLiteral("print('x')\n")},
        {"HTML is parsed", QStringLiteral("a.html"), markup, true, QStringLiteral("a b")},
        {"XHTML is parsed", QStringLiteral("a.xhtml"), markup, true, QStringLiteral("a b")},
        {"RTF goes to the RTF reader", QStringLiteral("a.rtf"), "{\\rtf1\\ansi Rich \\b words\\b0.\\par}", true,
         QStringLiteral("Rich words.\n")},
        {"no reader for PDF", QStringLiteral("a.pdf"), "%PDF-1.4\n", false, {}},
        {"no reader for images", QStringLiteral("a.png"), "\x89PNG\r\n\x1a\n", false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::unique_ptr<QTextDocument> document
            = platform::text::readDocumentFromPath(write(c.file, c.bytes));
        ASSERT_EQ(document != nullptr, c.read);
        if (document) {
            EXPECT_EQ(document->toPlainText().toStdString(), c.text.toStdString());
        }
    }
}

TEST_F(TextReadersTest, NoDocumentForMissingOrUnreadableFiles)
{
    const QString huge = dir.filePath(QStringLiteral("huge.txt"));
    {
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(platform::text::kMaxTextFileBytes + 1)); // sparse, over the bound
    }
    for (const QString& path : {dir.filePath(QStringLiteral("missing.txt")), huge, dir.path(), QString()}) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_EQ(platform::text::readDocumentFromPath(path), nullptr);
    }
}

TEST_F(TextReadersTest, RtfdReadingReplacesTheContentWithAnRtfFile)
{
    QTextDocument document;
    document.setPlainText(QStringLiteral("old"));
    ASSERT_TRUE(platform::text::readRTFDFromFile(write(QStringLiteral("r.rtf"), "{\\rtf1\\ansi New text.\\par}"),
                                                 document));
    EXPECT_EQ(document.toPlainText().trimmed().toStdString(), "New text.");
}

TEST_F(TextReadersTest, RtfdReadingTakesNoOtherKindOfFile)
{
    for (const QString& path : {write(QStringLiteral("a.txt"), "text"), write(QStringLiteral("a.html"), "<p>x</p>"),
                                dir.filePath(QStringLiteral("missing.rtf"))}) {
        SCOPED_TRACE(path.toStdString());
        QTextDocument document;
        document.setPlainText(QStringLiteral("kept"));
        EXPECT_FALSE(platform::text::readRTFDFromFile(path, document));
        EXPECT_EQ(document.toPlainText(), QLatin1String("kept"));
    }
}

} // namespace
