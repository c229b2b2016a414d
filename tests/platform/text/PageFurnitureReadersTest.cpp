// Headers, footers, page fields and notes as each word-processing reader
// places them beside the body: the same small document in every format.
#include "platform/text/PageFurniture.h"
#include "platform/text/odf/OdtReader.h"
#include "platform/text/rtf/RtfReader.h"
#include "platform/text/word/DocReader.h"
#include "platform/text/word/DocxReader.h"
#include "tests/support/TestSupport.h"
#include "tests/support/Word6Builder.h"
#include "tests/support/WordDocumentFixtures.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QtEndian>
#include <gtest/gtest.h>

#include <functional>

using namespace platform::text;

namespace {

// Every fixture holds: a default header "Header words" with page number and
// page count fields, a first-page header "First words", an even-page header
// "Even words", a default footer "Footer words", a body "Body text" with a
// footnote "Footnote words" and an endnote "Endnote words"; the header 36
// points from the top edge, the footer 54 from the bottom.
struct Format {
    const char* name;
    std::function<QByteArray()> build;
    bool (*read)(const QByteArray&, QTextDocument&);
    const char* footnoteMark;
    const char* endnoteMark;
    // Pages of a kind without a footer of their own print the default one;
    // else none.
    bool footerForEveryKind;
};

const char kOdtPageLayout[] = R"(<style:page-layout style:name="pm1">
<style:page-layout-properties fo:margin-top="0.5in" fo:margin-bottom="0.75in"/></style:page-layout>)";

const char kOdtMasterPage[] = R"(<style:master-page style:name="Other" style:page-layout-name="pm1">
<style:header><text:p>Other words</text:p></style:header></style:master-page>
<style:master-page style:name="Standard" style:page-layout-name="pm1">
<style:header><text:p>Header words <text:page-number text:select-page="current">3</text:page-number> of <text:page-count>9</text:page-count></text:p></style:header>
<style:header-left><text:p>Even words</text:p></style:header-left>
<style:header-first><text:p>First words</text:p></style:header-first>
<style:footer><text:p>Footer words</text:p></style:footer>
</style:master-page>)";

const char kOdtBody[] = R"(<text:p>Body text<text:note text:id="n1" text:note-class="footnote"><text:note-citation>1</text:note-citation><text:note-body><text:p>Footnote words</text:p></text:note-body></text:note> more<text:note text:id="n2" text:note-class="endnote"><text:note-citation>i</text:note-citation><text:note-body><text:p>Endnote words</text:p></text:note-body></text:note></text:p>)";

QByteArray odtWithFurniture()
{
    auto entries = testsupport::odtEntriesWithBody(kOdtBody);
    for (auto& [name, bytes] : entries)
        if (name == u"styles.xml")
            bytes = testsupport::odtStyles(kOdtPageLayout, kOdtMasterPage);
    return testsupport::zipBytes(entries);
}

QByteArray flatOdtWithFurniture()
{
    return testsupport::flatOdtWithBody(kOdtBody, kOdtPageLayout, kOdtMasterPage);
}

QByteArray rtfWithFurniture()
{
    return R"({\rtf1\ansi\deff0{\fonttbl{\f0 Times;}}\facingp\aftnnrlc
\sectd\titlepg\headery720\footery1080
{\header\pard\plain Header words {\field{\*\fldinst PAGE}{\fldrslt 3}} of {\field{\*\fldinst{ NUMPAGES }}{\fldrslt 9}}\par}
{\headerl\pard Even words\par}{\headerf\pard First words\par}{\footer\pard Footer words\par}
\pard\plain Body text{\super\chftn}{\footnote\pard\plain{\super\chftn} Footnote words}
 more{\super\chftn}{\footnote\ftnalt\pard\plain{\super\chftn} Endnote words\par}\par})";
}

QByteArray le32(quint32 v)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(v, bytes.data());
    return bytes;
}

// Character positions as a table of the Word 97 file holds them.
QByteArray positions(const QList<quint32>& cps)
{
    QByteArray bytes;
    for (quint32 cp : cps)
        bytes += le32(cp);
    return bytes;
}

constexpr int kSeparatorStories = 6;

// The body, then its footnote, header and endnote stories.
testsupport::DocBuilder docBuilderWithFurniture()
{
    testsupport::DocBuilder b;
    b.paragraph({{"Body text\x02 more\x02\r", {}}});
    const QString footnote = "\x02 Footnote words\r";
    b.paragraph({{footnote, {}}});
    const QStringList headers = {"Even words\r",
                                 "Header words \x13 PAGE \x14" "3\x15 of \x13 NUMPAGES \x14" "9\x15\r",
                                 "", "Footer words\r", "First words\r", ""};
    QList<quint32> storyStarts(kSeparatorStories + 1, 0); // the notes' separators are empty
    for (const QString& story : headers) {
        if (!story.isEmpty())
            b.paragraph({{story, {}}});
        storyStarts.append(storyStarts.last() + quint32(story.size()));
    }
    const QString endnote = "\x02 Endnote words\r";
    b.paragraph({{endnote, {}}});
    b.setStoryLengths(quint32(footnote.size()), storyStarts.last(), quint32(endnote.size()));
    b.addTablePart(2, positions({9, 17}) + QByteArray("\x01\x00", 2));
    b.addTablePart(3, positions({0, quint32(footnote.size())}));
    b.addTablePart(46, positions({15, 17}) + QByteArray("\x01\x00", 2));
    b.addTablePart(47, positions({0, quint32(endnote.size())}));
    b.addTablePart(11, positions(storyStarts));
    b.addTablePart(31, QByteArray("\x01\x00", 2) + QByteArray(32, '\0')); // facing pages
    b.setSections({{17, -1}});
    b.setFirstSectionSprms(testsupport::sprm8(0x300A, 1) + testsupport::sprm16(0xB017, 720)
                           + testsupport::sprm16(0xB018, 1080));
    return b;
}

