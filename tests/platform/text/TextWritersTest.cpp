#include "platform/text/PlainTextReader.h"
#include "platform/text/PlainTextWriter.h"
#include "platform/text/odf/OdtReader.h"
#include "platform/text/odf/OdtWriter.h"
#include "platform/text/rtf/RtfReader.h"
#include "platform/text/rtf/RtfWriter.h"
#include "platform/text/rtf/RtfdReader.h"
#include "platform/text/rtf/RtfdWriter.h"
#include "platform/text/word/CompoundFile.h"
#include "platform/text/word/CompoundFileWriter.h"
#include "platform/text/word/DocReader.h"
#include "platform/text/word/DocWriter.h"
#include "platform/text/word/DocxReader.h"
#include "platform/text/word/DocxWriter.h"
#include "tests/support/TemporaryFolderTest.h"

#include <QDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>

#include <functional>

namespace text = platform::text;

namespace {

struct SampleRun {
    QString text;
    QString family;
    double points;
    bool bold, italic, underline, strikeOut;
    QColor color; // invalid: automatic
};

// Paragraphs of runs that exercise every look a writer carries and the
// characters that need escaping.
QList<QList<SampleRun>> sampleParagraphs()
{
    const QString sans = QStringLiteral("DejaVu Sans"), serif = QStringLiteral("DejaVu Serif");
    return {
        {{QStringLiteral("Heading line"), serif, 20, true, false, false, false, {}}},
        {{QStringLiteral("Plain words, "), sans, 12, false, false, false, false, {}},
         {QStringLiteral("bold words"), sans, 12, true, false, false, false, {}},
         {QStringLiteral(", "), sans, 12, false, false, false, false, {}},
         {QStringLiteral("italic words"), sans, 12, false, true, false, false, {}},
         {QStringLiteral(", "), sans, 12, false, false, false, false, {}},
         {QStringLiteral("red words"), sans, 12, false, false, false, false, QColor(255, 0, 0)},
         {QStringLiteral(", "), sans, 12, false, false, false, false, {}},
         {QStringLiteral("underlined words"), sans, 12, false, false, true, false, {}},
         {QStringLiteral(" and "), sans, 12, false, false, false, false, {}},
         {QStringLiteral("struck words"), sans, 10.5, false, false, false, true, QColor(0, 0, 255)}},
        {{QStringLiteral("Escapes {braces} \\back\\ tab\there"), sans, 12, false, false, false, false, {}},
         {QString(QChar::LineSeparator) + QStringLiteral("next line"), sans, 12, false, false, false, false, {}}},
        {},
        {{QStringLiteral("  leading, two  and three   spaces "), sans, 12, false, false, false, false, {}},
         {QStringLiteral(" across runs "), sans, 12, true, false, false, false, {}}},
        {{QStringLiteral("Unicode é ü ß € 漢字 ") + QString::fromUcs4(U"\U0001F600") + QStringLiteral(" done"), serif,
          14, false, true, false, false, QColor(0, 128, 0)}},
    };
}

std::unique_ptr<QTextDocument> sampleDocument()
{
    auto document = std::make_unique<QTextDocument>();
    document->setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 12));
    QTextCursor cursor(document.get());
    bool first = true;
    for (const QList<SampleRun>& paragraph : sampleParagraphs()) {
        if (!first)
            cursor.insertBlock();
        first = false;
        for (const SampleRun& run : paragraph) {
            QTextCharFormat format;
            format.setFontFamilies({run.family});
            format.setFontPointSize(run.points);
            format.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
            format.setFontItalic(run.italic);
            format.setFontUnderline(run.underline);
            format.setFontStrikeOut(run.strikeOut);
            if (run.color.isValid())
                format.setForeground(run.color);
            cursor.insertText(run.text, format);
        }
    }
    return document;
}

QString samplePlainText()
{
    QStringList lines;
    for (const QList<SampleRun>& paragraph : sampleParagraphs()) {
        QString line;
        for (const SampleRun& run : paragraph)
            line += run.text;
        lines << line.replace(QChar::LineSeparator, QLatin1Char('\n'));
    }
    return lines.join(QLatin1Char('\n'));
}

struct Format {
    const char* name;
    const char* file;
    std::function<bool(const QTextDocument&, const QString&)> write;
    std::function<bool(const QString&, QTextDocument&)> read;
    bool rich;
};

QList<Format> formats()
{
    return {
        {"UTF-8", "out.txt",
         [](const QTextDocument& d, const QString& p) {
             return text::writePlainText(d, p, text::PlainTextEncoding::Utf8);
         },
         text::readPlainText, false},
        {"UTF-16", "out16.txt",
         [](const QTextDocument& d, const QString& p) {
             return text::writePlainText(d, p, text::PlainTextEncoding::Utf16);
         },
         text::readPlainText, false},
        {"RTF", "out.rtf", text::writeRtf, text::readRtf, true},
        {"RTFD", "out.rtfd", text::writeRtfd, text::readRtfd, true},
        {"DOC", "out.doc", text::writeDoc, text::readDoc, true},
        {"DOCX", "out.docx", text::writeDocx, text::readDocx, true},
        {"ODT", "out.odt", text::writeOdt, text::readOdt, true},
    };
}

class TextWritersTest : public testsupport::TemporaryFolderTest { };

