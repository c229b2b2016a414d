#include "engine/AllToPDFConverter.h"

#include "platform/DictionaryKeys.h"
#include "platform/pdf/PdfDocument.h"
#include "tests/support/PdfInspection.h"
#include "tests/support/ProgressRecorder.h"
#include "tests/support/TestSupport.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <poppler-qt6.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <memory>
#include <set>

using namespace platform;
using testsupport::inspectPdf;
using testsupport::runQpdf;

namespace {

constexpr double kA4Width = 595.3;
constexpr double kA4Height = 841.9;

// Pages carrying "<tag>-<n>" so that a merged document shows where each
// page came from.
QUrl writePdf(const QString& path, const QString& tag, int pages,
              QPageSize size = QPageSize(QPageSize::A5))
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QPdfWriter writer(path);
    writer.setPageSize(size);
    writer.setResolution(72);
    QPainter painter(&writer);
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 12));
    for (int i = 1; i <= pages; ++i) {
        if (i > 1)
            writer.newPage();
        painter.drawText(QPointF(40, 60), QStringLiteral("%1-%2").arg(tag).arg(i));
    }
    painter.end();
    return QUrl::fromLocalFile(path);
}

int rotationOf(const Poppler::Page& page)
{
    switch (page.orientation()) {
    case Poppler::Page::Landscape:
        return 90;
    case Poppler::Page::UpsideDown:
        return 180;
    case Poppler::Page::Seascape:
        return 270;
    default:
        return 0;
    }
}

QList<int> rotationsOf(const QString& path)
{
    QList<int> rotations;
    const std::unique_ptr<Poppler::Document> document = Poppler::Document::load(path);
    if (!document)
        return rotations;
    for (int i = 0; i < document->numPages(); ++i)
        if (const std::unique_ptr<Poppler::Page> page = document->page(i))
            rotations << rotationOf(*page);
    return rotations;
}

// An outline item as a reader sees it: label, 1-based page, distance of the
// target from the page's top (0 top, 1 bottom), children.
struct Bookmark {
    QString label;
    int page = 0;
    double top = -1;
    QList<Bookmark> children;
};

QList<Bookmark> readBookmarks(const QVector<Poppler::OutlineItem>& items, int depth = 0)
{
    QList<Bookmark> bookmarks;
    for (const Poppler::OutlineItem& item : items) {
        Bookmark bookmark;
        bookmark.label = item.name();
        if (const auto destination = item.destination()) {
            bookmark.page = destination->pageNumber();
            if (destination->isChangeTop())
                bookmark.top = destination->top();
        }
        if (depth < 8)
            bookmark.children = readBookmarks(item.children(), depth + 1);
        bookmarks << bookmark;
    }
    return bookmarks;
}

QList<Bookmark> bookmarksOf(const QString& path, const QString& password = {})
{
    const std::unique_ptr<Poppler::Document> document =
        Poppler::Document::load(path, password.toUtf8(), password.toUtf8());
    if (!document || document->isLocked())
        return {};
    return readBookmarks(document->outline());
}

QStringList labelsOf(const QList<Bookmark>& bookmarks)
{
    QStringList labels;
    for (const Bookmark& bookmark : bookmarks)
        labels << bookmark.label;
    return labels;
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

// First line of every page's text: the fixtures' tags.
QStringList pageTagsOf(const QString& path, const QString& password = {})
{
    QStringList tags;
    if (const auto facts = inspectPdf(path, password))
        for (const QString& text : facts->pageTexts)
            tags << text.trimmed().section(QLatin1Char('\n'), 0, 0).trimmed();
    return tags;
}

// A PDF written object by object, for damage that no writer makes: objects
// are numbered from 1, the cross-reference table is computed unless
// xrefOffset says where it claims to be.
QByteArray rawPdf(const QList<QByteArray>& objects, qsizetype xrefOffset = -1)
{
    QByteArray out = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    for (qsizetype i = 0; i < objects.size(); ++i) {
        offsets << out.size();
        out += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = out.size();
    out += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const qsizetype offset : offsets)
        out += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    out += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1)
         + " /Root 1 0 R >>\nstartxref\n" + QByteArray::number(xrefOffset < 0 ? xref : xrefOffset)
         + "\n%%EOF\n";
    return out;
}

// Adds an item that opens a web address at the end of a file's outline.
void appendLinkBookmark(const QString& file, const std::string& title, const std::string& address)
{
    QPDF qpdf;
    qpdf.processFile(file.toLocal8Bit().constData());
    QPDFObjectHandle outlines = qpdf.getRoot().getKey("/Outlines");
    QPDFObjectHandle last = outlines.getKey("/Last");
    QPDFObjectHandle item = qpdf.makeIndirectObject(QPDFObjectHandle::parse(
        "<< /Title (" + title + ") /A << /S /URI /URI (" + address + ") >> >>"));
    item.replaceKey("/Parent", outlines);
    item.replaceKey("/Prev", last);
    last.replaceKey("/Next", item);
    outlines.replaceKey("/Last", item);
    outlines.replaceKey("/Count", QPDFObjectHandle::newInteger(outlines.getKey("/Count").getIntValue() + 1));
    const QByteArray written = (file + ".new").toLocal8Bit();
    QPDFWriter writer(qpdf, written.constData());
    writer.write();
    QFile::remove(file);
    QFile::rename(file + ".new", file);
}

struct Outcome {
    bool result = false;
    QList<int> statuses;
    bool reportsOnMainThread = true;
};

Outcome runJob(AllToPDFConversionOptions& options, int cancelAfterInputs = 0)
{
    testsupport::ProgressRecorder recorder(cancelAfterInputs);
    options.progress = {&recorder, "ChangeProgressStatus"};
    Outcome outcome;
    testsupport::runOnWorker([&] { outcome.result = ConvertDocumentsToPDF(&options); });
    options.progress = {};
    outcome.statuses = recorder.statuses();
    outcome.reportsOnMainThread = recorder.reportsOnMainThread();
    return outcome;
}