QByteArray docWithFurniture()
{
    return docBuilderWithFurniture().build({});
}

// Word 6 lists only the stories a document has: here two of the notes'
// separators, and the section's headers but its even and first footers.
QByteArray word6WithFurniture()
{
    using testsupport::word6Sprm16;
    using testsupport::word6Sprm8;
    testsupport::Word6Builder b;
    b.paragraph({{"Body text\x02 more\x02\r", {}}});
    const QByteArray footnote = "\x02 Footnote words\r";
    b.paragraph({{footnote, {}}});
    const QList<QByteArray> headers = {"-\r", "+\r", "Even words\r",
                                       "Header words \x13 PAGE \x14" "3\x15 of \x13 NUMPAGES \x14" "9\x15\r",
                                       "Footer words\r", "First words\r"};
    QList<quint32> storyStarts = {0};
    for (const QByteArray& story : headers) {
        b.paragraph({{story, {}}});
        storyStarts.append(storyStarts.last() + quint32(story.size()));
    }
    const QByteArray endnote = "\x02 Endnote words\r";
    b.paragraph({{endnote, {}}});
    b.setStoryLengths(quint32(footnote.size()), storyStarts.last(), quint32(endnote.size()));
    b.addPart(2, positions({9, 17}) + QByteArray("\x01\x00", 2));
    b.addPart(3, positions({0, quint32(footnote.size())}));
    b.addPart(46, positions({15, 17}) + QByteArray("\x01\x00", 2));
    b.addPart(47, positions({0, quint32(endnote.size())}));
    b.addPart(11, positions(storyStarts));
    // Facing pages; the footnote separator and continuation notice.
    b.addPart(31, QByteArray("\x01\x05", 2) + QByteArray(82, '\0'));
    b.setSectionSprms(word6Sprm8(143, 1) + word6Sprm16(156, 720) + word6Sprm16(157, 1080) + word6Sprm8(153, 0x1B));
    return b.build();
}

#define W_NS "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\""

const auto wordStory = [](const char* root, const QByteArray& paragraphs) {
    return QByteArray("<w:") + root + " " W_NS ">" + paragraphs + "</w:" + root + ">";
};

// A DOCX whose main part relates to headers 1 to 3, footer 1, the notes and
// the settings; the parts themselves are those given.
QByteArray docxWithParts(const QByteArray& body, const QList<QPair<QString, QByteArray>>& parts)
{
    const QByteArray rels = R"(<?xml version="1.0" encoding="UTF-8"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>
<Relationship Id="rH1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/header" Target="header1.xml"/>
<Relationship Id="rH2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/header" Target="/word/header2.xml"/>
<Relationship Id="rH3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/header" Target="header3.xml"/>
<Relationship Id="rF1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/footer" Target="footer1.xml"/>
<Relationship Id="rN1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/footnotes" Target="footnotes.xml"/>
<Relationship Id="rN2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/endnotes" Target="endnotes.xml"/>
<Relationship Id="rS" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/settings" Target="settings.xml"/>
</Relationships>)";
    auto entries = testsupport::docxEntriesWithBody(body);
    for (auto& [name, bytes] : entries)
        if (name == u"word/_rels/document.xml.rels")
            bytes = rels;
    entries.append(parts);
    return testsupport::zipBytes(entries);
}

const char kDocxSection[] = R"(<w:sectPr><w:headerReference w:type="default" r:id="rH1"/><w:headerReference w:type="first" r:id="rH2"/><w:headerReference w:type="even" r:id="rH3"/><w:footerReference w:type="default" r:id="rF1"/><w:pgMar w:top="1440" w:bottom="1440" w:header="720" w:footer="1080"/><w:titlePg/></w:sectPr>)";

const char kDocxFootnotes[] = R"(<w:footnote w:type="separator" w:id="-1"><w:p><w:r><w:separator/></w:r></w:p></w:footnote><w:footnote w:id="1"><w:p><w:r><w:footnoteRef/></w:r><w:r><w:t>Footnote words</w:t></w:r></w:p></w:footnote><w:footnote w:id="2"><w:p><w:r><w:t>Second words</w:t></w:r></w:p></w:footnote>)";

const char kDocxEndnotes[] = R"(<w:endnote w:type="continuationSeparator" w:id="0"><w:p><w:r><w:continuationSeparator/></w:r></w:p></w:endnote><w:endnote w:id="1"><w:p><w:r><w:endnoteRef/></w:r><w:r><w:t>Endnote words</w:t></w:r></w:p></w:endnote><w:endnote w:id="2"><w:p><w:r><w:t>Last words</w:t></w:r></w:p></w:endnote>)";

QList<QPair<QString, QByteArray>> docxFurnitureParts()
{
    return {
        {"word/header1.xml", wordStory("hdr", R"(<w:p><w:r><w:t xml:space="preserve">Header words </w:t></w:r><w:fldSimple w:instr=" PAGE \* MERGEFORMAT "><w:r><w:t>3</w:t></w:r></w:fldSimple><w:r><w:t xml:space="preserve"> of </w:t></w:r><w:r><w:fldChar w:fldCharType="begin"/></w:r><w:r><w:instrText xml:space="preserve"> NUMPAGES </w:instrText></w:r><w:r><w:fldChar w:fldCharType="separate"/></w:r><w:r><w:t>9</w:t></w:r><w:r><w:fldChar w:fldCharType="end"/></w:r></w:p>)")},
        {"word/header2.xml", wordStory("hdr", "<w:p><w:r><w:t>First words</w:t></w:r></w:p>")},
        {"word/header3.xml", wordStory("hdr", "<w:p><w:r><w:t>Even words</w:t></w:r></w:p>")},
        {"word/footer1.xml", wordStory("ftr", "<w:p><w:r><w:t>Footer words</w:t></w:r></w:p>")},
        {"word/footnotes.xml", wordStory("footnotes", kDocxFootnotes)},
        {"word/endnotes.xml", wordStory("endnotes", kDocxEndnotes)},
        {"word/settings.xml", wordStory("settings", "<w:evenAndOddHeaders/>")},
    };
}

