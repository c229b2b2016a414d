// Word 6 and Word 95 documents read by the Word binary reader: files the
// tests write with their own Word 6 writer.
#include "platform/text/TextDefaults.h"
#include "platform/text/word/DocReader.h"
#include "tests/support/TestSupport.h"
#include "tests/support/Word6Builder.h"
#include "tests/support/WordDocumentFixtures.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace platform::text;
using testsupport::formatOf;
using testsupport::word6Sprm;
using testsupport::word6Sprm16;
using testsupport::word6Sprm8;
using testsupport::Word6Builder;

namespace {

// One-byte codes of the modifiers the tests write.
enum : quint8 {
    PJc = 5,
    PAnld = 12,
    PNLvlAnm = 13,
    PPageBreakBefore = 9,
    PDxaRight = 16,
    PDxaLeft = 17,
    PDxaLeft1 = 19,
    PDyaLine = 20,
    PDyaBefore = 21,
    PDyaAfter = 22,
    PFInTable = 24,
    PFTtp = 25,
    CIstd = 80,
    CFBold = 85,
    CFItalic = 86,
    CFStrike = 87,
    CFSmallCaps = 90,
    CFVanish = 92,
    CFtc = 93,
    CKul = 94,
    CIco = 98,
    CHps = 99,
    CIss = 104,
    SFTitlePage = 143,
    SGprfIhdt = 153,
    SDyaHdrTop = 156,
    SDyaHdrBottom = 157,
    TTableBorders = 187,
    TDefTable = 190,
};

QTextBlockFormat blockOf(const QTextDocument& document, const QString& words)
{
    return document.find(words).block().blockFormat();
}

QTextTable* firstTable(const QTextDocument& document)
{
    for (QTextFrame* frame : document.rootFrame()->childFrames())
        if (auto* table = qobject_cast<QTextTable*>(frame))
            return table;
    return nullptr;
}

double points(double layoutUnits)
{
    return layoutUnits / layoutUnitsPerPoint();
}

QByteArray lineSpacing(qint16 line, bool multiple)
{
    return word6Sprm(PDyaLine, testsupport::le16(quint16(line)) + testsupport::le16(multiple ? 1 : 0));
}

// Word 6 and Word 95 share the format; each case is read in both.
class Word6ReaderTest : public ::testing::TestWithParam<quint16> {
protected:
    bool read(Word6Builder& b, QTextDocument& document)
    {
        b.setVersion(GetParam());
        return readDocData(b.build(), document);
    }
};

} // namespace

TEST_P(Word6ReaderTest, CharacterFormattingOverTheStyles)
{
    Word6Builder b;
    b.setStyles({{true, 0, 0xFFF, "Normal", {}, word6Sprm16(CHps, 22)},
                 {true, 1, 0, "heading 1", {}, word6Sprm8(CFBold, 1) + word6Sprm16(CHps, 36)},
                 {},
                 {false, 0xFFE, 0xFFF, "Emphasis", {}, word6Sprm8(CFItalic, 1) + word6Sprm8(CIco, 2)}});
    b.paragraph({{"Heading words\r", {}}}, {}, 1);
    b.paragraph({{"plain words ", {}},
                 {"bold words", word6Sprm8(CFBold, 1)},
                 {" italic words", word6Sprm8(CFItalic, 1)},
                 {" large words", word6Sprm16(CHps, 48)},
                 {" underlined words", word6Sprm8(CKul, 1)},
                 {" struck words", word6Sprm8(CFStrike, 1)},
                 {" red words", word6Sprm8(CIco, 6)},
                 {" mono words", word6Sprm16(CFtc, 1)},
                 {" raised words", word6Sprm8(CIss, 1)},
                 {" small capitals", word6Sprm8(CFSmallCaps, 1)},
                 {" emphasised words", word6Sprm16(CIstd, 3)},
                 {"\r", {}}});
    b.paragraph({{"not bold in the heading", word6Sprm8(CFBold, 0)}, {" turned over", word6Sprm8(CFBold, 0x81)}, {"\r", {}}}, {}, 1);
    QTextDocument document;
    ASSERT_TRUE(read(b, document));
    EXPECT_EQ(document.toPlainText().count("words"), 11);

    const struct {
        const char* words;
        double points;
        bool bold, italic, underline, strike;
        const char* family;
    } cases[] = {
        {"Heading words", 18, true, false, false, false, "Arial"},
        {"plain words", 11, false, false, false, false, "Arial"},
        {"bold words", 11, true, false, false, false, "Arial"},
        {"italic words", 11, false, true, false, false, "Arial"},
        {"large words", 24, false, false, false, false, "Arial"},
        {"underlined words", 11, false, false, true, false, "Arial"},
        {"struck words", 11, false, false, false, true, "Arial"},
        {"mono words", 11, false, false, false, false, "Courier New"},
        {"emphasised words", 11, false, true, false, false, "Arial"},
        {"not bold in the heading", 18, false, false, false, false, "Arial"},
        {"turned over", 18, false, false, false, false, "Arial"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.words);
        const QTextCharFormat f = formatOf(document, c.words);
        const QFont font = f.font().resolve(document.defaultFont());
        EXPECT_EQ(font.pointSizeF(), c.points);
        EXPECT_EQ(f.fontWeight() >= QFont::Bold, c.bold);
        EXPECT_EQ(f.fontItalic(), c.italic);
        EXPECT_EQ(f.fontUnderline(), c.underline);
        EXPECT_EQ(f.fontStrikeOut(), c.strike);
        EXPECT_EQ(font.families().value(0), c.family);
    }
    EXPECT_EQ(formatOf(document, "red words").foreground().color(), QColor(Qt::red));
    EXPECT_EQ(formatOf(document, "emphasised words").foreground().color(), QColor(Qt::blue));
    EXPECT_EQ(formatOf(document, "raised words").verticalAlignment(), QTextCharFormat::AlignSuperScript);
    EXPECT_EQ(formatOf(document, "small capitals").fontCapitalization(), QFont::SmallCaps);
    EXPECT_EQ(blockOf(document, "Heading words").headingLevel(), 1);
    EXPECT_EQ(blockOf(document, "plain words").headingLevel(), 0);
    // What no style sets: the style sheet's font at ten points.
    EXPECT_EQ(document.defaultFont().family(), "Arial");
}

