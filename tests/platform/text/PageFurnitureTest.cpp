#include "platform/text/PageFurniture.h"
#include "platform/text/TextDefaults.h"
#include "platform/text/TextPrinter.h"
#include "tests/support/PdfInspection.h"

#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <gtest/gtest.h>

#include <poppler-qt6.h>

#include <algorithm>
#include <functional>
#include <memory>

using platform::text::PageFurniture;
using platform::text::PageKind;

TEST(PageFurniture, belongsToItsBody)
{
    QTextDocument body;
    EXPECT_EQ(PageFurniture::find(body), nullptr);
    PageFurniture& furniture = PageFurniture::of(body);
    EXPECT_TRUE(furniture.isEmpty());
    EXPECT_EQ(PageFurniture::find(body), &furniture);
    EXPECT_EQ(&PageFurniture::of(body), &furniture);
}

// Which header each page takes, for every combination of the two switches,
// when the document gives all three.
TEST(PageFurniture, kindOfPage)
{
    struct Case {
        bool titlePage, evenAndOdd;
        PageKind page1, page2, page3;
    };
    const Case cases[] = {
        {false, false, PageKind::Default, PageKind::Default, PageKind::Default},
        {true, false, PageKind::First, PageKind::Default, PageKind::Default},
        {false, true, PageKind::Default, PageKind::Even, PageKind::Default},
        {true, true, PageKind::First, PageKind::Even, PageKind::Default},
    };
    for (const Case& c : cases) {
        QTextDocument body;
        PageFurniture& furniture = PageFurniture::of(body);
        for (PageKind kind : {PageKind::Default, PageKind::First, PageKind::Even})
            furniture.makeHeader(kind);
        furniture.lastSection().titlePage = c.titlePage;
        furniture.evenAndOddHeaders = c.evenAndOdd;
        EXPECT_EQ(furniture.kindOf({0, 1, true}), c.page1) << c.titlePage << c.evenAndOdd;
        EXPECT_EQ(furniture.kindOf({0, 2, false}), c.page2) << c.titlePage << c.evenAndOdd;
        EXPECT_EQ(furniture.kindOf({0, 3, false}), c.page3) << c.titlePage << c.evenAndOdd;
        EXPECT_EQ(furniture.footer(c.page1), nullptr);
    }
}

// A first page asked to differ but given no header prints none, rather than
// the default one.
TEST(PageFurniture, titlePageWithoutItsOwnHeaderPrintsNone)
{
    QTextDocument body;
    PageFurniture& furniture = PageFurniture::of(body);
    furniture.makeHeader(PageKind::Default);
    furniture.lastSection().titlePage = true;
    EXPECT_EQ(furniture.header(furniture.kindOf({0, 1, true})), nullptr);
    EXPECT_NE(furniture.header(furniture.kindOf({0, 2, false})), nullptr);
}

namespace {

using platform::text::kNoteReferenceProperty;
using platform::text::kPageFieldProperty;
using platform::text::Note;
using platform::text::PageField;

platform::text::PrintSettings a4()
{
    platform::text::PrintSettings settings;
    settings.paperSize = QSizeF(595.3, 841.9);
    settings.leftMargin = settings.rightMargin = settings.topMargin = settings.bottomMargin = 72;
    return settings;
}

void setUp(QTextDocument& document)
{
    document.setUndoRedoEnabled(false);
    document.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 12));
}

// Lines "Line 0" ... of the body, one paragraph each.
void addLines(QTextCursor& cursor, int from, int to)
{
    for (int line = from; line < to; ++line) {
        if (!cursor.atStart())
            cursor.insertBlock();
        cursor.insertText(QStringLiteral("Line %1").arg(line));
    }
}

void addField(QTextCursor& cursor, PageField field)
{
    QTextCharFormat format;
    format.setProperty(kPageFieldProperty, int(field));
    cursor.insertText(QStringLiteral("0"), format);
    cursor.insertText(QString(), QTextCharFormat());
    cursor.setCharFormat(QTextCharFormat());
}

void addNoteMark(QTextCursor& cursor, int index, const QString& mark)
{
    QTextCharFormat format;
    format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    format.setProperty(kNoteReferenceProperty, index);
    cursor.insertText(mark, format);
    cursor.setCharFormat(QTextCharFormat());
}