TEST_F(TextWritersTest, EachFormatReadsBackAsWritten)
{
    const auto document = sampleDocument();
    for (const Format& format : formats()) {
        SCOPED_TRACE(format.name);
        const QString file = path(QString::fromLatin1(format.file));
        ASSERT_TRUE(format.write(*document, file));
        QTextDocument read;
        ASSERT_TRUE(format.read(file, read));
        EXPECT_EQ(read.toPlainText().toStdU16String(), samplePlainText().toStdU16String());
        if (!format.rich)
            continue;
        for (const QList<SampleRun>& paragraph : sampleParagraphs()) {
            for (const SampleRun& run : paragraph) {
                const QString words = run.text.trimmed();
                if (words.size() < 4 || words.contains(QChar::LineSeparator))
                    continue;
                SCOPED_TRACE(words.toStdString());
                const QTextCharFormat got = testsupport::formatOf(read, words.left(8));
                const QFont font = got.font().resolve(read.defaultFont());
                EXPECT_EQ(font.families().value(0), run.family);
                EXPECT_DOUBLE_EQ(font.pointSizeF(), run.points);
                EXPECT_EQ(font.weight() >= QFont::DemiBold, run.bold);
                EXPECT_EQ(font.italic(), run.italic);
                EXPECT_EQ(font.underline(), run.underline);
                EXPECT_EQ(font.strikeOut(), run.strikeOut);
                const QColor color = got.foreground().style() == Qt::NoBrush ? QColor() : got.foreground().color();
                EXPECT_EQ(color.isValid() ? color.rgb() : 0, run.color.isValid() ? run.color.rgb() : 0);
            }
        }
    }
}

TEST_F(TextWritersTest, AFailedWriteLeavesTheOldFileAlone)
{
    const auto document = sampleDocument();
    for (const Format& format : formats()) {
        SCOPED_TRACE(format.name);
        EXPECT_FALSE(format.write(*document, path(QStringLiteral("missing/") + QString::fromLatin1(format.file))));
    }
    // A folder where the file should go is never replaced by a file, nor a
    // file by a folder.
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("taken.rtf"))));
    EXPECT_FALSE(text::writeRtf(*document, path(QStringLiteral("taken.rtf"))));
    write(QStringLiteral("taken.rtfd"), "a file");
    EXPECT_FALSE(text::writeRtfd(*document, path(QStringLiteral("taken.rtfd"))));
    EXPECT_EQ(testsupport::readFile(path(QStringLiteral("taken.rtfd"))), QByteArray("a file"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{"taken.rtf", "taken.rtfd"}));
}

TEST_F(TextWritersTest, RtfdReplacesAnOldFolderWhole)
{
    const auto document = sampleDocument();
    write(QStringLiteral("old.rtfd/TXT.rtf"), "{\\rtf1 old}");
    write(QStringLiteral("old.rtfd/picture.png"), "old picture");
    ASSERT_TRUE(text::writeRtfd(*document, path(QStringLiteral("old.rtfd"))));
    EXPECT_EQ(QDir(path(QStringLiteral("old.rtfd"))).entryList(QDir::Files), QStringList{"TXT.rtf"});
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"old.rtfd"});
}

TEST_F(TextWritersTest, RtfIsAsciiWithUnicodeEscapes)
{
    const QByteArray rtf = text::rtfData(*sampleDocument());
    for (const char c : rtf)
        ASSERT_TRUE(uchar(c) < 0x80);
    EXPECT_TRUE(rtf.startsWith("{\\rtf1"));
    EXPECT_TRUE(rtf.contains("\\u233?")); // é
    EXPECT_TRUE(rtf.contains("\\u-10179?\\u-8704?")); // the emoji's surrogates
    EXPECT_TRUE(rtf.contains("{\\fonttbl{\\f0\\fnil\\fcharset0 DejaVu Sans;}{\\f1\\fnil\\fcharset0 DejaVu Serif;}}"));
    EXPECT_TRUE(rtf.contains("{\\colortbl;\\red255\\green0\\blue0;"));
}

TEST_F(TextWritersTest, OpenDocumentStartsWithItsStoredMimeType)
{
    const std::optional<QByteArray> odt = text::odtData(*sampleDocument());
    ASSERT_TRUE(odt);
    // The first local header: name at 30, the stored bytes right after it.
    EXPECT_EQ(odt->mid(30, 8), QByteArray("mimetype"));
    EXPECT_EQ(odt->mid(38, 39), QByteArray("application/vnd.oasis.opendocument.text"));
}

TEST(CompoundFileWriterTest, EveryStreamIsFoundByName)
{
    // Sizes around the sector and mini-stream bounds, and one stream large
    // enough that the allocation table outgrows the header's 109 entries.
    const QList<QPair<QString, QByteArray>> streams{
        {QStringLiteral("WordDocument"), QByteArray(5000, 'w')},
        {QStringLiteral("1Table"), QByteArray(100, 't')},
        {QStringLiteral("Data"), QByteArray(4096, 'd')},
        {QStringLiteral("Large"), QByteArray(8 * 1024 * 1024 + 3, 'L')},
        {QString(QChar(5)) + QStringLiteral("SummaryInformation"), QByteArray(513, 's')},
    };
    const std::optional<QByteArray> file = text::compoundFileData(streams);
    ASSERT_TRUE(file);
    const std::optional<text::CompoundFile> read = text::CompoundFile::parse(*file);
    ASSERT_TRUE(read);
    for (const auto& [name, bytes] : streams) {
        const std::optional<QByteArray> stream = read->stream(name);
        ASSERT_TRUE(stream) << name.toStdString();
        // Short streams come back padded to the mini-stream cutoff.
        EXPECT_EQ(stream->left(bytes.size()), bytes) << name.toStdString();
        EXPECT_EQ(stream->size(), std::max<qsizetype>(bytes.size(), 4096)) << name.toStdString();
    }
    EXPECT_FALSE(read->hasStream(QStringLiteral("Missing")));
    EXPECT_FALSE(text::compoundFileData({{QStringLiteral("Twice"), {}}, {QStringLiteral("TWICE"), {}}}));
    EXPECT_FALSE(text::compoundFileData({{QString(32, u'n'), {}}}));
}

} // namespace
