// Lists of word-processing documents as a word processor writes them: the
// labels their levels give ("2.1.", "a)", "(iv)", a symbol font's bullet),
// counted across levels, restarted by overrides, and placed at the indents
// the document sets.
#include "platform/text/ListLabels.h"
#include "platform/text/TextDefaults.h"
#include "platform/text/word/DocxReader.h"
#include "platform/text/word/WordNumbering.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WordDocumentFixtures.h"

#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

using namespace platform::text;

namespace {

QByteArray item(const char* words, int numId, int level)
{
    return QByteArray("<w:p><w:pPr><w:numPr><w:ilvl w:val=\"") + QByteArray::number(level) + "\"/><w:numId w:val=\""
           + QByteArray::number(numId) + "\"/></w:numPr></w:pPr><w:r><w:t>" + words + "</w:t></w:r></w:p>";
}

// The text before words in their paragraph: the label and what follows it.
QString labelOf(QTextDocument& document, const QString& words)
{
    const QTextCursor found = document.find(words);
    if (found.isNull())
        return QStringLiteral("(missing)");
    const QTextBlock block = found.block();
    return block.text().left(found.selectionStart() - block.position());
}

const QByteArray kNumbering = R"xml(<w:abstractNum w:abstractNumId="1">
<w:lvl w:ilvl="0"><w:start w:val="1"/><w:numFmt w:val="decimal"/><w:lvlText w:val="%1."/><w:pPr><w:ind w:left="720" w:hanging="360"/></w:pPr></w:lvl>
<w:lvl w:ilvl="1"><w:start w:val="1"/><w:numFmt w:val="decimal"/><w:lvlText w:val="%1.%2."/><w:pPr><w:ind w:left="1440" w:hanging="720"/></w:pPr></w:lvl>
<w:lvl w:ilvl="2"><w:start w:val="1"/><w:numFmt w:val="lowerLetter"/><w:lvlText w:val="%3)"/><w:suff w:val="space"/></w:lvl>
<w:lvl w:ilvl="3"><w:start w:val="4"/><w:numFmt w:val="lowerRoman"/><w:lvlText w:val="(%4)"/></w:lvl></w:abstractNum>
<w:abstractNum w:abstractNumId="2"><w:lvl w:ilvl="0"><w:numFmt w:val="bullet"/><w:lvlText w:val="&#xF0FC;"/><w:rPr><w:rFonts w:ascii="Wingdings" w:hAnsi="Wingdings"/></w:rPr></w:lvl>
<w:lvl w:ilvl="1"><w:numFmt w:val="bullet"/><w:lvlText w:val="o"/><w:rPr><w:rFonts w:ascii="Courier New" w:hAnsi="Courier New"/></w:rPr></w:lvl></w:abstractNum>
<w:abstractNum w:abstractNumId="3"><w:lvl w:ilvl="0"><w:start w:val="1"/><w:numFmt w:val="upperLetter"/><w:lvlText w:val="%1."/></w:lvl></w:abstractNum>
<w:num w:numId="1"><w:abstractNumId w:val="1"/></w:num>
<w:num w:numId="2"><w:abstractNumId w:val="2"/></w:num>
<w:num w:numId="3"><w:abstractNumId w:val="3"/></w:num>
<w:num w:numId="4"><w:abstractNumId w:val="3"/><w:lvlOverride w:ilvl="0"><w:startOverride w:val="5"/></w:lvlOverride></w:num>
<w:num w:numId="5"><w:abstractNumId w:val="3"/></w:num>)xml";

} // namespace