// Top edge, in points, of the first word on the page that starts with word;
// negative when there is none.
double topOf(const QString& pdf, int page, const QString& word)
{
    const std::unique_ptr<Poppler::Document> document = Poppler::Document::load(pdf);
    if (!document)
        return -1;
    const std::unique_ptr<Poppler::Page> p = document->page(page);
    for (const auto& box : p->textList())
        if (box->text().startsWith(word))
            return box->boundingBox().top();
    return -1;
}

// Bottom edge of the lowest body line on the page.
double lowestLine(const QString& pdf, int page)
{
    const std::unique_ptr<Poppler::Document> document = Poppler::Document::load(pdf);
    const std::unique_ptr<Poppler::Page> p = document->page(page);
    double lowest = -1;
    for (const auto& box : p->textList())
        if (box->text() == QLatin1String("Line"))
            lowest = std::max(lowest, box->boundingBox().bottom());
    return lowest;
}

} // namespace

// Three pages: the first its own header, the others the default one with
// the page number and count filled in and a footer below the body; the
// body starts below the header.
TEST(PageFurniture, headersAndFootersPrintOnEveryPage)
{
    QTemporaryDir folder;
    QTextDocument body;
    setUp(body);
    QTextCursor cursor(&body);
    addLines(cursor, 0, 110);
    PageFurniture& furniture = PageFurniture::of(body);
    furniture.lastSection().titlePage = true;
    QTextCursor first(&furniture.makeHeader(PageKind::First));
    first.insertText(QStringLiteral("Letterhead"));
    QTextCursor header(&furniture.makeHeader(PageKind::Default));
    header.insertText(QStringLiteral("Page "));
    addField(header, PageField::PageNumber);
    header.insertText(QStringLiteral(" of "));
    addField(header, PageField::PageCount);
    QTextCursor(&furniture.makeFooter(PageKind::Default)).insertText(QStringLiteral("Footing"));

    const QString pdf = folder.filePath("out.pdf");
    QList<int> printed;
    ASSERT_TRUE(platform::text::printToPDF(body, a4(), pdf, &printed));
    const auto facts = testsupport::inspectPdf(pdf);
    ASSERT_TRUE(facts);
    ASSERT_EQ(facts->pageCount, 3);
    EXPECT_TRUE(facts->pageTexts[0].contains("Letterhead"));
    EXPECT_FALSE(facts->pageTexts[0].contains("Page 1"));
    EXPECT_TRUE(facts->pageTexts[1].contains("Page 2 of 3")) << facts->pageTexts[1].toStdString();
    EXPECT_TRUE(facts->pageTexts[2].contains("Page 3 of 3"));
    // The title page has a header of its own and no footer.
    EXPECT_FALSE(facts->pageTexts[0].contains("Footing"));
    for (int page = 1; page < 3; ++page) {
        EXPECT_TRUE(facts->pageTexts[page].contains("Footing")) << page;
        EXPECT_LT(lowestLine(pdf, page), topOf(pdf, page, "Footing")) << page;
    }
    EXPECT_LT(topOf(pdf, 1, "Page"), topOf(pdf, 1, "Line"));
    ASSERT_EQ(printed.size(), 3);
    // The header's and footer's characters count as printed.
    EXPECT_GT(printed[2], 0);
}

// A footnote prints at the foot of the page that shows its mark, below the
// body's lines; an endnote after the text; a footnote too long for its page
// after the text, its mark kept.
TEST(PageFurniture, notesPrintWhereTheirMarksAre)
{
    QTemporaryDir folder;
    QTextDocument body;
    setUp(body);
    PageFurniture& furniture = PageFurniture::of(body);
    const int foot = furniture.addNote(Note::Kind::Footnote, QStringLiteral("1"));
    QTextCursor(&furniture.noteText(foot)).insertText(QStringLiteral("Footword explains"));
    const int end = furniture.addNote(Note::Kind::Endnote, QStringLiteral("i"));
    QTextCursor(&furniture.noteText(end)).insertText(QStringLiteral("Endword closes"));
    const int tall = furniture.addNote(Note::Kind::Footnote, QStringLiteral("2"));
    QTextCursor tallText(&furniture.noteText(tall));
    for (int line = 0; line < 40; ++line)
        tallText.insertText(QStringLiteral("Tallword\n"));

    QTextCursor cursor(&body);
    addLines(cursor, 0, 60);
    addNoteMark(cursor, foot, QStringLiteral("1"));
    addLines(cursor, 60, 62);
    addNoteMark(cursor, end, QStringLiteral("i"));
    addNoteMark(cursor, tall, QStringLiteral("2"));
    addLines(cursor, 62, 70);

    const QString pdf = folder.filePath("notes.pdf");
    ASSERT_TRUE(platform::text::printToPDF(body, a4(), pdf));
    const auto facts = testsupport::inspectPdf(pdf);
    ASSERT_TRUE(facts);
    ASSERT_GE(facts->pageCount, 2);
    EXPECT_FALSE(facts->pageTexts[0].contains("Footword"));
    ASSERT_TRUE(facts->pageTexts[1].contains("Footword")) << facts->pageTexts[1].toStdString();
    EXPECT_GT(topOf(pdf, 1, "Footword"), lowestLine(pdf, 1));
    EXPECT_GT(topOf(pdf, 1, "Footword"), 841.9 / 2);
    const QString all = facts->pageTexts.join('\n');
    EXPECT_GT(all.indexOf("Endword"), all.indexOf("Line 69"));
    EXPECT_GT(all.indexOf("Tallword"), all.indexOf("Line 69"));
}

