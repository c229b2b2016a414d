#include "pdfdecode/PDFTextExporter.h"

#include "platform/DictionaryKeys.h"
#include "platform/pdf/PdfDocument.h"
#include "platform/text/PlainTextReader.h"
#include "platform/text/odf/OdtReader.h"
#include "platform/text/rtf/RtfReader.h"
#include "platform/text/rtf/RtfdReader.h"
#include "platform/text/word/DocReader.h"
#include "platform/text/word/DocxReader.h"
#include "tests/support/StyledTextPdf.h"
#include "tests/support/TemporaryFolderTest.h"

#include <QCoreApplication>
#include <QDir>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>

namespace {

using testsupport::readFile;

// Page progress: records the numbers, cancels after a given count.
class PageProgress : public QObject {
    Q_OBJECT
public:
    explicit PageProgress(int cancelAfter = 0) : m_cancelAfter(cancelAfter) { }
    Q_INVOKABLE void PageDone(QVariant page)
    {
        m_onMainThread = m_onMainThread && QThread::currentThread() == qApp->thread();
        m_pages << page.toInt();
        if (m_pages.size() == m_cancelAfter)
            m_cancelled = true;
    }
    Q_INVOKABLE bool isConversionCancelled() const { return m_cancelled; }
    QList<int> pages() const { return m_pages; }
    bool onMainThread() const { return m_onMainThread; }

private:
    QList<int> m_pages;
    int m_cancelAfter;
    bool m_onMainThread = true;
    std::atomic<bool> m_cancelled{false};
};

class PDFTextExporterTest : public testsupport::TemporaryFolderTest {
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("out")))); }

    QString styledPdf(int pages)
    {
        const QString file = path(QStringLiteral("styled-%1.pdf").arg(pages));
        if (!QFile::exists(file)) {
            EXPECT_TRUE(testsupport::writeStyledTextPdf(file, pages));
        }
        return file;
    }

    PDFTextExportOptions options(const QString& pdf, TextExportType format = TextExportPlainUTF8)
    {
        PDFTextExportOptions o;
        o.source = QUrl::fromLocalFile(pdf);
        o.destination = url(QStringLiteral("out"));
        o.baseName = QStringLiteral("Report");
        o.extension = QStringLiteral("txt");
        o.format = format;
        return o;
    }

    // Runs the export on a worker, as the engine's jobs are run; a source
    // that cannot be opened gives the thrown code in *thrown.
    bool run(PDFTextExportOptions o, int* thrown = nullptr)
    {
        bool result = false;
        testsupport::runOnWorker([&] {
            try {
                PDFTextExporter exporter(&o);
                result = ExportPDFText(&exporter);
            } catch (int code) {
                if (thrown)
                    *thrown = code;
            }
        });
        return result;
    }

    QStringList written() const
    {
        return QDir(path(QStringLiteral("out"))).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    }
    QString text(const QString& name) const { return QString::fromUtf8(readFile(path(QStringLiteral("out/") + name))); }
};

TEST(IsPageTextKeptTest, KeepsLongTextOrTextBesidesWhiteSpace)
{
    const QString blank19 = QStringLiteral(" \n\t") + QString(8, QChar::ObjectReplacementCharacter) + QString(8, u' ');
    ASSERT_EQ(blank19.size(), 19);
    EXPECT_FALSE(IsPageTextKept(blank19));
    EXPECT_TRUE(IsPageTextKept(blank19 + QChar(QChar::ObjectReplacementCharacter)));
    EXPECT_FALSE(IsPageTextKept(QString()));
    EXPECT_TRUE(IsPageTextKept(QStringLiteral(" x ")));
    EXPECT_FALSE(IsPageTextKept(QString(3, QChar::ParagraphSeparator)));
}

TEST_F(PDFTextExporterTest, PagesThreeToFiveOfTwelveGetNumberedFiles)
{
    PDFTextExportOptions o = options(styledPdf(12));
    o.oneFilePerPage = 1;
    o.pageRangeMode = PageRangeFirstToLast;
    o.firstPage = 3;
    o.lastPage = 5;
    ASSERT_TRUE(run(o));
    EXPECT_EQ(written(), (QStringList{"Report-03.txt", "Report-04.txt", "Report-05.txt"}));
    EXPECT_EQ(text(QStringLiteral("Report-04.txt")),
              QStringLiteral("Chapter 4\nPlain words then bold words and italic words and red words end."));
}