QByteArray docxWithFurniture()
{
    const QByteArray body = R"(<w:p><w:r><w:t>Body text</w:t></w:r><w:r><w:rPr><w:vertAlign w:val="superscript"/></w:rPr><w:footnoteReference w:id="1"/></w:r><w:r><w:t xml:space="preserve"> more</w:t></w:r><w:r><w:endnoteReference w:id="1"/></w:r></w:p>)";
    return docxWithParts(body + kDocxSection, docxFurnitureParts());
}

bool readRtf(const QByteArray& data, QTextDocument& document)
{
    return readRtfData(data, document, QString());
}

const Format kFormats[] = {
    {"odt", odtWithFurniture, readOdtData, "1", "i", true},
    {"fodt", flatOdtWithFurniture, readFlatOdtData, "1", "i", true},
    {"rtf", rtfWithFurniture, readRtf, "1", "i", false},
    {"doc", docWithFurniture, readDocData, "1", "i", false},
    {"doc6", word6WithFurniture, readDocData, "1", "i", false},
    {"docx", docxWithFurniture, readDocxData, "1", "i", false},
};

void PrintTo(const Format& format, std::ostream* out)
{
    *out << format.name;
}

QString textOf(const QTextDocument* document)
{
    return document ? document->toPlainText() : QStringLiteral("<none>");
}

// The text carrying a character property, and its value, in order.
QList<QPair<QString, int>> marked(const QTextDocument& document, int property)
{
    QList<QPair<QString, int>> found;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().hasProperty(property))
                found.append({it.fragment().text(), it.fragment().charFormat().intProperty(property)});
    return found;
}

QStringList noteMarks(const PageFurniture* furniture)
{
    QStringList marks;
    if (furniture)
        for (const Note& note : furniture->notes())
            marks.append(note.mark);
    return marks;
}

class PageFurnitureReaderTest : public ::testing::TestWithParam<Format> {};

TEST_P(PageFurnitureReaderTest, HeadersAndFootersByKindOfPage)
{
    QTextDocument body;
    ASSERT_TRUE(GetParam().read(GetParam().build(), body));
    const PageFurniture* furniture = PageFurniture::find(body);
    ASSERT_NE(furniture, nullptr);
    ASSERT_EQ(furniture->sectionCount(), 1);
    EXPECT_TRUE(furniture->section(0).titlePage);
    EXPECT_TRUE(furniture->evenAndOddHeaders);
    EXPECT_TRUE(textOf(furniture->header(PageKind::Default)).startsWith("Header words"));
    EXPECT_EQ(textOf(furniture->header(PageKind::First)), "First words");
    EXPECT_EQ(textOf(furniture->header(PageKind::Even)), "Even words");
    EXPECT_EQ(textOf(furniture->footer(PageKind::Default)), "Footer words");
    for (PageKind kind : {PageKind::First, PageKind::Even})
        EXPECT_EQ(textOf(furniture->footer(kind)), GetParam().footerForEveryKind ? "Footer words" : "<none>");
    EXPECT_NEAR(furniture->headerDistance, 36, 0.5);
    EXPECT_NEAR(furniture->footerDistance, 54, 0.5);

    const auto fields = marked(*furniture->header(PageKind::Default), kPageFieldProperty);
    ASSERT_EQ(fields.size(), 2);
    EXPECT_EQ(fields[0].second, int(PageField::PageNumber));
    EXPECT_EQ(fields[1].second, int(PageField::PageCount));
    EXPECT_FALSE(body.toPlainText().contains("words")) << body.toPlainText().toStdString();
}

// A section naming no header or footer of a kind keeps the previous one's.
TEST(DocxPageFurniture, LastSectionInheritsHeadersAndFooters)
{
    QTextDocument body;
    // The first section names every header and footer; the last only its
    // even header (the first one's).
    const QByteArray xml = R"(<w:p><w:pPr><w:sectPr><w:headerReference w:type="default" r:id="rH1"/><w:headerReference w:type="first" r:id="rH2"/><w:headerReference w:type="even" r:id="rH3"/><w:footerReference w:type="default" r:id="rF1"/></w:sectPr></w:pPr><w:r><w:t>One</w:t></w:r></w:p><w:p><w:r><w:t>Two</w:t></w:r></w:p><w:sectPr><w:headerReference w:type="even" r:id="rH2"/><w:titlePg/></w:sectPr>)";
    ASSERT_TRUE(readDocxData(docxWithParts(xml, docxFurnitureParts()), body));
    const PageFurniture* furniture = PageFurniture::find(body);
    ASSERT_NE(furniture, nullptr);
    EXPECT_TRUE(textOf(furniture->header(PageKind::Default)).startsWith("Header words"));
    EXPECT_EQ(textOf(furniture->header(PageKind::First)), "First words");
    EXPECT_EQ(textOf(furniture->header(PageKind::Even)), "First words");
    EXPECT_EQ(textOf(furniture->footer(PageKind::Default)), "Footer words");
    ASSERT_EQ(furniture->sectionCount(), 2);
    EXPECT_FALSE(furniture->section(0).titlePage);
    EXPECT_TRUE(furniture->section(1).titlePage);
}