QList<int> nextInputReports(int count)
{
    return QList<int>(count, ConversionProgressNextInput);
}

SourceFileEntry pdfEntry(const QUrl& file, const QString& password = {}, int angle = 0)
{
    SourceFileEntry entry = MakeSourceFileEntry(file, FileKindPDF);
    entry->insert(SourceFileKey::Password, password);
    entry->insert(SourceFileKey::Angle, angle);
    return entry;
}

class AllToPDFConverterTest : public ::testing::Test {
protected:
    QTemporaryDir dir;

    QString path(const QString& name) const { return dir.filePath(name); }
    QUrl url(const QString& name) const { return QUrl::fromLocalFile(path(name)); }
    QUrl file(const QString& name, const QByteArray& bytes) const
    {
        return testsupport::writeFile(path(name), bytes);
    }
    QUrl pdf(const QString& name, int pages)
    {
        return writePdf(path(name), QFileInfo(name).completeBaseName(), pages);
    }
    // A copy of an input encrypted by the qpdf tool.
    QUrl encryptedPdf(const QString& name, const QString& user, const QString& owner,
                      bool allowPrinting)
    {
        const QUrl plain = pdf(QStringLiteral("plain-") + name, 2);
        const int code = runQpdf({"--encrypt", user, owner, "256",
                                  allowPrinting ? "--print=full" : "--print=none", "--",
                                  plain.toLocalFile(), path(name)});
        EXPECT_EQ(code, 0) << name.toStdString();
        return url(name);
    }

    AllToPDFConversionOptions job(bool merged, const QUrl& destination) const
    {
        AllToPDFConversionOptions options;
        options.destination = destination;
        options.singlePDF = merged ? 1 : 0;
        options.outlinePerInput = merged ? 1 : 0;
        options.pageWidth = kA4Width;
        options.pageHeight = kA4Height;
        options.leftMargin = options.rightMargin = options.topMargin = options.bottomMargin = 72;
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSizeF(12);
        options.textAttributes = {{keys::NSFontAttributeName, font},
                                  {keys::NSForegroundColorAttributeName, QColor(Qt::black)}};
        return options;
    }
    AllToPDFConversionOptions separateJob(const QString& folder)
    {
        QDir().mkpath(path(folder));
        return job(false, url(folder));
    }
    AllToPDFConversionOptions mergedJob(const QString& output) { return job(true, url(output)); }
    AllToPDFConversionOptions threePdfsJob(const QString& folder, bool merged);
};

} // namespace

TEST_F(AllToPDFConverterTest, MissingRecordOrDestinationConvertsNothing)
{
    EXPECT_FALSE(ConvertDocumentsToPDF(nullptr));
    const QUrl input = pdf("in.pdf", 1);
    for (const bool merged : {false, true}) {
        AllToPDFConversionOptions options = job(merged, QUrl());
        options.sources = {pdfEntry(input)};
        const Outcome outcome = runJob(options);
        EXPECT_FALSE(outcome.result) << merged;
        EXPECT_TRUE(outcome.statuses.isEmpty()) << merged;
    }
}

TEST_F(AllToPDFConverterTest, EmptySourcesWriteNothing)
{
    const struct {
        bool merged;
        bool result;
    } cases[] = {{false, true}, {true, false}};
    for (const auto& c : cases) {
        AllToPDFConversionOptions options =
            c.merged ? mergedJob("out/merged.pdf") : separateJob("out");
        QDir().mkpath(path("out"));
        const Outcome outcome = runJob(options);
        EXPECT_EQ(outcome.result, c.result) << c.merged;
        EXPECT_TRUE(outcome.statuses.isEmpty()) << c.merged;
        EXPECT_TRUE(filesIn(path("out")).isEmpty()) << c.merged;
    }
}

TEST_F(AllToPDFConverterTest, OutputNamesStayUniqueAcrossFoldersAndRuns)
{
    const QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 DejaVu Sans;}}\\f0 Rich notes.\\par}";
    const QUrl rich = file("a/Notes.rtf", rtf);
    const QUrl plain = file("b/Notes.txt", "Plain notes.");

    AllToPDFConversionOptions first = separateJob("out");
    first.sources = {MakeSourceFileEntry(rich, FileKindText)};
    ASSERT_TRUE(runJob(first).result);
    EXPECT_EQ(filesIn(path("out")), QStringList({"Notes.pdf"}));

    AllToPDFConversionOptions second = separateJob("out");
    second.sources = {MakeSourceFileEntry(rich, FileKindText),
                      MakeSourceFileEntry(plain, FileKindText)};
    const Outcome outcome = runJob(second);
    ASSERT_TRUE(outcome.result);
    EXPECT_EQ(outcome.statuses, nextInputReports(2));
    EXPECT_TRUE(outcome.reportsOnMainThread);
    EXPECT_EQ(filesIn(path("out")), QStringList({"Notes 1.pdf", "Notes 2.pdf", "Notes.pdf"}));
    EXPECT_TRUE(pageTagsOf(path("out/Notes 1.pdf")).join(' ').contains("Rich notes."));
    EXPECT_TRUE(pageTagsOf(path("out/Notes 2.pdf")).join(' ').contains("Plain notes."));
}