TEST_F(PDFTextExporterTest, NamesFilesByTheSelection)
{
    struct Case {
        int pages;
        int mode;
        int first, last;
        QStringList files;
    };
    const Case cases[] = {
        {1, PageRangeAll, 0, 0, {"Report.txt"}},
        {3, PageRangeSinglePage, 1, 0, {"Report.txt"}},
        {3, PageRangeFirstToLast, 1, 1, {"Report.txt"}},
        {3, PageRangeSinglePage, 2, 0, {"Report-2.txt"}},
        {3, PageRangeFirstToLast, 2, 0, {"Report-2.txt", "Report-3.txt"}},
        {3, PageRangeFirstToLast, 2, 99, {"Report-2.txt", "Report-3.txt"}},
        {3, PageRangeAll, 5, 1, {"Report-1.txt", "Report-2.txt", "Report-3.txt"}},
    };
    for (const Case& c : cases) {
        QDir(path(QStringLiteral("out"))).removeRecursively();
        QDir().mkpath(path(QStringLiteral("out")));
        PDFTextExportOptions o = options(styledPdf(c.pages));
        o.oneFilePerPage = 1;
        o.pageRangeMode = c.mode;
        o.firstPage = c.first;
        o.lastPage = c.last;
        EXPECT_TRUE(run(o)) << c.pages << " " << c.mode << " " << c.first;
        EXPECT_EQ(written(), c.files) << c.pages << " " << c.mode << " " << c.first;
    }
}

TEST_F(PDFTextExporterTest, SelectionsOutsideTheDocumentWriteNothing)
{
    struct Case {
        int mode;
        int first, last;
    };
    const Case cases[] = {
        {PageRangeFirstToLast, 0, 2}, {PageRangeFirstToLast, 4, 4}, {PageRangeSinglePage, 0, 0},
        {PageRangeSinglePage, 4, 0},  {PageRangeFirstToLast, 3, 2},
    };
    for (const Case& c : cases) {
        for (const qint64 perPage : {0, 1}) {
            PDFTextExportOptions o = options(styledPdf(3));
            o.oneFilePerPage = perPage;
            o.pageRangeMode = c.mode;
            o.firstPage = c.first;
            o.lastPage = c.last;
            EXPECT_FALSE(run(o)) << c.mode << " " << c.first << " " << c.last;
            EXPECT_TRUE(written().isEmpty()) << c.mode << " " << c.first << " " << c.last;
        }
    }
}

TEST_F(PDFTextExporterTest, OneFileJoinsPagesOnNewLinesAndKeepsATakenName)
{
    write(QStringLiteral("out/Report.txt"), "mine");
    PDFTextExportOptions o = options(styledPdf(3));
    o.baseName.clear(); // the source's name
    ASSERT_TRUE(run(o));
    ASSERT_TRUE(run(options(styledPdf(3))));
    EXPECT_EQ(written(), (QStringList{"Report 1.txt", "Report.txt", "styled-3.txt"}));
    EXPECT_EQ(text(QStringLiteral("Report.txt")), QStringLiteral("mine"));
    const QString words = QStringLiteral("Plain words then bold words and italic words and red words end.");
    EXPECT_EQ(text(QStringLiteral("Report 1.txt")),
              QStringLiteral("Chapter 1\n%1\nChapter 2\n%1\nChapter 3\n%1").arg(words));
    EXPECT_EQ(text(QStringLiteral("styled-3.txt")), text(QStringLiteral("Report 1.txt")));
}

TEST_F(PDFTextExporterTest, Utf16HasAByteOrderMark)
{
    ASSERT_TRUE(run(options(styledPdf(1), TextExportPlainUTF16)));
    const QByteArray bytes = readFile(path(QStringLiteral("out/Report.txt")));
    ASSERT_TRUE(bytes.startsWith("\xFF\xFE"));
    EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2), (bytes.size() - 2) / 2),
              QStringLiteral("Chapter 1\nPlain words then bold words and italic words and red words end."));
}

TEST_F(PDFTextExporterTest, UnknownFormatsWriteNothingAndFail)
{
    for (const int format : {0, 8, 9, -1}) {
        PDFTextExportOptions o = options(styledPdf(2));
        o.format = format;
        EXPECT_FALSE(run(o)) << format;
    }
    EXPECT_TRUE(written().isEmpty());
}

TEST_F(PDFTextExporterTest, PagesWithoutTextWriteNothing)
{
    {
        QPdfWriter writer(path(QStringLiteral("blank.pdf")));
        QPainter painter(&writer);
        painter.fillRect(QRect(0, 0, 100, 100), Qt::blue);
        writer.newPage();
    }
    for (const qint64 perPage : {0, 1}) {
        PDFTextExportOptions o = options(path(QStringLiteral("blank.pdf")));
        o.oneFilePerPage = perPage;
        EXPECT_FALSE(run(o));
    }
    EXPECT_TRUE(written().isEmpty());
}

TEST_F(PDFTextExporterTest, UnreadableSourcesThrowTheOpenError)
{
    write(QStringLiteral("damaged.pdf"), readFile(styledPdf(2)).left(300));
    write(QStringLiteral("text.pdf"), "plain words, no PDF");
    for (const QString& name :
         {QStringLiteral("damaged.pdf"), QStringLiteral("text.pdf"), QStringLiteral("missing.pdf")}) {
        int thrown = 0;
        EXPECT_FALSE(run(options(path(name)), &thrown)) << qPrintable(name);
        EXPECT_EQ(thrown, kPDFTextExportOpenError) << qPrintable(name);
    }
    EXPECT_TRUE(written().isEmpty());
}