TEST_P(Word6ReaderTest, ParagraphAlignmentIndentsAndSpacing)
{
    Word6Builder b;
    b.paragraph({{"left words\r", {}}});
    b.paragraph({{"centred words\r", {}}}, word6Sprm8(PJc, 1));
    b.paragraph({{"right words\r", {}}}, word6Sprm8(PJc, 2));
    b.paragraph({{"justified words\r", {}}}, word6Sprm8(PJc, 3));
    b.paragraph({{"indented words\r", {}}},
                word6Sprm16(PDxaLeft, 1440) + word6Sprm16(PDxaRight, 720) + word6Sprm16(PDxaLeft1, quint16(-360)));
    b.paragraph({{"spaced words\r", {}}}, word6Sprm16(PDyaBefore, 240) + word6Sprm16(PDyaAfter, 120) + lineSpacing(360, true));
    b.paragraph({{"exact lines\r", {}}}, lineSpacing(-300, false));
    b.paragraph({{"at least lines\r", {}}}, lineSpacing(400, false));
    b.paragraph({{"new page words\r", {}}}, word6Sprm8(PPageBreakBefore, 1));
    QTextDocument document;
    ASSERT_TRUE(read(b, document));

    const struct {
        const char* words;
        Qt::Alignment alignment;
    } alignments[] = {{"left words", Qt::AlignLeft},
                      {"centred words", Qt::AlignHCenter},
                      {"right words", Qt::AlignRight},
                      {"justified words", Qt::AlignJustify}};
    for (const auto& c : alignments)
        EXPECT_EQ(blockOf(document, c.words).alignment() & Qt::AlignHorizontal_Mask, c.alignment) << c.words;

    const QTextBlockFormat indented = blockOf(document, "indented words");
    EXPECT_NEAR(points(indented.leftMargin()), 72, 0.01);
    EXPECT_NEAR(points(indented.rightMargin()), 36, 0.01);
    EXPECT_NEAR(points(indented.textIndent()), -18, 0.01);
    const QTextBlockFormat spaced = blockOf(document, "spaced words");
    EXPECT_NEAR(points(spaced.topMargin()), 12, 0.01);
    EXPECT_NEAR(points(spaced.bottomMargin()), 6, 0.01);
    EXPECT_EQ(spaced.lineHeightType(), QTextBlockFormat::ProportionalHeight);
    const QTextBlockFormat exact = blockOf(document, "exact lines");
    EXPECT_EQ(exact.lineHeightType(), QTextBlockFormat::FixedHeight);
    EXPECT_NEAR(points(exact.lineHeight()), 15, 0.01);
    const QTextBlockFormat atLeast = blockOf(document, "at least lines");
    EXPECT_EQ(atLeast.lineHeightType(), QTextBlockFormat::MinimumHeight);
    EXPECT_NEAR(points(atLeast.lineHeight()), 20, 0.01);
    EXPECT_TRUE(blockOf(document, "new page words").pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);
    EXPECT_FALSE(blockOf(document, "left words").pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);
}