TEST_F(AllToPDFConverterTest, SeparateRunAnswersWithTheLastEntryThatSetTheResult)
{
    enum Input { Good, Unopenable, Missing, Category5, Category7 };
    const struct {
        const char* name;
        std::vector<Input> inputs;
        bool result;
        QStringList outputs;
    } cases[] = {
        {"last entry fails", {Good, Good, Unopenable}, false, {"in0.pdf", "in1.pdf"}},
        {"unknown category after a failure", {Unopenable, Category5}, false, {}},
        {"success after a failure", {Unopenable, Good}, true, {"in1.pdf"}},
        {"missing file leaves the result", {Good, Missing}, true, {"in0.pdf"}},
        {"missing file after a failure", {Unopenable, Missing}, false, {}},
        {"only an unknown category", {Category7}, true, {}},
        {"unknown category after a success", {Good, Category7}, true, {"in0.pdf"}},
    };
    int run = 0;
    for (const auto& c : cases) {
        const QString folder = QStringLiteral("run%1").arg(run++);
        AllToPDFConversionOptions options = separateJob(folder + "/out");
        for (size_t i = 0; i < c.inputs.size(); ++i) {
            const QString name = QStringLiteral("%1/in/in%2.pdf").arg(folder).arg(i);
            switch (c.inputs[i]) {
            case Good:
                options.sources << pdfEntry(pdf(name, 1));
                break;
            case Unopenable:
                options.sources << pdfEntry(file(name, "not a PDF at all"));
                break;
            case Missing:
                options.sources << pdfEntry(url(name));
                break;
            case Category5:
            case Category7:
                options.sources << MakeSourceFileEntry(pdf(name, 1),
                                                       c.inputs[i] == Category5 ? 5 : 7);
                break;
            }
        }
        const Outcome outcome = runJob(options);
        EXPECT_EQ(outcome.result, c.result) << c.name;
        EXPECT_EQ(outcome.statuses, nextInputReports(int(c.inputs.size()))) << c.name;
        EXPECT_EQ(filesIn(path(folder + "/out")), c.outputs) << c.name;
    }
}

TEST_F(AllToPDFConverterTest, PdfInputsThatCannotBeUsedAreCopiedOrLeftOut)
{
    const QUrl forbidsPrinting = encryptedPdf("noprint.pdf", "user", "owner", false);
    const QUrl wrongPassword = encryptedPdf("locked.pdf", "right", "owner", true);
    const QUrl unlocked = encryptedPdf("unlocked.pdf", "user", "owner", true);
    const QUrl emptyUserPassword = encryptedPdf("open.pdf", "", "owner", true);
    const QUrl ownerLifts = encryptedPdf("lifted.pdf", "", "owner", false);
    const QUrl openNoPrint = encryptedPdf("openprint.pdf", "", "owner", false);
    const QUrl garbage = file("garbage.pdf", QByteArray(3000, '\x9c'));
    const QUrl truncated =
        file("truncated.pdf", testsupport::readFile(pdf("whole.pdf", 3).toLocalFile()).left(900));
    const QByteArray page = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>";
    const QUrl pagesLoop = file("loop.pdf", rawPdf({"<< /Type /Catalog /Pages 2 0 R >>",
                                                    "<< /Type /Pages /Kids [2 0 R 3 0 R] /Count 2 >>",
                                                    page}));
    const QUrl noPages = file("nopages.pdf", rawPdf({"<< /Type /Catalog /Pages 2 0 R >>",
                                                     "<< /Type /Pages /Kids [] /Count 0 >>"}));
    const QUrl wrongXref = file("xref.pdf", rawPdf({"<< /Type /Catalog /Pages 2 0 R >>",
                                                    "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 >>",
                                                    page, page},
                                                   17));
    const QByteArray twoPages = rawPdf({"<< /Type /Catalog /Pages 2 0 R >>",
                                        "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 >>", page,
                                        page});
    const QUrl noSize = file("nosize.pdf", QByteArray(twoPages).replace("/Size 5 ", ""));
    const QUrl wrongSize = file("wrongsize.pdf", QByteArray(twoPages).replace("/Size 5 ", "/Size 2 "));
    const QUrl good = pdf("good.pdf", 2);

    enum Output { None, Copy, Rewritten };
    const struct {
        const char* name;
        SourceFileEntry entry;
        bool result;
        Output output;
        bool merged; // its pages join a merged document
    } cases[] = {
        {"encrypted, forbids printing", pdfEntry(forbidsPrinting, "user"), true, Copy, false},
        {"wrong password", pdfEntry(wrongPassword, "wrong"), true, Copy, false},
        {"encrypted, unlocked", pdfEntry(unlocked, "user"), true, Rewritten, true},
        {"empty user password", pdfEntry(emptyUserPassword, ""), true, Rewritten, true},
        {"open, forbids printing, owner's password", pdfEntry(ownerLifts, "owner"), true, Rewritten,
         true},
        {"open, forbids printing, no password", pdfEntry(openNoPrint, ""), true, Copy, false},
        {"garbage", pdfEntry(garbage), false, None, false},
        {"truncated", pdfEntry(truncated), false, None, false},
        {"page tree loops", pdfEntry(pagesLoop), false, None, false},
        {"no page", pdfEntry(noPages), true, Copy, false},
        {"cross-reference table elsewhere", pdfEntry(wrongXref), true, Rewritten, true},
        {"trailer without /Size", pdfEntry(noSize), true, Rewritten, true},
        {"trailer with a wrong /Size", pdfEntry(wrongSize), true, Rewritten, true},
    };

    for (const auto& c : cases) {
        const QString input = c.entry->value(SourceFileKey::FilePath).toUrl().toLocalFile();
        const QString folder = QStringLiteral("separate-") + QFileInfo(input).completeBaseName();
        AllToPDFConversionOptions options = separateJob(folder);
        options.sources = {c.entry};
        EXPECT_EQ(runJob(options).result, c.result) << c.name;
        const QString output = path(folder + "/" + QFileInfo(input).fileName());
        EXPECT_EQ(QFile::exists(output), c.output != None) << c.name;
        if (c.output == Copy) {
            EXPECT_EQ(testsupport::readFile(output), testsupport::readFile(input)) << c.name;
        }
        if (c.output == Rewritten) {
            // No write options: the rewritten input opens without a password.
            EXPECT_FALSE(testsupport::needsPassword(output)) << c.name;
            const auto facts = inspectPdf(output);
            ASSERT_TRUE(facts) << c.name;
            EXPECT_EQ(facts->pageCount, 2) << c.name;
            // Sound as written: a reader need not repair what we repaired.
            QString report;
            EXPECT_EQ(runQpdf({"--check", output}, &report), 0) << c.name << report.toStdString();
        }

        AllToPDFConversionOptions merged = mergedJob(folder + "/merged.pdf");
        merged.sources = {c.entry, pdfEntry(good)};
        const Outcome outcome = runJob(merged);
        ASSERT_TRUE(outcome.result) << c.name;
        EXPECT_EQ(outcome.statuses, QList<int>({3, 3, 6, 7})) << c.name;
        const QString mergedPath = path(folder + "/merged.pdf");
        QStringList expectedLabels;
        if (c.merged)
            expectedLabels << QFileInfo(input).completeBaseName();
        expectedLabels << "good";
        EXPECT_EQ(labelsOf(bookmarksOf(mergedPath)), expectedLabels) << c.name;
        EXPECT_EQ(pageTagsOf(mergedPath).size(), c.merged ? 4 : 2) << c.name;
        EXPECT_EQ(runQpdf({"--check", mergedPath}), 0) << c.name;
    }
}