TEST_P(PageFurnitureReaderTest, NotesWithTheirMarks)
{
    QTextDocument body;
    ASSERT_TRUE(GetParam().read(GetParam().build(), body));
    PageFurniture* furniture = PageFurniture::find(body);
    ASSERT_NE(furniture, nullptr);
    ASSERT_EQ(furniture->notes().size(), 2u);
    EXPECT_EQ(furniture->notes()[0].kind, Note::Kind::Footnote);
    EXPECT_EQ(furniture->notes()[0].mark, GetParam().footnoteMark);
    EXPECT_EQ(furniture->noteText(0).toPlainText(), "Footnote words");
    EXPECT_EQ(furniture->notes()[1].kind, Note::Kind::Endnote);
    EXPECT_EQ(furniture->notes()[1].mark, GetParam().endnoteMark);
    EXPECT_EQ(furniture->noteText(1).toPlainText(), "Endnote words");

    // The marks stand in the body where the notes were, the notes' text not.
    const QList<QPair<QString, int>> expected{{GetParam().footnoteMark, 0}, {GetParam().endnoteMark, 1}};
    EXPECT_EQ(marked(body, kNoteReferenceProperty), expected);
    EXPECT_EQ(body.toPlainText().trimmed(),
              QStringLiteral("Body text%1 more%2").arg(GetParam().footnoteMark, GetParam().endnoteMark));
    EXPECT_EQ(testsupport::formatOf(body, GetParam().footnoteMark).verticalAlignment(),
              QTextCharFormat::AlignSuperScript);
}

INSTANTIATE_TEST_SUITE_P(Formats, PageFurnitureReaderTest, ::testing::ValuesIn(kFormats),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace

namespace {

// A paragraph names its master page; a note inside a note or a header is
// not read as one (no depth to recurse into); a note without a body keeps
// its mark.
TEST(OdtPageFurniture, MasterPageOfTheFirstParagraphAndNotesOutOfPlace)
{
    const QByteArray automatic = QByteArray(kOdtPageLayout)
                                 + R"(<style:style style:name="P9" style:family="paragraph" style:master-page-name="Other"/>)";
    const QByteArray master = R"(<style:master-page style:name="Other" style:page-layout-name="pm1">
<style:header><text:p>Other words<text:note><text:note-citation>7</text:note-citation><text:note-body><text:p>in header</text:p></text:note-body></text:note></text:p></style:header></style:master-page>)";
    const QByteArray body = R"(<text:p text:style-name="P9">Body<text:note><text:note-citation>1</text:note-citation><text:note-body><text:p>outer<text:note><text:note-citation>2</text:note-citation><text:note-body><text:p>inner</text:p></text:note-body></text:note></text:p></text:note-body></text:note><text:note><text:note-citation>3</text:note-citation></text:note></text:p>)";
    QTextDocument document;
    ASSERT_TRUE(readFlatOdtData(testsupport::flatOdtWithBody(body, automatic, master), document));
    PageFurniture* furniture = PageFurniture::find(document);
    ASSERT_NE(furniture, nullptr);
    EXPECT_EQ(textOf(furniture->header(PageKind::Default)), "Other words");
    EXPECT_FALSE(furniture->section(0).titlePage);
    EXPECT_EQ(furniture->footer(PageKind::Default), nullptr);
    ASSERT_EQ(furniture->notes().size(), 2u);
    EXPECT_EQ(furniture->noteText(0).toPlainText(), "outer");
    EXPECT_EQ(furniture->notes()[1].mark, "3");
    EXPECT_EQ(furniture->noteText(1).toPlainText(), "");
    EXPECT_EQ(document.toPlainText(), "Body13");
}

} // namespace

namespace {

// Marks of the writer's own, notes without a mark, notes inside headers,
// later sections' headers and files cut inside a note.
TEST(RtfPageFurniture, MarksStoriesAndDamage)
{
    const struct {
        const char* name;
        QByteArray body;
        const char* text;                  // of the body
        QStringList marks;                 // of the notes, in order
        const char* header;                // default header's text
    } cases[] = {
        {"literal mark", R"(A{\super *}{\footnote\pard{\super *} star})", "A*", {"*"}, "<none>"},
        {"no mark", R"(A{\footnote\pard plain})", "A1", {"1"}, "<none>"},
        {"mark followed by text has no note", R"(A{\super\chftn}B{\footnote\pard x})", "A1B1", {"1"}, "<none>"},
        {"page number character", R"({\header\pard p\chpgn\par}body)", "body", {}, "p1"},
        {"note in header left out", R"({\header\pard H{\footnote N}\par}body)", "body", {}, "H"},
        {"a later section's own header", R"({\header\pard One\par}a\sect{\header\pard Two\par}b)", "a\nb", {}, "Two"},
        {"cut inside a note", R"(Body{\super\chftn}{\footnote\pard{\super\chftn} cut)", "Body1", {"1"}, "<none>"},
        {"cut inside a header", R"(Body{\header\pard cut)", "Body", {}, "cut"},
    };
    for (const auto& c : cases) {
        QTextDocument document;
        ASSERT_TRUE(readRtfData("{\\rtf1\\ansi " + c.body + "}", document, QString())) << c.name;
        EXPECT_EQ(document.toPlainText().trimmed(), c.text) << c.name;
        const PageFurniture* furniture = PageFurniture::find(document);
        EXPECT_EQ(noteMarks(furniture), c.marks) << c.name;
        EXPECT_EQ(furniture ? textOf(furniture->header(PageKind::Default)) : QStringLiteral("<none>"), c.header)
            << c.name;
    }
}

TEST(RtfPageFurniture, PageNumberCharacterIsMarked)
{
    QTextDocument document;
    ASSERT_TRUE(readRtfData(R"({\rtf1{\footer\pard Page \chpgn\par}x})", document, QString()));
    const PageFurniture* furniture = PageFurniture::find(document);
    ASSERT_NE(furniture, nullptr);
    const QList<QPair<QString, int>> expected{{"1", int(PageField::PageNumber)}};
    EXPECT_EQ(marked(*furniture->footer(PageKind::Default), kPageFieldProperty), expected);
}

} // namespace