TEST_F(PDFTextExporterTest, EncryptedSourceNeedsItsPassword)
{
    const auto document = platform::pdf::PdfDocument::open(QUrl::fromLocalFile(styledPdf(2)));
    ASSERT_TRUE(document);
    ASSERT_TRUE(document->write(url(QStringLiteral("locked.pdf")),
                                {{QString(platform::keys::kCGPDFContextUserPassword), QStringLiteral("secret")},
                                 {QString(platform::keys::kCGPDFContextOwnerPassword), QStringLiteral("owner")}}));
    PDFTextExportOptions o = options(path(QStringLiteral("locked.pdf")));
    o.password = QStringLiteral("wrong");
    EXPECT_FALSE(run(o));
    EXPECT_TRUE(written().isEmpty());
    o.password = QStringLiteral("secret");
    EXPECT_TRUE(run(o));
    EXPECT_TRUE(text(QStringLiteral("Report.txt")).startsWith(QStringLiteral("Chapter 1\n")));
}

TEST_F(PDFTextExporterTest, ReportsEachPageOnTheMainThread)
{
    PageProgress progress;
    PDFTextExportOptions o = options(styledPdf(3));
    o.progressObject = &progress;
    o.progressSelector = "PageDone";
    ASSERT_TRUE(run(o));
    EXPECT_EQ(progress.pages(), (QList<int>{1, 2, 3}));
    EXPECT_TRUE(progress.onMainThread());
}

TEST_F(PDFTextExporterTest, CancelStopsBeforeTheNextPage)
{
    for (const qint64 perPage : {0, 1}) {
        QDir(path(QStringLiteral("out"))).removeRecursively();
        QDir().mkpath(path(QStringLiteral("out")));
        PageProgress progress(2);
        PDFTextExportOptions o = options(styledPdf(3));
        o.oneFilePerPage = perPage;
        o.progressObject = &progress;
        o.progressSelector = "PageDone";
        // One file holds only part of the selection: not a success.
        EXPECT_EQ(run(o), perPage != 0);
        EXPECT_EQ(progress.pages(), (QList<int>{1, 2}));
        if (perPage) {
            EXPECT_EQ(written(), (QStringList{"Report-1.txt", "Report-2.txt"}));
        } else {
            EXPECT_EQ(written(), QStringList{"Report.txt"});
            EXPECT_TRUE(text(QStringLiteral("Report.txt"))
                            .endsWith(QStringLiteral("Chapter 2\nPlain words then bold "
                                                     "words and italic words and red "
                                                     "words end.")));
        }
    }
}

TEST_F(PDFTextExporterTest, EveryFormatReadsBackWithItsLook)
{
    struct Case {
        TextExportType format;
        const char* extension;
        bool (*read)(const QString&, QTextDocument&);
        bool rich;
    };
    const Case cases[] = {
        {TextExportPlainUTF8, "txt", platform::text::readPlainText, false},
        {TextExportPlainUTF16, "text", platform::text::readPlainText, false},
        {TextExportRTF, "rtf", platform::text::readRtf, true},
        {TextExportRTFD, "rtfd", platform::text::readRtfd, true},
        {TextExportDOC, "doc", platform::text::readDoc, true},
        {TextExportDOCX, "docx", platform::text::readDocx, true},
        {TextExportODT, "odt", platform::text::readOdt, true},
    };
    const QString words = QStringLiteral("Plain words then bold words and italic words and red words end.");
    const QString expected = QStringLiteral("Chapter 1\n%1\nChapter 2\n%1\nChapter 3\n%1").arg(words);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.extension);
        PDFTextExportOptions o = options(styledPdf(3), c.format);
        o.extension = QString::fromLatin1(c.extension);
        ASSERT_TRUE(run(o));
        QTextDocument read;
        ASSERT_TRUE(c.read(path(QStringLiteral("out/Report.") + o.extension), read));
        EXPECT_EQ(read.toPlainText().toStdU16String(), expected.toStdU16String());
        if (!c.rich)
            continue;
        for (const testsupport::StyledRun& run : testsupport::styledPageRuns(2)) {
            if (run.text.trimmed().size() < 4)
                continue;
            SCOPED_TRACE(run.text.toStdString());
            const QFont font = testsupport::formatOf(read, run.text.trimmed()).font().resolve(read.defaultFont());
            EXPECT_EQ(font.families().value(0), QStringLiteral("DejaVu Sans"));
            EXPECT_DOUBLE_EQ(font.pointSizeF(), run.points);
            EXPECT_EQ(font.bold(), run.bold);
            EXPECT_EQ(font.italic(), run.italic);
            EXPECT_EQ(testsupport::formatOf(read, run.text.trimmed()).foreground().color().rgb(), run.color.rgb());
        }
    }
}

TEST_F(PDFTextExporterTest, AFailedWriteIsAFailure)
{
    for (const qint64 perPage : {0, 1}) {
        PDFTextExportOptions o = options(styledPdf(2));
        o.oneFilePerPage = perPage;
        o.destination = url(QStringLiteral("no such folder"));
        EXPECT_FALSE(run(o));
    }
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("no such folder"))));
}

} // namespace

#include "PDFTextExporterTest.moc"