TEST_F(AllToPDFConverterTest, AngleTurnsEveryPageOfAPdfInput)
{
    const struct {
        int own;
        int angle;
        int expected;
    } cases[] = {
        {270, 90, 0},   {0, 90, 90},   {90, -180, 270}, {180, 270, 90},  {0, -270, 90},
        {270, 0, 270},  {90, 450, 90}, {90, -360, 90},  {0, 45, 0},      {180, -90, 90},
    };
    for (const auto& c : cases) {
        const QString tag = QStringLiteral("r%1a%2").arg(c.own).arg(c.angle);
        const QString input = path(tag + "/in.pdf");
        const QString plain = path(tag + "/plain.pdf");
        writePdf(plain, tag, 2);
        ASSERT_EQ(runQpdf({QStringLiteral("--rotate=%1").arg(c.own), plain, input}), 0);

        AllToPDFConversionOptions separate = separateJob(tag + "/out");
        separate.sources = {pdfEntry(QUrl::fromLocalFile(input), {}, c.angle)};
        ASSERT_TRUE(runJob(separate).result) << tag.toStdString();
        const QString output = path(tag + "/out/in.pdf");
        EXPECT_EQ(rotationsOf(output), QList<int>({c.expected, c.expected})) << tag.toStdString();
        EXPECT_EQ(runQpdf({"--check", output}), 0) << tag.toStdString();

        AllToPDFConversionOptions merged = mergedJob(tag + "/merged.pdf");
        merged.sources = {pdfEntry(QUrl::fromLocalFile(input), {}, c.angle)};
        ASSERT_TRUE(runJob(merged).result) << tag.toStdString();
        EXPECT_EQ(rotationsOf(path(tag + "/merged.pdf")), QList<int>({c.expected, c.expected}))
            << tag.toStdString();
    }
}

TEST_F(AllToPDFConverterTest, MergedOutlineNestsAnInputsOwnBookmarks)
{
    const QUrl opening = pdf("opening.pdf", 2);
    // A three-page book with bookmarks of its own, one of them nested.
    const QUrl plainBook = writePdf(path("plain.pdf"), "Book", 3);
    {
        const auto book = pdf::PdfDocument::open(plainBook);
        ASSERT_TRUE(book);
        const auto root = pdf::PdfOutline::create();
        const auto chapter1 = pdf::PdfOutline::create();
        chapter1->setLabel("Chapter 1");
        chapter1->setDestination(book->page(1), {0, book->page(1).cropBox().height()});
        const auto chapter2 = pdf::PdfOutline::create();
        chapter2->setLabel("Chapter 2");
        chapter2->setDestination(book->page(2), {0, book->page(2).cropBox().height()});
        const auto section = pdf::PdfOutline::create();
        section->setLabel("Section 2.1");
        section->setDestination(book->page(2), {0, 100});
        chapter2->insertChild(section, 0);
        chapter2->setIsOpen(false);
        root->insertChild(chapter1, 0);
        root->insertChild(chapter2, 1);
        book->setOutlineRoot(root);
        ASSERT_TRUE(book->write(url("Book.v2.pdf")));
    }
    appendLinkBookmark(path("Book.v2.pdf"), "Website", "https://example.org/book");
    const QUrl last = pdf("last.pdf", 1);

    AllToPDFConversionOptions options = mergedJob("merged.pdf");
    options.sources = {pdfEntry(opening), pdfEntry(url("Book.v2.pdf")), pdfEntry(last)};
    ASSERT_TRUE(runJob(options).result);

    const QString merged = path("merged.pdf");
    EXPECT_EQ(pageTagsOf(merged),
              QStringList({"opening-1", "opening-2", "Book-1", "Book-2", "Book-3", "last-1"}));
    const QList<Bookmark> bookmarks = bookmarksOf(merged);
    ASSERT_EQ(labelsOf(bookmarks), QStringList({"opening", "Book.v2", "last"}));
    EXPECT_EQ(bookmarks[0].page, 1);
    EXPECT_EQ(bookmarks[1].page, 3);
    EXPECT_EQ(bookmarks[2].page, 6);
    for (const Bookmark& bookmark : bookmarks)
        EXPECT_NEAR(bookmark.top, 0, 0.01) << bookmark.label.toStdString();
    EXPECT_TRUE(bookmarks[0].children.isEmpty());
    const QList<Bookmark>& chapters = bookmarks[1].children;
    ASSERT_EQ(labelsOf(chapters), QStringList({"Chapter 1", "Chapter 2", "Website"}));
    EXPECT_EQ(chapters[0].page, 4);
    EXPECT_EQ(chapters[1].page, 5);
    ASSERT_EQ(labelsOf(chapters[1].children), QStringList({"Section 2.1"}));
    EXPECT_EQ(chapters[1].children[0].page, 5);
    EXPECT_EQ(runQpdf({"--check", merged}), 0);

    // The link and the closed chapter as qpdf reads them.
    QPDF written;
    written.processFile(merged.toLocal8Bit().constData());
    QPDFObjectHandle book =
        written.getRoot().getKey("/Outlines").getKey("/First").getKey("/Next");
    QPDFObjectHandle chapter2 = book.getKey("/First").getKey("/Next");
    EXPECT_EQ(chapter2.getKey("/Count").getIntValue(), -1);
    QPDFObjectHandle website = chapter2.getKey("/Next");
    EXPECT_EQ(website.getKey("/A").getKey("/URI").getStringValue(), "https://example.org/book");
}