namespace {

// Damaged tables of the stories leave the stories out, never the body.
TEST(DocPageFurniture, DamagedStoryTablesKeepTheBody)
{
    const struct {
        const char* name;
        std::function<void(testsupport::DocBuilder&)> damage;
        int notes;
        bool header;
        qsizetype patchAt = 0; // in the WordDocument stream
        quint32 patchValue = 0;
    } cases[] = {
        {"header table cut short", [](auto& b) { b.addTablePart(11, positions({0, 0, 0})); }, 2, false},
        {"header story past its document", [](auto& b) { b.addTablePart(11, positions(QList<quint32>(13, 0) << 90000)); }, 2, false},
        {"reference past the body", [](auto& b) { b.addTablePart(2, positions({9000, 17}) + QByteArray("\x01\x00", 2)); }, 1, true},
        {"note text past its document", [](auto& b) { b.addTablePart(3, positions({0, 9000})); }, 2, true},
        {"note text table missing", [](auto& b) { b.addTablePart(3, {}); }, 2, true},
        // The lengths of the header and footnote documents in the file information block.
        {"stories longer than the text", {}, 1, false, 64 + 20, 100000},
        {"story length negative", {}, 0, false, 64 + 16, 0xFFFFFFF0},
    };
    for (const auto& c : cases) {
        testsupport::DocBuilder b = docBuilderWithFurniture();
        if (c.damage)
            c.damage(b);
        auto streams = b.streams({});
        if (c.patchAt)
            qToLittleEndian(c.patchValue, streams[0].second.data() + c.patchAt);
        QTextDocument document;
        ASSERT_TRUE(readDocData(testsupport::compoundFile(streams), document)) << c.name;
        EXPECT_TRUE(document.toPlainText().startsWith("Body text")) << c.name;
        const PageFurniture* furniture = PageFurniture::find(document);
        EXPECT_EQ(furniture ? int(furniture->notes().size()) : 0, c.notes) << c.name;
        EXPECT_EQ(furniture && furniture->header(PageKind::Default), c.header) << c.name;
    }
}

} // namespace