TEST_P(Word6ReaderTest, EightBitTextInTheDocumentsCodePage)
{
    const struct {
        const char* name;
        quint16 language;
        QByteArray bytes;
        QString text;
        bool macintosh = false;
    } cases[] = {
        {"Western", 0x0409, "caf\xe9 \x80 \x93quoted\x94", QStringLiteral("caf\u00e9 \u20ac \u201cquoted\u201d")},
        {"Western, German", 0x0407, "Stra\xdf" "e", QStringLiteral("Stra\u00dfe")},
        {"Cyrillic", 0x0419, "\xcf\xf0\xe8\xe2\xe5\xf2", QStringLiteral("\u041f\u0440\u0438\u0432\u0435\u0442")},
        {"Central European", 0x0405, "\x8a\xe8\xf8", QStringLiteral("\u0160\u010d\u0159")},
        {"Greek", 0x0408, "\xc1\xe8\xde\xed\xe1", QStringLiteral("\u0391\u03b8\u03ae\u03bd\u03b1")},
        {"Macintosh", 0x0409, "caf\x8e \xa5 \xd2quoted\xd3", QStringLiteral("caf\u00e9 \u2022 \u201cquoted\u201d"), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Word6Builder b;
        b.setLanguage(c.language);
        if (c.macintosh)
            b.setMacintoshCharacters();
        b.paragraph({{c.bytes + "\r", {}}});
        QTextDocument document;
        ASSERT_TRUE(read(b, document));
        EXPECT_EQ(document.toPlainText(), c.text);
    }
}

TEST_P(Word6ReaderTest, FastSavedPiecesOutOfOrder)
{
    // The second half is stored before the first, the cut inside a bold run
    // and a paragraph: text and formatting follow the pieces.
    Word6Builder b;
    b.paragraph({{"First line\r", {}}}, word6Sprm8(PJc, 1));
    b.paragraph({{"plain then ", {}}, {"bold across the cut", word6Sprm8(CFBold, 1)}, {" and plain again\r", {}}},
                word6Sprm8(PJc, 2));
    b.paragraph({{"Last line\r", {}}});
    b.splitPiecesAt(20);
    QTextDocument document;
    ASSERT_TRUE(read(b, document));
    EXPECT_EQ(document.toPlainText(), "First line\nplain then bold across the cut and plain again\nLast line");
    const QTextCursor bold = document.find("bold across the cut");
    for (int at = bold.selectionStart() + 1; at <= bold.selectionEnd(); ++at) {
        QTextCursor c(&document);
        c.setPosition(at);
        EXPECT_EQ(c.charFormat().fontWeight(), QFont::Bold) << at;
    }
    EXPECT_NE(formatOf(document, "plain then").fontWeight(), QFont::Bold);
    EXPECT_NE(formatOf(document, "and plain again").fontWeight(), QFont::Bold);
    EXPECT_EQ(blockOf(document, "plain then").alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(blockOf(document, "First line").alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
}

TEST_P(Word6ReaderTest, SavedWholeWithoutPieceTableAndWithShortBinTables)
{
    // Formatting pages of two runs each, the bin tables naming only the
    // first: the others follow it, counted in the file information block.
    Word6Builder b;
    b.leaveOutPieceTable();
    b.listFirstPagesOnly();
    b.setRunsPerPage(2);
    for (int i = 1; i <= 4; ++i)
        b.paragraph({{QByteArray("line ") + QByteArray::number(i) + " ", {}}, {"bold part\r", word6Sprm8(CFBold, 1)}},
                    word6Sprm8(PJc, quint8(i % 3)));
    QTextDocument document;
    ASSERT_TRUE(read(b, document));
    EXPECT_EQ(document.toPlainText().count("bold part"), 4);
    const Qt::Alignment alignments[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    int line = 1;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next(), ++line) {
        SCOPED_TRACE(line);
        EXPECT_EQ(block.blockFormat().alignment() & Qt::AlignHorizontal_Mask, alignments[line % 3]);
        const QTextCursor found = document.find("bold part", block.position());
        QTextCursor c(&document);
        c.setPosition(found.selectionEnd());
        EXPECT_EQ(c.charFormat().fontWeight(), QFont::Bold);
    }
}

TEST_P(Word6ReaderTest, TablesWithTheirCellsAndLines)
{
    // A row's definition: two cells 1 and 2 inches wide; the first cell's
    // lines single, the second's none; the table's outer lines double.
    QByteArray cells = QByteArray(1, char(2)) + testsupport::le16(0) + testsupport::le16(1440) + testsupport::le16(4320);
    const QByteArray single = testsupport::le16(0x0008 | 2); // a single line 1.5 points wide
    cells += testsupport::le16(0) + single + single + single + single;
    cells += QByteArray(10, '\0');
    const QByteArray definition = word6Sprm(TDefTable, testsupport::le16(quint16(cells.size() + 1)) + cells);
    const QByteArray doubleLine = testsupport::le16(0x0018 | 1);
    const QByteArray lines = word6Sprm(TTableBorders, doubleLine + doubleLine + doubleLine + doubleLine
                                                          + QByteArray(4, '\0'));
    Word6Builder b;
    b.paragraph({{"before\r", {}}});
    for (const char* row : {"1", "2"}) {
        b.paragraph({{QByteArray("cell A") + row + "\a", {}}}, word6Sprm8(PFInTable, 1));
        b.paragraph({{QByteArray("cell B") + row + "\a", {}}}, word6Sprm8(PFInTable, 1));
        b.paragraph({{"\a", {}}}, word6Sprm8(PFInTable, 1) + word6Sprm8(PFTtp, 1) + definition + lines);
    }
    b.paragraph({{"after\r", {}}});
    QTextDocument document;
    ASSERT_TRUE(read(b, document));
    QTextTable* table = firstTable(document);
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->rows(), 2);
    ASSERT_EQ(table->columns(), 2);
    EXPECT_EQ(table->cellAt(1, 1).firstCursorPosition().block().text(), "cell B2");
    const QList<QTextLength> widths = table->format().columnWidthConstraints();
    ASSERT_EQ(widths.size(), 2);
    EXPECT_NEAR(points(widths[0].rawValue()), 72, 0.01);
    EXPECT_NEAR(points(widths[1].rawValue()), 144, 0.01);
    const QTextTableCellFormat first = table->cellAt(0, 0).format().toTableCellFormat();
    EXPECT_EQ(first.topBorderStyle(), QTextFrameFormat::BorderStyle_Solid);
    EXPECT_NEAR(points(first.topBorder()), 1.5, 0.01);
    const QString text = document.toPlainText();
    EXPECT_LT(text.indexOf("before"), text.indexOf("cell A1"));
    EXPECT_GT(text.indexOf("after"), text.indexOf("cell B2"));
}

// A paragraph's autonumbering: its description (number format, the text
// before and after the number, the first number, the label's font) and level.
QByteArray autonumber(quint8 format, const QByteArray& before, const QByteArray& after, quint16 start,
                      quint8 level = 10, quint16 font = 0)
{
    QByteArray description(52, '\0');
    description[0] = char(format);
    description[1] = char(before.size());
    description[2] = char(before.size() + after.size());
    testsupport::put16(description, 6, font);
    testsupport::put16(description, 10, start);
    description.replace(20, before.size() + after.size(), before + after);
    return word6Sprm(PAnld, char(description.size()) + description) + word6Sprm8(PNLvlAnm, level);
}

TEST_P(Word6ReaderTest, AutonumberedParagraphsAsListItems)
{
    Word6Builder b;
    b.setFonts({{"Arial", 0}, {"Courier New", 0}, {"Symbol", 2}});
    const QByteArray numbered = autonumber(0, {}, ".", 1);
    b.paragraph({{"first step\r", {}}}, numbered);
    b.paragraph({{"second step\r", {}}}, numbered);
    b.paragraph({{"third step\r", {}}}, numbered);
    b.paragraph({{"a plain paragraph\r", {}}});
    b.paragraph({{"counted afresh\r", {}}}, numbered);
    b.paragraph({{"bulleted item\r", {}}}, autonumber(23, "\xb7", {}, 1, 11, 2));
    b.paragraph({{"lettered item\r", {}}}, autonumber(4, "(", ")", 3));
    b.paragraph({{"numbered heading\r", {}}}, autonumber(0, {}, ".", 1, 1));
    QTextDocument document;
    ASSERT_TRUE(read(b, document));
    EXPECT_EQ(document.toPlainText(), QStringLiteral("1.\tfirst step\n2.\tsecond step\n3.\tthird step\na plain paragraph\n"
                                                     "1.\tcounted afresh\n\u2022\tbulleted item\n(c)\tlettered item\n"
                                                     "numbered heading"));
}

TEST_P(Word6ReaderTest, HiddenTextAndFieldsLikeWord97)
{
    Word6Builder b;
    b.paragraph({{"shown ", {}}, {"hidden ", word6Sprm8(CFVanish, 1)}, {"page \x13 PAGE \x14" "7\x15 end\r", {}}});
    QTextDocument document;
    ASSERT_TRUE(read(b, document));
    EXPECT_EQ(document.toPlainText(), "shown page 7 end");
}

INSTANTIATE_TEST_SUITE_P(Versions, Word6ReaderTest, ::testing::Values(Word6Builder::kWord6, Word6Builder::kWord95),
                         [](const auto& info) { return info.param == Word6Builder::kWord6 ? "Word6" : "Word95"; });

TEST(Word6ReaderRefusalTest, DamagedOlderAndEncryptedFilesAreRefused)
{
    Word6Builder b;
    b.paragraph({{"Some words in the file\r", word6Sprm8(CFBold, 1)}});
    const QByteArray word = b.wordDocument();
    // Values of 16 or 32 bits put over the stream's.
    struct Patch {
        qsizetype at;
        quint32 value;
        int size = 2;
    };
    const auto patched = [&](std::initializer_list<Patch> patches) {
        QByteArray bytes = word;
        for (const Patch& p : patches) {
            if (p.size == 2)
                qToLittleEndian(quint16(p.value), bytes.data() + p.at);
            else
                qToLittleEndian(p.value, bytes.data() + p.at);
        }
        return testsupport::compoundFile({{"WordDocument", bytes}});
    };
    // The piece's place: past the piece table's tag, size and two positions.
    const qsizetype piece = qFromLittleEndian<quint32>(word.constData() + 0x160) + 5 + 8 + 2;
    const QByteArray file = testsupport::compoundFile({{"WordDocument", word}});
    const testsupport::CompoundFileOptions exactSizes{9, true};
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"compound file cut in half", file.left(file.size() / 2)},
        {"text stream cut inside the text", testsupport::compoundFile({{"WordDocument", word.left(0x300 + 5)}}, exactSizes)},
        {"text stream cut inside the information block",
         testsupport::compoundFile({{"WordDocument", word.left(0x100)}}, exactSizes)},
        {"encrypted", patched({{10, 0x0100}})},
        {"Word 2", patched({{2, 45}})},
        {"a version between 95 and 97", patched({{2, 150}})},
        {"piece past the stream", patched({{piece, 0x7FFFFFF0, 4}})},
        {"body longer than its pieces", patched({{0x34, 123, 4}})},
        // The piece table's size, then where the text starts.
        {"no piece table, text inside the information block", patched({{0x164, 0, 4}, {0x18, 0x100, 4}})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument document;
        EXPECT_FALSE(readDocData(c.bytes, document));
    }

    QTextDocument document;
    ASSERT_TRUE(readDocData(file, document));
    EXPECT_EQ(document.toPlainText(), "Some words in the file");
}

TEST(Word6ReaderRefusalTest, DamagedTablesLeaveTheTextReadable)
{
    // Bin tables naming pages past the stream or the same page over and
    // over, a style sheet and font table of garbage, a row definition
    // claiming more cells than it holds: the text stays, as plain text.
    const QByteArray garbage(300, '\xee');
    QByteArray pageOverAndOver = testsupport::le32(0x300);
    for (int i = 0; i < 50; ++i)
        pageOverAndOver += testsupport::le32(0x300 + quint32(i));
    for (int i = 0; i < 50; ++i)
        pageOverAndOver += testsupport::le16(1);
    const struct {
        const char* name;
        int part;
        QByteArray bytes;
    } cases[] = {
        {"pages past the stream", 12, testsupport::le32(0x300) + testsupport::le32(0x400) + testsupport::le16(0x7FFF)},
        {"one page over and over", 13, pageOverAndOver},
        {"style sheet garbage", 1, garbage},
        {"font table garbage", 15, garbage},
        {"section table garbage", 6, garbage},
        {"header stories garbage", 11, garbage},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Word6Builder b;
        b.paragraph({{"Words that stay\r", word6Sprm8(CFItalic, 1)}});
        b.paragraph({{"\a", {}}}, word6Sprm8(PFInTable, 1) + word6Sprm8(PFTtp, 1)
                                         + word6Sprm(TDefTable, testsupport::le16(200) + QByteArray(1, char(60))));
        b.addPart(c.part, c.bytes);
        QTextDocument document;
        ASSERT_TRUE(readDocData(b.build(), document));
        EXPECT_TRUE(document.toPlainText().startsWith("Words that stay"));
    }
}