TEST_F(AllToPDFConverterTest, MergedRunWithoutOutlineFlagHasNoOutline)
{
    AllToPDFConversionOptions options = mergedJob("merged.pdf");
    options.outlinePerInput = 0;
    options.sources = {pdfEntry(pdf("a.pdf", 1)), pdfEntry(pdf("b.pdf", 2))};
    ASSERT_TRUE(runJob(options).result);
    EXPECT_EQ(pageTagsOf(path("merged.pdf")), QStringList({"a-1", "b-1", "b-2"}));
    EXPECT_TRUE(bookmarksOf(path("merged.pdf")).isEmpty());
}

TEST_F(AllToPDFConverterTest, MergedOutputMayReplaceOneOfItsInputs)
{
    // Pages of a.pdf are still read from it while the merged file is written.
    AllToPDFConversionOptions options = mergedJob("a.pdf");
    options.sources = {pdfEntry(pdf("a.pdf", 2)), pdfEntry(pdf("b.pdf", 1))};
    ASSERT_TRUE(runJob(options).result);
    EXPECT_EQ(pageTagsOf(path("a.pdf")), QStringList({"a-1", "a-2", "b-1"}));
    EXPECT_EQ(runQpdf({"--check", path("a.pdf")}), 0);
}

// Three pages that share one resource dictionary and take their media box,
// rotation and resources from the page tree, with bookmarks of their own on
// the first and the third page.
QByteArray sharedPagesPdf(const QByteArray& tag)
{
    QList<QByteArray> objects = {
        "<< /Type /Catalog /Pages 2 0 R /Outlines 8 0 R >>",
        "<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R] /Count 3 /MediaBox [0 0 300 400] /Rotate 90"
        " /Resources 6 0 R >>"};
    for (int page = 0; page < 3; ++page)
        objects << "<< /Type /Page /Parent 2 0 R /Contents " + QByteArray::number(9 + page) + " 0 R >>";
    objects << "<< /Font << /F1 7 0 R >> >>"
            << "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"
            << "<< /Type /Outlines /First 12 0 R /Last 13 0 R /Count 2 >>";
    for (int page = 1; page <= 3; ++page) {
        const QByteArray text = "BT /F1 12 Tf 120 190 Td (" + tag + "-" + QByteArray::number(page) + ") Tj ET";
        objects << "<< /Length " + QByteArray::number(text.size()) + " >>\nstream\n" + text + "\nendstream";
    }
    objects << "<< /Title (First) /Parent 8 0 R /Next 13 0 R /Dest [3 0 R /XYZ 0 400 null] >>"
            << "<< /Title (Third) /Parent 8 0 R /Prev 12 0 R /Dest [5 0 R /XYZ 0 400 null] >>";
    return rawPdf(objects);
}

TEST_F(AllToPDFConverterTest, MergedInputsKeepPagesResourcesAndBookmarks)
{
    // Each input is let go once its pages are copied: what the merged file
    // takes from it must not depend on it any more.
    const QUrl shared = file("shared.pdf", sharedPagesPdf("shared"));
    const QUrl locked = encryptedPdf("locked.pdf", "user", "owner", true);
    AllToPDFConversionOptions options = mergedJob("merged.pdf");
    options.sources = {pdfEntry(shared), pdfEntry(locked, "user"), pdfEntry(shared, {}, 90),
                       pdfEntry(pdf("b.pdf", 1), {}, -90)};
    ASSERT_TRUE(runJob(options).result);

    const QString merged = path("merged.pdf");
    EXPECT_FALSE(testsupport::needsPassword(merged));
    EXPECT_EQ(pageTagsOf(merged),
              QStringList({"shared-1", "shared-2", "shared-3", "plain-locked-1", "plain-locked-2",
                           "shared-1", "shared-2", "shared-3", "b-1"}));
    EXPECT_EQ(rotationsOf(merged), QList<int>({90, 90, 90, 0, 0, 180, 180, 180, 270}));
    const QList<Bookmark> bookmarks = bookmarksOf(merged);
    ASSERT_EQ(labelsOf(bookmarks), QStringList({"shared", "locked", "shared", "b"}));
    const int firstPages[] = {1, 4, 6, 9};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(bookmarks[i].page, firstPages[i]) << i;
    // Each copy's own bookmarks lead to its own pages.
    for (const int i : {0, 2}) {
        ASSERT_EQ(labelsOf(bookmarks[i].children), QStringList({"First", "Third"})) << i;
        EXPECT_EQ(bookmarks[i].children[0].page, firstPages[i]) << i;
        EXPECT_EQ(bookmarks[i].children[1].page, firstPages[i] + 2) << i;
    }
    QString report;
    EXPECT_EQ(runQpdf({"--check", merged}, &report), 0) << report.toStdString();

    // The copies keep the inherited media box, and each copy's pages share
    // one copy of the resources.
    QPDF written;
    written.processFile(merged.toLocal8Bit().constData());
    std::vector<QPDFObjectHandle> pages = written.getAllPages();
    ASSERT_EQ(pages.size(), 9u);
    std::set<QPDFObjGen> resources;
    for (const size_t i : {0, 1, 2, 5, 6, 7}) {
        QPDFPageObjectHelper page(pages[i]);
        EXPECT_EQ(page.getMediaBox().unparseResolved(), "[ 0 0 300 400 ]") << i;
        resources.insert(page.getAttribute("/Resources", false).getObjGen());
    }
    EXPECT_EQ(resources.size(), 2u);
}