// The engine copies a read document into its own: the furniture goes along,
// even from a document whose body is empty (a letterhead template).
TEST(PageFurniture, followsTheTextIntoAnotherDocument)
{
    for (const QString& body : {QStringLiteral("text"), QString()}) {
        SCOPED_TRACE(body.toStdString());
        QTextDocument read;
        setUp(read);
        QTextCursor(&read).insertText(body);
        PageFurniture::of(read).makeHeader(PageKind::Default);
        QTextDocument target;
        platform::text::appendDocument(target, read);
        ASSERT_NE(PageFurniture::find(target), nullptr);
        EXPECT_NE(PageFurniture::find(target)->header(PageKind::Default), nullptr);
        EXPECT_EQ(PageFurniture::find(read), nullptr);
    }
}

namespace {

using platform::text::kSectionProperty;
using platform::text::PageSection;
using platform::text::SectionStart;

// A paragraph of the body; section > 0 starts that section.
void addParagraph(QTextCursor& cursor, const QString& text, int section = 0)
{
    QTextBlockFormat format;
    if (section > 0)
        format.setProperty(kSectionProperty, section);
    if (cursor.atStart())
        cursor.setBlockFormat(format);
    else
        cursor.insertBlock(format);
    cursor.insertText(text);
}

// A section's default header: its name and the page number.
void setHeader(PageFurniture& furniture, PageSection& section, const QString& name)
{
    section.headers[0] = furniture.makeStory();
    QTextCursor header(section.headers[0].get());
    header.insertText(name + QLatin1Char(' '));
    addField(header, PageField::PageNumber);
}

QStringList printedPages(QTextDocument& body)
{
    QTemporaryDir folder;
    const QString pdf = folder.filePath("sections.pdf");
    if (!platform::text::printToPDF(body, a4(), pdf))
        return {"<not printed>"};
    return testsupport::foldedPageTexts(pdf);
}

} // namespace