TEST(WordListsTest, LabelsAsTheLevelsWriteThem)
{
    const QByteArray body = item("first", 1, 0) + item("second", 1, 0) + item("nested one", 1, 1)
                            + item("nested two", 1, 1) + item("lettered", 1, 2) + item("roman", 1, 3)
                            + item("roman two", 1, 3) + item("back up", 1, 1) + item("third", 1, 0)
                            + item("after third", 1, 1) + item("checked", 2, 0) + item("circled", 2, 1)
                            + item("A item", 3, 0) + item("B item", 3, 0) + item("restarted", 4, 0)
                            + item("goes on", 4, 0) + item("shares the list", 5, 0)
                            + R"(<w:p><w:pPr><w:numPr><w:ilvl w:val="0"/><w:numId w:val="0"/></w:numPr></w:pPr><w:r><w:t>not listed</w:t></w:r></w:p>)";
    QTextDocument document;
    ASSERT_TRUE(readDocxData(testsupport::zipBytes(testsupport::docxEntriesWithBody(body, kNumbering)), document));
    const struct {
        const char* words;
        const char16_t* label;
    } cases[] = {
        {"first", u"1.\t"},           {"second", u"2.\t"},           {"nested one", u"2.1.\t"},
        {"nested two", u"2.2.\t"},    {"lettered", u"a) "},          {"roman", u"(iv)\t"},
        {"roman two", u"(v)\t"},      {"back up", u"2.3.\t"},        {"third", u"3.\t"},
        {"after third", u"3.1.\t"},   {"checked", u"\u2713\t"},      {"circled", u"o\t"},
        {"A item", u"A.\t"},          {"B item", u"B.\t"},
        // An instance that restarts its list counts on its own; one that
        // does not goes on with the list it shares.
        {"restarted", u"E.\t"},       {"goes on", u"F.\t"},          {"shares the list", u"C.\t"},
        {"not listed", u""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(labelOf(document, c.words), QString::fromUtf16(c.label)) << c.words;
    // The bullet is no longer in the symbol font this machine lacks.
    const QTextCharFormat check = testsupport::formatOf(document, QString::fromUtf16(u"\u2713"));
    EXPECT_FALSE(check.fontFamilies().toStringList().contains("Wingdings"));
}

TEST(WordListsTest, ItemsSitAtTheirLevelsIndents)
{
    const QByteArray body = item("first", 1, 0) + item("nested", 1, 1)
                            + R"(<w:p><w:pPr><w:numPr><w:ilvl w:val="0"/><w:numId w:val="1"/></w:numPr><w:ind w:left="1080"/></w:pPr><w:r><w:t>own indent</w:t></w:r></w:p>)";
    QTextDocument document;
    ASSERT_TRUE(readDocxData(testsupport::zipBytes(testsupport::docxEntriesWithBody(body, kNumbering)), document));
    const double unit = layoutUnitsPerPoint();
    const struct {
        const char* words;
        double left, indent, firstStop; // points; the first tab stop from the line's start
    } cases[] = {
        {"first", 36, -18, 18},
        {"nested", 72, -36, 36},
        {"own indent", 54, -18, 18}, // the paragraph's own indent wins
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.words);
        const QTextBlockFormat f = document.find(c.words).block().blockFormat();
        EXPECT_NEAR(f.leftMargin(), c.left * unit, 0.01);
        EXPECT_NEAR(f.textIndent(), c.indent * unit, 0.01);
        ASSERT_FALSE(f.tabPositions().isEmpty());
        EXPECT_NEAR(f.tabPositions().first().position, c.firstStop * unit, 0.01);
    }
}

TEST(WordListsTest, NumberFormats)
{
    const struct {
        const char* format;
        int n;
        const char* text;
    } cases[] = {
        {"decimal", 12, "12"},    {"lowerLetter", 1, "a"},   {"lowerLetter", 27, "aa"},  {"upperLetter", 53, "AAA"},
        {"lowerRoman", 4, "iv"},  {"upperRoman", 1994, "MCMXCIV"}, {"upperRoman", 4000, "4000"},
        {"decimalZero", 7, "07"}, {"decimalZero", 12, "12"}, {"ordinal", 2, "2nd"},     {"ordinal", 13, "13th"},
        {"bullet", 3, ""},        {"none", 3, ""},           {"unknownFormat", 5, "5"},  {"lowerLetter", 0, "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatListNumber(QString::fromLatin1(c.format), c.n), c.text) << c.format << " " << c.n;
}

TEST(WordListsTest, LegalNumbersAndDamagedNumbering)
{
    // Legal numbering writes the levels above in decimals.
    ListCounters counters;
    QList<ListLevelLook> levels(2);
    levels[0].numberFormat = "upperRoman";
    levels[1].text = "%1.%2";
    levels[1].legal = true;
    EXPECT_EQ(counters.next("k", 0, levels), "I.");
    EXPECT_EQ(counters.next("k", 1, levels), "1.1");
    // Levels out of range and placeholders of deeper levels are bounded.
    levels[0].text = "%9%2%1";
    EXPECT_EQ(counters.next("k", 42, levels), "I."); // the last level, of default look
    EXPECT_EQ(counters.next("k", -3, levels), "II");

    WordNumbering numbering;
    EXPECT_FALSE(numbering.read(QByteArray("<w:numbering xmlns:w=\"urn:w\"><w:abstractNum"), {}));
    EXPECT_TRUE(numbering.read(QByteArray(R"(<w:numbering xmlns:w="urn:w"><w:num w:numId="7"><w:abstractNumId w:val="7"/></w:num>
<w:abstractNum w:abstractNumId="8"><w:lvl w:ilvl="99"><w:start w:val="-5"/><w:lvlText w:val="%1"/></w:lvl></w:abstractNum></w:numbering>)"), {}));
    EXPECT_FALSE(numbering.item("7", 0)) << "an instance of no list";
    EXPECT_FALSE(numbering.item("0", 0));
    const auto last = numbering.item("8", 200);
    ASSERT_TRUE(last);
    EXPECT_EQ(last->levels.size(), kMaxListLevels);
    EXPECT_EQ(last->levels[kMaxListLevels - 1].start, 0);
}