TEST_F(AllToPDFConverterTest, AllBlankTextInputAddsNoPageAndNoBookmark)
{
    AllToPDFConversionOptions options = mergedJob("merged.pdf");
    // A few white characters print a page that is blank.
    options.textAttributes.insert(keys::NSForegroundColorAttributeName, QColor(Qt::white));
    options.sources = {MakeSourceFileEntry(file("blank.txt", "abc"), FileKindText),
                       pdfEntry(pdf("good.pdf", 1))};
    ASSERT_TRUE(runJob(options).result);
    EXPECT_EQ(pageTagsOf(path("merged.pdf")), QStringList({"good-1"}));
    const QList<Bookmark> bookmarks = bookmarksOf(path("merged.pdf"));
    ASSERT_EQ(labelsOf(bookmarks), QStringList({"good"}));
    EXPECT_EQ(bookmarks[0].page, 1);
}

TEST_F(AllToPDFConverterTest, NoTemporaryFileOutlivesARun)
{
    QDir().mkpath(path("tmp"));
    const QByteArray savedTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(path("tmp")));
    for (const bool merged : {true, false}) {
        AllToPDFConversionOptions options =
            merged ? mergedJob("merged.pdf") : separateJob("separate");
        options.sources = {MakeSourceFileEntry(file("in/notes.txt", "Some words."), FileKindText),
                           MakeSourceFileEntry(url("in/missing.txt"), FileKindText),
                           pdfEntry(pdf("in/doc.pdf", 1)),
                           pdfEntry(encryptedPdf("in/locked.pdf", "user", "owner", false), "user")};
        EXPECT_TRUE(runJob(options).result) << merged;
        EXPECT_EQ(QDir(path("tmp")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                  QStringList())
            << merged;
    }
    if (savedTmp.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", savedTmp);
}

TEST_F(AllToPDFConverterTest, MergedRunWhoseInputsAllFailWritesNothing)
{
    const QByteArray previous = "an earlier output";
    file("merged.pdf", previous);
    AllToPDFConversionOptions options = mergedJob("merged.pdf");
    options.textAttributes.insert(keys::NSForegroundColorAttributeName, QColor(Qt::white));
    options.sources = {pdfEntry(url("missing.pdf")), pdfEntry(file("noise.pdf", "%PDF-1.4 junk")),
                       MakeSourceFileEntry(file("blank.txt", "abc"), FileKindText),
                       MakeSourceFileEntry(pdf("seven.pdf", 1), 7), SourceFileEntry()};
    const Outcome outcome = runJob(options);
    EXPECT_FALSE(outcome.result);
    EXPECT_EQ(outcome.statuses, nextInputReports(5));
    EXPECT_EQ(testsupport::readFile(path("merged.pdf")), previous);
}

// A job over three one-page PDFs in folder, merged into folder/out/merged.pdf
// or one PDF each into folder/out.
AllToPDFConversionOptions AllToPDFConverterTest::threePdfsJob(const QString& folder, bool merged)
{
    AllToPDFConversionOptions options =
        merged ? mergedJob(folder + "/out/merged.pdf") : separateJob(folder + "/out");
    QDir().mkpath(path(folder + "/out"));
    for (int i = 0; i < 3; ++i)
        options.sources << pdfEntry(pdf(QStringLiteral("%1/in%2.pdf").arg(folder).arg(i), 1));
    return options;
}

TEST_F(AllToPDFConverterTest, CancelAfterTheFirstOfThreeEntries)
{
    for (const bool merged : {false, true}) {
        const QString folder = merged ? "merged" : "separate";
        AllToPDFConversionOptions options = threePdfsJob(folder, merged);
        const Outcome outcome = runJob(options, 1);
        EXPECT_FALSE(outcome.result) << merged;
        EXPECT_EQ(outcome.statuses, nextInputReports(1)) << merged;
        EXPECT_EQ(filesIn(path(folder + "/out")),
                  merged ? QStringList() : QStringList({"in0.pdf"}))
            << merged;
    }
}

TEST_F(AllToPDFConverterTest, RunsWithoutAProgressTargetToTheEnd)
{
    AllToPDFConversionOptions options = separateJob("out");
    options.sources = {pdfEntry(pdf("a.pdf", 1)), pdfEntry(pdf("b.pdf", 1))};
    bool result = false;
    testsupport::runOnWorker([&] { result = ConvertDocumentsToPDF(&options); });
    EXPECT_TRUE(result);
    EXPECT_EQ(filesIn(path("out")), QStringList({"a.pdf", "b.pdf"}));
}

TEST_F(AllToPDFConverterTest, SeparateOutputsOfEveryKindCarryTheDocumentInformation)
{
    AllToPDFConversionOptions options = separateJob("out");
    options.documentAttributes = {{keys::kCGPDFContextTitle, QStringLiteral("Each one")}};
    options.sources = {
        MakeSourceFileEntry(file("in/Notes.txt", "Plain words."), FileKindText),
        MakeSourceFileEntry(file("in/Page.html", "<html><body><p>Web words.</p></body></html>"),
                            FileKindWeb),
        pdfEntry(pdf("in/Scan.pdf", 1)),
        MakeSourceFileEntry(file("in/Broken.html", "<p>never loads</p>"), FileKindWeb)};
    // A web document that cannot be loaded is the last word.
    QFile::remove(path("in/Broken.html"));
    const Outcome outcome = runJob(options);
    EXPECT_FALSE(outcome.result);
    EXPECT_EQ(outcome.statuses, nextInputReports(4));
    ASSERT_EQ(filesIn(path("out")), QStringList({"Notes.pdf", "Page.pdf", "Scan.pdf"}));
    const struct {
        const char* name;
        const char* text;
    } outputs[] = {{"Notes.pdf", "Plain words."}, {"Page.pdf", "Web words."}, {"Scan.pdf", "Scan-1"}};
    for (const auto& o : outputs) {
        const auto facts = inspectPdf(path(QStringLiteral("out/") + o.name));
        ASSERT_TRUE(facts) << o.name;
        EXPECT_EQ(facts->title, QStringLiteral("Each one")) << o.name;
        EXPECT_TRUE(facts->pageTexts.join(' ').contains(o.text)) << o.name;
    }
}

TEST_F(AllToPDFConverterTest, MergedDocumentOfEveryKindCarriesTheJobsSettings)
{
    const QUrl text = file("docs/Plain notes.txt", "Plain words.");
    const QUrl rtf = file("docs/Rich.rtf",
                          "{\\rtf1\\ansi{\\fonttbl{\\f0 DejaVu Serif;}}\\f0\\fs24 Rich words.\\par}");
    const QUrl html = file("docs/Page.html",
                           "<html><body><p>Web words.</p></body></html>");
    const QUrl plainBook = pdf("docs/plain-book.pdf", 2);
    {
        const auto book = pdf::PdfDocument::open(plainBook);
        ASSERT_TRUE(book);
        const auto root = pdf::PdfOutline::create();
        const auto chapter = pdf::PdfOutline::create();
        chapter->setLabel("Chapter");
        chapter->setDestination(book->page(1), {0, book->page(1).cropBox().height()});
        root->insertChild(chapter, 0);
        book->setOutlineRoot(root);
        ASSERT_TRUE(book->write(url("docs/Book.pdf")));
    }

    AllToPDFConversionOptions options = mergedJob("out/All.pdf");
    options.documentAttributes = {
        {keys::kCGPDFContextTitle, QStringLiteral("All documents")},
        {keys::kCGPDFContextAuthor, QStringLiteral("The batch")},
        {keys::kCGPDFContextOwnerPassword, QStringLiteral("owner")},
        {keys::kCGPDFContextUserPassword, QStringLiteral("open")},
        {keys::kCGPDFContextAllowsPrinting, false},
        {keys::kCGPDFContextEncryptionKeyLength, 128},
    };
    options.sources = {MakeSourceFileEntry(text, FileKindText),
                       MakeSourceFileEntry(rtf, FileKindText),
                       MakeSourceFileEntry(html, FileKindWeb), pdfEntry(url("docs/Book.pdf"))};
    QDir().mkpath(path("out"));
    const Outcome outcome = runJob(options);
    ASSERT_TRUE(outcome.result);
    EXPECT_EQ(outcome.statuses, QList<int>({3, 3, 3, 3, 6, 7}));
    EXPECT_EQ(filesIn(path("out")), QStringList({"All.pdf"}));

    const QString merged = path("out/All.pdf");
    EXPECT_TRUE(testsupport::needsPassword(merged));
    const auto facts = inspectPdf(merged, "open");
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->title, QStringLiteral("All documents"));
    EXPECT_EQ(facts->author, QStringLiteral("The batch"));
    EXPECT_FALSE(facts->okToPrint);
    ASSERT_EQ(facts->pageCount, 5);

    const QList<Bookmark> bookmarks = bookmarksOf(merged, "open");
    ASSERT_EQ(labelsOf(bookmarks), QStringList({"Plain notes", "Rich", "Page", "Book"}));
    const char* expectedText[] = {"Plain words.", "Rich words.", "Web words.", "plain-book-1"};
    for (int i = 0; i < 4; ++i) {
        const int page = bookmarks[i].page;
        ASSERT_GE(page, 1);
        ASSERT_LE(page, facts->pageCount);
        EXPECT_TRUE(facts->pageTexts[page - 1].contains(expectedText[i]))
            << bookmarks[i].label.toStdString();
        EXPECT_NEAR(bookmarks[i].top, 0, 0.01) << bookmarks[i].label.toStdString();
    }
    ASSERT_EQ(labelsOf(bookmarks[3].children), QStringList({"Chapter"}));
    EXPECT_EQ(bookmarks[3].children[0].page, 5);

    QString report;
    EXPECT_EQ(runQpdf({"--check", "--password=open", merged}, &report), 0)
        << report.toStdString();
}