namespace {

QString markedText(const QTextDocument& document, int property)
{
    QString text;
    for (const auto& [fragment, value] : marked(document, property))
        text += fragment + QLatin1Char('=') + QString::number(value) + QLatin1Char(' ');
    return text.trimmed();
}

// Numbering, marks the document writes itself, and references the notes
// parts do not hold.
TEST(DocxPageFurniture, NoteMarks)
{
    const struct {
        const char* name;
        QByteArray paragraph;
        const char* text;   // of the body
        QStringList marks;  // of the notes, in order
        const char* marked; // mark=index in the body
        QStringList texts;  // of the notes
    } cases[] = {
        {"numbered in order",
         R"(<w:r><w:t>A</w:t><w:footnoteReference w:id="1"/><w:t>B</w:t><w:footnoteReference w:id="2"/><w:t>C</w:t><w:endnoteReference w:id="1"/><w:endnoteReference w:id="2"/></w:r>)",
         "A1B2Ciii", {"1", "2", "i", "ii"}, "1=0 2=1 i=2 ii=3",
         {"Footnote words", "Second words", "Endnote words", "Last words"}},
        {"written mark takes no number",
         R"(<w:r><w:t>A</w:t><w:footnoteReference w:customMarkFollows="1" w:id="1"/><w:t>*</w:t></w:r><w:r><w:t>B</w:t><w:footnoteReference w:id="2"/></w:r>)",
         "A*B1", {"*", "1"}, "*=0 1=1", {"Footnote words", "Second words"}},
        {"written mark in the next run",
         R"(<w:r><w:footnoteReference w:customMarkFollows="true" w:id="2"/></w:r><w:r><w:t>+</w:t></w:r>)",
         "+", {"+"}, "+=0", {"Second words"}},
        {"written mark never written", R"(<w:r><w:t>A</w:t><w:footnoteReference w:customMarkFollows="1" w:id="1"/></w:r>)",
         "A", {}, "", {}},
        {"separator and unknown ids", R"(<w:r><w:t>A</w:t><w:footnoteReference w:id="-1"/><w:endnoteReference w:id="0"/><w:footnoteReference w:id="77"/><w:t>B</w:t></w:r>)",
         "AB", {}, "", {}},
    };
    for (const auto& c : cases) {
        QTextDocument document;
        ASSERT_TRUE(readDocxData(docxWithParts("<w:p>" + c.paragraph + "</w:p>", docxFurnitureParts()), document)) << c.name;
        EXPECT_EQ(document.toPlainText().trimmed(), c.text) << c.name;
        PageFurniture* furniture = PageFurniture::find(document);
        EXPECT_EQ(noteMarks(furniture), c.marks) << c.name;
        EXPECT_EQ(markedText(document, kNoteReferenceProperty), c.marked) << c.name;
        QStringList texts;
        for (int i = 0; furniture && i < int(furniture->notes().size()); ++i)
            texts.append(furniture->noteText(i).toPlainText());
        EXPECT_EQ(texts, c.texts) << c.name;
    }
}

// Page number and count fields written either way, and fields that are
// neither.
TEST(DocxPageFurniture, PageFieldsInHeaders)
{
    const struct {
        const char* name;
        QByteArray paragraph;
        const char* marked; // result=PageField in the header
    } cases[] = {
        {"simple page", R"(<w:fldSimple w:instr="PAGE"><w:r><w:t>4</w:t></w:r></w:fldSimple><w:r><w:t>x</w:t></w:r>)", "4=1"},
        {"complex page, instruction split",
         R"(<w:r><w:fldChar w:fldCharType="begin"/></w:r><w:r><w:instrText> PA</w:instrText></w:r><w:r><w:instrText>GE \* arabic</w:instrText></w:r><w:r><w:fldChar w:fldCharType="separate"/></w:r><w:r><w:t>2</w:t></w:r><w:r><w:fldChar w:fldCharType="end"/></w:r><w:r><w:t>x</w:t></w:r>)",
         "2=1"},
        {"simple page count", R"(<w:fldSimple w:instr=" NUMPAGES "><w:r><w:t>8</w:t></w:r></w:fldSimple>)", "8=2"},
        {"other fields", R"(<w:fldSimple w:instr="DATE"><w:r><w:t>today</w:t></w:r></w:fldSimple><w:r><w:fldChar w:fldCharType="begin"/><w:instrText>AUTHOR</w:instrText><w:fldChar w:fldCharType="separate"/><w:t>me</w:t><w:fldChar w:fldCharType="end"/></w:r>)", ""},
        {"page field inside another field's result",
         R"(<w:r><w:fldChar w:fldCharType="begin"/><w:instrText>IF 1 = 1 "</w:instrText><w:fldChar w:fldCharType="begin"/><w:instrText>PAGE</w:instrText><w:fldChar w:fldCharType="separate"/><w:t>5</w:t><w:fldChar w:fldCharType="end"/><w:instrText>"</w:instrText><w:fldChar w:fldCharType="separate"/><w:t>5</w:t><w:fldChar w:fldCharType="end"/><w:t>x</w:t></w:r>)",
         ""},
    };
    for (const auto& c : cases) {
        auto parts = docxFurnitureParts();
        parts[0].second = wordStory("hdr", "<w:p>" + c.paragraph + "</w:p>");
        QTextDocument document;
        ASSERT_TRUE(readDocxData(docxWithParts(QByteArray("<w:p><w:r><w:t>Body</w:t></w:r></w:p>") + kDocxSection, parts), document)) << c.name;
        const PageFurniture* furniture = PageFurniture::find(document);
        ASSERT_TRUE(furniture && furniture->header(PageKind::Default)) << c.name;
        EXPECT_EQ(markedText(*furniture->header(PageKind::Default), kPageFieldProperty), c.marked) << c.name;
    }
}

// A header or footer part that is missing or damaged costs that story
// only.
TEST(DocxPageFurniture, DamagedStoriesKeepTheBody)
{
    const struct {
        const char* name;
        const char* part;
        QByteArray bytes; // empty: the part is left out
        const char* header; // default header's text
        const char* footer;
    } cases[] = {
        {"header missing", "word/header1.xml", {}, "<none>", "Footer words"},
        {"header cut short", "word/header1.xml", "<w:hdr " W_NS "><w:p><w:r><w:t>Cut", "", "Footer words"},
        {"header not XML", "word/header1.xml", "garbage<<>>&", "", "Footer words"},
        {"footer of another root", "word/footer1.xml", wordStory("document", "<w:p><w:r><w:t>x</w:t></w:r></w:p>"), "Header words 3 of 9", ""},
        {"settings not XML", "word/settings.xml", "<w:settings", "Header words 3 of 9", "Footer words"},
        {"notes not XML", "word/footnotes.xml", "<w:footnotes><w:footnote w:id=", "Header words 3 of 9", "Footer words"},
    };
    for (const auto& c : cases) {
        QList<QPair<QString, QByteArray>> parts;
        for (const auto& part : docxFurnitureParts())
            if (part.first != QLatin1StringView(c.part))
                parts.append(part);
            else if (!c.bytes.isEmpty())
                parts.append({part.first, c.bytes});
        const QByteArray body = R"(<w:p><w:r><w:t>Body text</w:t><w:footnoteReference w:id="1"/></w:r></w:p>)";
        QTextDocument document;
        ASSERT_TRUE(readDocxData(docxWithParts(body + kDocxSection, parts), document)) << c.name;
        EXPECT_TRUE(document.toPlainText().startsWith("Body text")) << c.name;
        const PageFurniture* furniture = PageFurniture::find(document);
        ASSERT_NE(furniture, nullptr) << c.name;
        EXPECT_EQ(textOf(furniture->header(PageKind::Default)), c.header) << c.name;
        EXPECT_EQ(textOf(furniture->footer(PageKind::Default)), c.footer) << c.name;
        EXPECT_EQ(textOf(furniture->header(PageKind::First)), "First words") << c.name;
    }
}

} // namespace