// Where sections start and which header each page prints: blank pages only
// where the number would have the wrong parity, a continuous section that
// starts a page taking it, a section starting with a table, headers
// inherited unless a section says not.
TEST(PageFurniture, sectionsOfPages)
{
    const struct {
        const char* name;
        std::function<void(QTextCursor&, PageFurniture&)> build;
        QStringList pages;
    } cases[] = {
        {"even page after an odd one: no blank page",
         [](QTextCursor& body, PageFurniture& f) {
             setHeader(f, f.lastSection(), "Alpha");
             f.addSection();
             f.lastSection().start = SectionStart::EvenPage;
             setHeader(f, f.lastSection(), "Beta");
             addParagraph(body, "one");
             addParagraph(body, "two", 1);
         },
         {"Alpha 1 one", "Beta 2 two"}},
        {"odd page numbered 2 again: a blank page of the section before",
         [](QTextCursor& body, PageFurniture& f) {
             setHeader(f, f.lastSection(), "Alpha");
             f.addSection();
             f.lastSection().start = SectionStart::OddPage;
             f.lastSection().firstPageNumber = 2;
             setHeader(f, f.lastSection(), "Beta");
             addParagraph(body, "one");
             addParagraph(body, "two", 1);
         },
         {"Alpha 1 one", "Alpha 2", "Beta 2 two"}},
        {"continuous section at the top of a page takes it",
         [](QTextCursor& body, PageFurniture& f) {
             setHeader(f, f.lastSection(), "Alpha");
             f.addSection();
             f.lastSection().start = SectionStart::Continuous;
             setHeader(f, f.lastSection(), "Beta");
             addParagraph(body, "one");
             addParagraph(body, "two", 1);
             QTextBlockFormat format = body.blockFormat();
             format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
             body.setBlockFormat(format);
         },
         {"Alpha 1 one", "Beta 2 two"}},
        {"a section starting with a table",
         [](QTextCursor& body, PageFurniture& f) {
             setHeader(f, f.lastSection(), "Alpha");
             f.addSection();
             setHeader(f, f.lastSection(), "Beta");
             addParagraph(body, "one");
             body.insertBlock();
             QTextTable* table = body.insertTable(1, 1);
             QTextCursor cell = table->cellAt(0, 0).firstCursorPosition();
             QTextBlockFormat format;
             format.setProperty(kSectionProperty, 1);
             cell.setBlockFormat(format);
             cell.insertText("cell");
         },
         {"Alpha 1 one", "Beta 2 cell"}},
        {"inherited, then not",
         [](QTextCursor& body, PageFurniture& f) {
             setHeader(f, f.lastSection(), "Alpha");
             f.addSection();
             f.addSection();
             f.lastSection().inheritsStories = false;
             addParagraph(body, "one");
             addParagraph(body, "two", 1);
             addParagraph(body, "three", 2);
         },
         {"Alpha 1 one", "Alpha 2 two", "three"}},
    };
    for (const auto& c : cases) {
        QTextDocument body;
        setUp(body);
        QTextCursor cursor(&body);
        PageFurniture& furniture = PageFurniture::of(body);
        c.build(cursor, furniture);
        furniture.breakPagesAtSections();
        EXPECT_EQ(printedPages(body), c.pages) << c.name;
    }
}

// Paragraphs with space before them over many pages, a footnote every tenth:
// where the space is left out at the tops of pages, each note still prints
// below the text of the page holding its mark, and each page counts its
// characters.
TEST(PageFurniture, notesStayWithTheirMarksWhereTopSpaceIsLeftOut)
{
    QTemporaryDir folder;
    QTextDocument body;
    setUp(body);
    PageFurniture& furniture = PageFurniture::of(body);
    QTextCursor cursor(&body);
    QTextBlockFormat spaced;
    spaced.setTopMargin(18 * platform::text::layoutUnitsPerPoint());
    constexpr int kLines = 240;
    for (int line = 0; line < kLines; ++line) {
        if (line > 0)
            cursor.insertBlock(spaced);
        cursor.insertText(QStringLiteral("Line %1 ").arg(line) + QStringLiteral("filler ").repeated(line % 4 * 12));
        if (line % 10 == 0) {
            const int note = furniture.addNote(Note::Kind::Footnote, QString::number(line / 10));
            QTextCursor(&furniture.noteText(note)).insertText(QStringLiteral("Noteword %1").arg(line / 10));
            addNoteMark(cursor, note, QString::number(line / 10));
        }
    }
    const QString pdf = folder.filePath("notes.pdf");
    QList<int> counts;
    ASSERT_TRUE(platform::text::printToPDF(body, a4(), pdf, &counts));
    const std::unique_ptr<Poppler::Document> document = Poppler::Document::load(pdf);
    ASSERT_TRUE(document);
    ASSERT_GT(document->numPages(), 5);
    EXPECT_EQ(counts.size(), document->numPages());
    int notesSeen = 0;
    for (int page = 0; page < document->numPages(); ++page) {
        SCOPED_TRACE(page);
        QList<int> marked, noted;
        double lowestText = 0, highestNote = 841.9;
        for (const auto& box : document->page(page)->textList()) {
            if (box->text() == u"Line") {
                const int line = box->nextWord()->text().toInt();
                if (line % 10 == 0)
                    marked << line / 10;
                lowestText = std::max(lowestText, box->boundingBox().bottom());
            } else if (box->text() == u"Noteword") {
                noted << box->nextWord()->text().toInt();
                highestNote = std::min(highestNote, box->boundingBox().top());
            }
        }
        EXPECT_EQ(noted, marked);
        EXPECT_LT(lowestText, highestNote);
        notesSeen += noted.size();
        EXPECT_GT(counts.value(page), 0);
    }
    EXPECT_EQ(notesSeen, kLines / 10);
}