TEST_F(AllToPDFConverterTest, BookmarksOfAPdfAfterATextInputOpenItsOwnPages)
{
    // The printed text's intermediate is freed before the PDF is opened,
    // and its page objects have low numbers, as the PDF's have: a bookmark
    // on every page of the PDF must still open that page, never the text's.
    constexpr int kPages = 10;
    QList<QByteArray> objects = {"<< /Type /Catalog /Pages 2 0 R /Outlines "
                                     + QByteArray::number(kPages + 3) + " 0 R >>"};
    QByteArray kids;
    for (int i = 0; i < kPages; ++i)
        kids += QByteArray::number(i + 3) + " 0 R ";
    objects << "<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(kPages) + " >>";
    for (int i = 0; i < kPages; ++i)
        objects << "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>";
    const int firstItem = kPages + 4;
    objects << "<< /Type /Outlines /First " + QByteArray::number(firstItem) + " 0 R /Last "
                   + QByteArray::number(firstItem + kPages - 1) + " 0 R /Count "
                   + QByteArray::number(kPages) + " >>";
    for (int i = 0; i < kPages; ++i) {
        QByteArray item = "<< /Title (Page " + QByteArray::number(i + 1) + ") /Parent "
                        + QByteArray::number(kPages + 3) + " 0 R /Dest ["
                        + QByteArray::number(i + 3) + " 0 R /XYZ 0 200 null]";
        if (i > 0)
            item += " /Prev " + QByteArray::number(firstItem + i - 1) + " 0 R";
        if (i < kPages - 1)
            item += " /Next " + QByteArray::number(firstItem + i + 1) + " 0 R";
        objects << item + " >>";
    }
    const QUrl book = file("Book.pdf", rawPdf(objects));

    AllToPDFConversionOptions options = mergedJob("merged.pdf");
    options.sources = {MakeSourceFileEntry(file("Notes.txt", "Some notes."), FileKindText),
                       pdfEntry(book)};
    ASSERT_TRUE(runJob(options).result);
    const QList<Bookmark> bookmarks = bookmarksOf(path("merged.pdf"));
    ASSERT_EQ(labelsOf(bookmarks), QStringList({"Notes", "Book"}));
    EXPECT_EQ(bookmarks[0].page, 1);
    EXPECT_EQ(bookmarks[1].page, 2);
    ASSERT_EQ(bookmarks[1].children.size(), kPages);
    for (int i = 0; i < kPages; ++i)
        EXPECT_EQ(bookmarks[1].children[i].page, i + 2) << i;
}