namespace {

const char* startName(SectionStart start)
{
    switch (start) {
    case SectionStart::NewPage: return "new page";
    case SectionStart::OddPage: return "odd page";
    case SectionStart::EvenPage: return "even page";
    case SectionStart::Continuous: return "continuous";
    }
    return "?";
}

// Each section as read: how it starts, its title page, first page number,
// and the default and first-page headers it prints.
QStringList sectionsOf(const PageFurniture* furniture)
{
    QStringList sections;
    if (!furniture)
        return sections;
    const auto headers = furniture->storiesOf(false, PageKind::Default);
    const auto firsts = furniture->storiesOf(false, PageKind::First);
    for (int index = 0; index < furniture->sectionCount(); ++index) {
        const PageSection& section = furniture->section(index);
        sections.append(QStringLiteral("%1%2%3 [%4] [%5]")
                            .arg(startName(section.start), section.titlePage ? ", title page" : "",
                                 section.firstPageNumber ? QStringLiteral(", from %1").arg(*section.firstPageNumber)
                                                         : QString(),
                                 textOf(headers[index]), textOf(firsts[index])));
    }
    return sections;
}

// The body's paragraphs with the section each starts and a mark where a
// page breaks before it.
QStringList paragraphsOf(const QTextDocument& body)
{
    QStringList paragraphs;
    for (QTextBlock block = body.begin(); block.isValid(); block = block.next()) {
        if (block.text().isEmpty())
            continue;
        const QTextBlockFormat format = block.blockFormat();
        QString paragraph = block.text();
        if (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
            paragraph.prepend(QLatin1String("| "));
        if (format.hasProperty(kSectionProperty))
            paragraph += QStringLiteral(" (%1)").arg(format.intProperty(kSectionProperty));
        paragraphs.append(paragraph);
    }
    return paragraphs;
}

} // namespace

// The documents of several sections as each reader gives them to the
// printer: the sections' properties and headers, their first paragraphs
// marked, and the pages broken where they start on one.
TEST(PageFurnitureSections, EachReaderMarksItsSections)
{
    const QStringList wordSections = {
        "new page [Alpha 9 of 9] [<none>]", "new page, title page, from 1 [Beta 9] [Title 9]",
        "continuous [Gamma 9] [Title 9]", "odd page [Gamma 9] [Title 9]"};
    const QStringList wordParagraphs = {"one", "| two (1)", "| three", "four (2)", "| five", "| six (3)"};
    const QStringList odtSections = {"new page [Alpha 9 of 9] [Alpha 9 of 9]",
                                     "new page, title page, from 1 [Beta 9] [Title 9]",
                                     "new page [Alpha 9 of 9] [Alpha 9 of 9]"};
    const QStringList odtParagraphs = {"one", "| two (1)", "| three", "| four (2)"};
    const struct {
        const char* name;
        QByteArray bytes;
        std::function<bool(const QByteArray&, QTextDocument&)> read;
        QStringList sections;
        QStringList paragraphs;
    } cases[] = {
        {"docx", testsupport::docxWithSections(), readDocxData, wordSections, wordParagraphs},
        {"rtf", testsupport::rtfWithSections(),
         [](const QByteArray& bytes, QTextDocument& document) { return readRtfData(bytes, document, QString()); },
         wordSections, wordParagraphs},
        {"doc", testsupport::docWithSections(), readDocData, wordSections, wordParagraphs},
        {"odt", testsupport::odtWithSections(), readOdtData, odtSections, odtParagraphs},
        {"fodt", testsupport::flatOdtWithSections(), readFlatOdtData, odtSections, odtParagraphs},
    };
    for (const auto& c : cases) {
        QTextDocument body;
        ASSERT_TRUE(c.read(c.bytes, body)) << c.name;
        EXPECT_EQ(sectionsOf(PageFurniture::find(body)), c.sections) << c.name;
        EXPECT_EQ(paragraphsOf(body), c.paragraphs) << c.name;
    }
}

// How a second section starts, as each format says it; a new column is a
// new page, the text being laid out in one.
TEST(PageFurnitureSections, HowSectionsStart)
{
    const auto docx = [](const char* type) {
        return testsupport::zipBytes(testsupport::docxEntriesWithBody(
            QByteArray(R"(<w:p><w:pPr><w:sectPr/></w:pPr><w:r><w:t>a</w:t></w:r></w:p><w:p><w:r><w:t>b</w:t></w:r></w:p><w:sectPr>)")
            + type + "</w:sectPr>"));
    };
    const auto rtf = [](const char* keyword) { return QByteArray("{\\rtf1\\ansi a\\sect\\sectd") + keyword + " b\\par}"; };
    const auto doc = [](int kind) {
        testsupport::DocBuilder b;
        b.paragraph({{"a\f", {}}});
        b.paragraph({{"b\r", {}}});
        b.setSections({{2, 2}, {4, kind}});
        return b.build({});
    };
    const auto readRtf = [](const QByteArray& bytes, QTextDocument& document) {
        return readRtfData(bytes, document, QString());
    };
    const struct {
        const char* name;
        QByteArray bytes;
        std::function<bool(const QByteArray&, QTextDocument&)> read;
        SectionStart start;
    } cases[] = {
        {"docx, not said", docx(""), readDocxData, SectionStart::NewPage},
        {"docx, next page", docx(R"(<w:type w:val="nextPage"/>)"), readDocxData, SectionStart::NewPage},
        {"docx, continuous", docx(R"(<w:type w:val="continuous"/>)"), readDocxData, SectionStart::Continuous},
        {"docx, odd page", docx(R"(<w:type w:val="oddPage"/>)"), readDocxData, SectionStart::OddPage},
        {"docx, even page", docx(R"(<w:type w:val="evenPage"/>)"), readDocxData, SectionStart::EvenPage},
        {"docx, next column", docx(R"(<w:type w:val="nextColumn"/>)"), readDocxData, SectionStart::NewPage},
        {"rtf, not said", rtf(""), readRtf, SectionStart::NewPage},
        {"rtf, continuous", rtf("\\sbknone"), readRtf, SectionStart::Continuous},
        {"rtf, odd page", rtf("\\sbkodd"), readRtf, SectionStart::OddPage},
        {"rtf, even page", rtf("\\sbkeven"), readRtf, SectionStart::EvenPage},
        {"rtf, next column", rtf("\\sbkcol"), readRtf, SectionStart::NewPage},
        {"rtf, said again", rtf("\\sbknone\\sbkpage"), readRtf, SectionStart::NewPage},
        {"doc, continuous", doc(0), readDocData, SectionStart::Continuous},
        {"doc, next column", doc(1), readDocData, SectionStart::NewPage},
        {"doc, even page", doc(3), readDocData, SectionStart::EvenPage},
        {"doc, odd page", doc(4), readDocData, SectionStart::OddPage},
    };
    for (const auto& c : cases) {
        QTextDocument body;
        ASSERT_TRUE(c.read(c.bytes, body)) << c.name;
        const PageFurniture* furniture = PageFurniture::find(body);
        ASSERT_TRUE(furniture && furniture->sectionCount() == 2) << c.name;
        EXPECT_STREQ(startName(furniture->section(1).start), startName(c.start)) << c.name;
        EXPECT_EQ(paragraphsOf(body).last(),
                  c.start == SectionStart::Continuous ? QStringLiteral("b (1)") : QStringLiteral("| b (1)"))
            << c.name;
    }
}

// A document of more sections than may be goes on in the last one; every
// paragraph is kept.
TEST(PageFurnitureSections, SectionsPastTheLimitGoOnInTheLast)
{
    const int count = kMaxSections + 5;
    QByteArray rtf = "{\\rtf1\\ansi ";
    QByteArray docx;
    for (int section = 0; section < count; ++section) {
        rtf += "x\\sect ";
        docx += "<w:p><w:pPr><w:sectPr/></w:pPr><w:r><w:t>x</w:t></w:r></w:p>";
    }
    rtf += "end}";
    docx += "<w:p><w:r><w:t>end</w:t></w:r></w:p><w:sectPr/>";
    const struct {
        const char* name;
        QByteArray bytes;
        std::function<bool(const QByteArray&, QTextDocument&)> read;
    } cases[] = {
        {"rtf", rtf, [](const QByteArray& bytes, QTextDocument& document) { return readRtfData(bytes, document, QString()); }},
        {"docx", testsupport::zipBytes(testsupport::docxEntriesWithBody(docx)), readDocxData},
    };
    for (const auto& c : cases) {
        QTextDocument body;
        ASSERT_TRUE(c.read(c.bytes, body)) << c.name;
        const PageFurniture* furniture = PageFurniture::find(body);
        ASSERT_NE(furniture, nullptr) << c.name;
        EXPECT_EQ(furniture->sectionCount(), kMaxSections) << c.name;
        int marked = 0;
        int paragraphs = 0;
        for (QTextBlock block = body.begin(); block.isValid(); block = block.next()) {
            const int section = block.blockFormat().intProperty(kSectionProperty);
            marked += section > 0 && section < kMaxSections ? 1 : 0;
            paragraphs += block.text().isEmpty() ? 0 : 1;
        }
        EXPECT_EQ(marked, kMaxSections - 1) << c.name;
        EXPECT_EQ(paragraphs, count + 1) << c.name;
    }
}

// A section starting with a table starts the table on the new page, once
// the reader is done.
TEST(PageFurnitureSections, ASectionStartingWithATable)
{
    const QByteArray docx = R"(<w:p><w:pPr><w:sectPr/></w:pPr><w:r><w:t>a</w:t></w:r></w:p><w:tbl><w:tblGrid><w:gridCol w:w="2000"/></w:tblGrid><w:tr><w:tc><w:p><w:r><w:t>cell</w:t></w:r></w:p></w:tc></w:tr></w:tbl><w:sectPr/>)";
    const QByteArray odtStyle = R"(<style:style style:name="T" style:family="table" style:master-page-name="Standard"/>)";
    const QByteArray odt = R"(<text:p>a</text:p><table:table table:style-name="T"><table:table-column/><table:table-row><table:table-cell><text:p>cell</text:p></table:table-cell></table:table-row></table:table>)";
    testsupport::DocBuilder doc;
    doc.paragraph({{"a\f", {}}});
    doc.paragraph({{"cell\a", {}}}, testsupport::sprm8(0x2416, 1));
    doc.paragraph({{"\a", {}}}, testsupport::sprm8(0x2416, 1) + testsupport::sprm8(0x2417, 1));
    doc.paragraph({{"b\r", {}}});
    doc.setSections({{2, 2}, {10, 2}});
    const struct {
        const char* name;
        QByteArray bytes;
        std::function<bool(const QByteArray&, QTextDocument&)> read;
    } cases[] = {
        {"docx", testsupport::zipBytes(testsupport::docxEntriesWithBody(docx)), readDocxData},
        {"rtf", R"({\rtf1\ansi a\sect\sectd\trowd\cellx2000\intbl cell\cell\row\pard b\par})",
         [](const QByteArray& bytes, QTextDocument& document) { return readRtfData(bytes, document, QString()); }},
        {"fodt", testsupport::flatOdtWithBody(odt, odtStyle), readFlatOdtData},
        {"doc", doc.build({}), readDocData},
    };
    for (const auto& c : cases) {
        QTextDocument body;
        ASSERT_TRUE(c.read(c.bytes, body)) << c.name;
        const QList<QTextFrame*> frames = body.rootFrame()->childFrames();
        ASSERT_FALSE(frames.isEmpty()) << c.name;
        EXPECT_TRUE(frames.first()->frameFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) << c.name;
        EXPECT_TRUE(paragraphsOf(body).contains("cell (1)")) << c.name << paragraphsOf(body).join('/').toStdString();
    }
}

// An RTF section break right after a paragraph's end adds no empty
// paragraph (which would keep the paragraph properties before it, and
// with them a page break of its own).
TEST(PageFurnitureSections, RtfBreakAfterAParagraphEndAddsNoParagraph)
{
    QTextDocument body;
    ASSERT_TRUE(readRtfData(R"({\rtf1\ansi a\par\pagebb b\par\sect\sectd\pard c\par})", body, QString()));
    EXPECT_EQ(body.toPlainText(), "a\nb\nc\n");
    EXPECT_EQ(paragraphsOf(body), QStringList({"a", "| b", "| c (1)"}));
}
