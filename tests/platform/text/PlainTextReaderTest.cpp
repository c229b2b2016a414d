#include "platform/text/PlainTextReader.h"
#include "platform/text/TextFileBytes.h"
#include "platform/text/Windows1252.h"
#include "tests/support/EncodedTexts.h"
#include "tests/support/TemporaryFolderTest.h"

#include <QFont>
#include <QTemporaryDir>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

class PlainTextReaderTest : public testsupport::TemporaryFolderTest {};

TEST_F(PlainTextReaderTest, GuessesTheEncodingFromTheBytes)
{
    const QString text = QStringLiteral("Gr\u00fc\u00dfe, caf\u00e9 \u20ac \u4e2d\u6587 \U0001F600");
    QByteArray utf16le("\xFF\xFE", 2), utf16be("\xFE\xFF", 2);
    for (const QChar c : text) {
        const char low = char(c.unicode() & 0xFF), high = char(c.unicode() >> 8);
        utf16le.append(low).append(high);
        utf16be.append(high).append(low);
    }
    const struct {
        const char* name;
        QByteArray bytes;
        QString expected;
    } cases[] = {
        {"UTF-8", text.toUtf8(), text},
        {"UTF-8 with byte-order mark", "\xEF\xBB\xBF" + text.toUtf8(), text},
        {"UTF-16 LE with mark", utf16le, text},
        {"UTF-16 BE with mark", utf16be, text},
        {"Latin-1 bytes are no valid UTF-8", "caf\xE9 cr\xE8me \xA3", QStringLiteral("caf\u00e9 cr\u00e8me \u00a3")},
        {"UTF-8 cut inside its last character", "ok \xC3\xA9 \xE2\x82", QStringLiteral("ok \u00e9 \uFFFD")},
        {"plain ASCII", "just ascii", QStringLiteral("just ascii")},
        {"empty file", "", QString()},
        {"Windows and old Mac line ends", "one\r\ntwo\rthree\nfour", QStringLiteral("one\ntwo\nthree\nfour")},
        {"tabs stay", "a\tb", QStringLiteral("a\tb")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        ASSERT_TRUE(platform::text::readPlainText(write(QStringLiteral("f.txt"), c.bytes), document));
        EXPECT_EQ(document.toPlainText(), c.expected);
    }
}

TEST_F(PlainTextReaderTest, DetectsTheEncodingsPeopleWriteIn)
{
    for (const testsupport::EncodedText& c : testsupport::encodedTexts()) {
        SCOPED_TRACE(c.encoding.toStdString());
        EXPECT_EQ(platform::text::decodeText(c.bytes).toStdString(), c.text.toStdString());
        // Also far into a long file of plain ASCII.
        const QByteArray ascii = QByteArray(100000, 'a') + "\n";
        if (c.encoding.startsWith("UTF-16"))
            continue;
        EXPECT_EQ(platform::text::decodeText(ascii + c.bytes).toStdString(),
                  (QString::fromLatin1(ascii) + c.text).toStdString());
    }
}

TEST_F(PlainTextReaderTest, OneWindows1252Table)
{
    // The five bytes the code page leaves out keep their value.
    const QByteArray bytes("\x80\x81\x8D\x8F\x90\x9D\x9F\xA0\xFF");
    EXPECT_EQ(platform::text::decodeWindows1252(bytes),
              QString::fromUtf16(u"\u20AC\u0081\u008D\u008F\u0090\u009D\u0178\u00A0\u00FF"));
}

TEST_F(PlainTextReaderTest, UsesThePlainTextFontAndReplacesContent)
{
    QTextDocument document;
    document.setPlainText(QStringLiteral("old content"));
    ASSERT_TRUE(platform::text::readPlainText(write(QStringLiteral("f.txt"), "new"), document));
    EXPECT_EQ(document.toPlainText(), QLatin1String("new"));
    EXPECT_EQ(document.defaultFont().family(), QLatin1String("Helvetica"));
    EXPECT_EQ(document.defaultFont().pointSize(), 12);
}

TEST_F(PlainTextReaderTest, ReadsAMegabyte)
{
    const QByteArray line = "int main(int argc, char** argv) { return argc > 1 ? 0 : 1; } // comment\n";
    const QString path = write(QStringLiteral("big.c"), line.repeated(1024 * 1024 / line.size() + 1));
    QTextDocument document;
    ASSERT_TRUE(platform::text::readPlainText(path, document));
    EXPECT_GT(document.blockCount(), 14000);
}

TEST_F(PlainTextReaderTest, RefusesWhatIsNoReadableFile)
{
    const QString huge = dir.filePath(QStringLiteral("huge.txt"));
    {
        // Sparse: costs no disk space, but is one byte over the bound.
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(platform::text::kMaxTextFileBytes + 1));
    }
    const struct {
        const char* name;
        QString path;
    } cases[] = {
        {"missing", dir.filePath(QStringLiteral("missing.txt"))},
        {"folder", dir.path()},
        {"device", QStringLiteral("/dev/zero")},
        {"too large", huge},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        EXPECT_FALSE(platform::text::readPlainText(c.path, document));
    }
}

} // namespace
