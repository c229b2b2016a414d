// Word-processing files read for what they are: the main part found through
// the package's relationships, byte-order marks, stream names in any case,
// and the reader chosen by content when the name says another format.
#include "platform/text/TextReader.h"
#include "platform/text/word/DocReader.h"
#include "platform/text/word/DocxReader.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WordDocumentFixtures.h"

#include <QTemporaryDir>
#include <QTextDocument>
#include <gtest/gtest.h>

using namespace platform::text;

TEST(WordFilesTest, TheMainPartIsWhereTheRelationshipsSay)
{
    const QByteArray bom = "\xEF\xBB\xBF";
    auto entries = testsupport::sampleDocxEntries();
    for (auto& [name, bytes] : entries) {
        if (name == u"word/document.xml")
            name = QStringLiteral("word/document2.xml");
        if (name == u"_rels/.rels")
            bytes.replace("Target=\"word/document.xml\"", "Target=\"/word/document2.xml\"");
        if (name == u"word/_rels/document.xml.rels")
            name = QStringLiteral("word/_rels/document2.xml.rels");
        if (name.endsWith(u".xml") || name.endsWith(u".rels"))
            bytes.prepend(bom);
    }
    QTextDocument document;
    ASSERT_TRUE(readDocxData(testsupport::zipBytes(entries), document));
    EXPECT_TRUE(document.toPlainText().contains("cell B2"));
    EXPECT_TRUE(document.toPlainText().contains("bold words"));
}

TEST(WordFilesTest, CompoundFileStreamNamesInAnyCase)
{
    auto streams = testsupport::sampleDocStreams();
    for (auto& [name, bytes] : streams)
        name = name == u"WordDocument" ? QStringLiteral("WORDDOCUMENT") : name.toLower();
    QTextDocument document;
    ASSERT_TRUE(readDocData(testsupport::compoundFile(streams), document));
    EXPECT_TRUE(document.toPlainText().contains("Report Title"));
}

TEST(WordFilesTest, TheReaderFollowsTheContentWhenTheNameMisleads)
{
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"macro-enabled.docm", testsupport::sampleDoc()},
        {"older.doc", testsupport::sampleDocx()},
        {"saved-as.doc", QByteArray("{\\rtf1\\ansi Report Title\\par}")},
        {"flat.odt", testsupport::sampleFlatOdt()},
        {"mark and white space first.doc", QByteArray("\xEF\xBB\xBF \r\n{\\rtf1\\ansi \\b Report Title\\b0\\par}")},
        {"white space first.rtf", QByteArray(" \r\n\t{\\rtf1\\ansi Report Title\\par}")},
        // Shown as the text it is, as word processors show it.
        {"no header.rtf", QByteArray("Report Title, written without RTF\n")},
    };
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::writeFile(dir.filePath(c.name), c.bytes);
        const std::unique_ptr<QTextDocument> document = readDocumentFromPath(dir.filePath(c.name));
        ASSERT_NE(document, nullptr);
        EXPECT_TRUE(document->toPlainText().contains("Report Title"));
        EXPECT_FALSE(document->toPlainText().contains("rtf1"));
    }
    // What no reader takes stays refused.
    testsupport::writeFile(dir.filePath("junk.docx"), QByteArray(100, 'x'));
    EXPECT_EQ(readDocumentFromPath(dir.filePath("junk.docx")), nullptr);
}