TEST_F(AllToPDFConverterTest, SeparatePdfOutputsCarryTheJobsSecurity)
{
    AllToPDFConversionOptions options = separateJob("out");
    options.documentAttributes = {
        {keys::kCGPDFContextTitle, QStringLiteral("Secured")},
        {keys::kCGPDFContextOwnerPassword, QStringLiteral("boss")},
        {keys::kCGPDFContextUserPassword, QStringLiteral("open")},
        {keys::kCGPDFContextAllowsPrinting, false},
        {keys::kCGPDFContextEncryptionKeyLength, 128},
    };
    const QUrl refused = encryptedPdf("refused.pdf", "", "owner", false);
    options.sources = {pdfEntry(pdf("in/plain.pdf", 2)),
                       pdfEntry(encryptedPdf("lifted.pdf", "", "owner", false), "owner"),
                       pdfEntry(refused)};
    ASSERT_TRUE(runJob(options).result);
    ASSERT_EQ(filesIn(path("out")), QStringList({"lifted.pdf", "plain.pdf", "refused.pdf"}));

    const struct {
        const char* name;
        bool secured;
    } outputs[] = {{"plain.pdf", true}, {"lifted.pdf", true}, {"refused.pdf", false}};
    for (const auto& o : outputs) {
        const QString output = path(QStringLiteral("out/") + o.name);
        EXPECT_EQ(testsupport::needsPassword(output), o.secured) << o.name;
        const auto facts = inspectPdf(output, o.secured ? "open" : "");
        ASSERT_TRUE(facts) << o.name;
        EXPECT_EQ(facts->pageCount, 2) << o.name;
        EXPECT_FALSE(facts->okToPrint) << o.name;
        EXPECT_EQ(facts->title, o.secured ? QStringLiteral("Secured") : QString()) << o.name;
    }
    // Refused: the input itself under the output name.
    EXPECT_EQ(testsupport::readFile(path("out/refused.pdf")),
              testsupport::readFile(refused.toLocalFile()));
}

TEST_F(AllToPDFConverterTest, TargetWithoutSelectorStillCancels)
{
    for (const bool merged : {false, true}) {
        const QString folder = merged ? "merged" : "separate";
        AllToPDFConversionOptions options = threePdfsJob(folder, merged);
        // Set before the start: the first input is still converted.
        testsupport::ProgressRecorder recorder;
        recorder.cancel();
        options.progress = {&recorder, nullptr};
        bool result = true;
        testsupport::runOnWorker([&] { result = ConvertDocumentsToPDF(&options); });
        EXPECT_FALSE(result) << merged;
        EXPECT_TRUE(recorder.statuses().isEmpty()) << merged;
        EXPECT_EQ(filesIn(path(folder + "/out")),
                  merged ? QStringList() : QStringList({"in0.pdf"}))
            << merged;
    }
}

TEST_F(AllToPDFConverterTest, UnknownCategoryInAMergedRunChangesNothing)
{
    AllToPDFConversionOptions options = mergedJob("merged.pdf");
    options.sources = {pdfEntry(pdf("a.pdf", 1)), MakeSourceFileEntry(pdf("seven.pdf", 1), 7),
                       pdfEntry(pdf("b.pdf", 1))};
    const Outcome outcome = runJob(options);
    ASSERT_TRUE(outcome.result);
    EXPECT_EQ(outcome.statuses, QList<int>({3, 3, 3, 6, 7}));
    EXPECT_EQ(pageTagsOf(path("merged.pdf")), QStringList({"a-1", "b-1"}));
    EXPECT_EQ(labelsOf(bookmarksOf(path("merged.pdf"))), QStringList({"a", "b"}));
}

TEST_F(AllToPDFConverterTest, BookmarkLabelsAreTheSeparateRunsOutputNames)
{
    // Names whose extension is unclear: a trailing dot, several dots, none.
    const QStringList names = {"Scan.", "Report.v2.pdf", "Plain"};
    AllToPDFConversionOptions separate = separateJob("out");
    AllToPDFConversionOptions merged = mergedJob("merged.pdf");
    for (const QString& name : names) {
        const QUrl input = writePdf(path("in/" + name), "tag", 1);
        separate.sources << pdfEntry(input);
        merged.sources << pdfEntry(input);
    }
    ASSERT_TRUE(runJob(separate).result);
    ASSERT_TRUE(runJob(merged).result);
    QStringList outputs;
    for (const QString& output : filesIn(path("out")))
        outputs << output.chopped(4);
    QStringList labels = labelsOf(bookmarksOf(path("merged.pdf")));
    labels.sort();
    EXPECT_EQ(labels, outputs);
    EXPECT_EQ(labels.size(), names.size());
}

TEST_F(AllToPDFConverterTest, WebInputKeepsBlankPagesOnlyInItsOwnPdf)
{
    // The second printed page holds three white characters: blank.
    const QUrl page = file("in/Page.html",
                           "<html><body><p style='page-break-after: always'>Web words.</p>"
                           "<p style='color: white'>abc</p></body></html>");
    AllToPDFConversionOptions separate = separateJob("out");
    separate.sources = {MakeSourceFileEntry(page, FileKindWeb)};
    ASSERT_TRUE(runJob(separate).result);
    const auto own = inspectPdf(path("out/Page.pdf"));
    ASSERT_TRUE(own);
    EXPECT_EQ(own->pageCount, 2);

    AllToPDFConversionOptions merged = mergedJob("merged.pdf");
    merged.sources = {MakeSourceFileEntry(page, FileKindWeb)};
    ASSERT_TRUE(runJob(merged).result);
    const auto facts = inspectPdf(path("merged.pdf"));
    ASSERT_TRUE(facts);
    ASSERT_EQ(facts->pageCount, 1);
    EXPECT_TRUE(facts->pageTexts[0].contains("Web words."));
}
