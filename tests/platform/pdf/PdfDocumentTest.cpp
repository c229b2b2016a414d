#include "platform/DictionaryKeys.h"
#include "platform/pdf/PdfDocument.h"
#include "tests/platform/pdf/PdfTestFixtures.h"
#include "tests/support/PdfInspection.h"
#include "tests/support/TestSupport.h"

#include <qpdf/QPDF.hh>

#include <gtest/gtest.h>

#include <atomic>

#include <QDir>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <sys/resource.h>

using platform::pdf::PdfDocument;
using platform::pdf::PdfPage;
using namespace platform::keys;

namespace {

class PdfDocumentTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QUrl url(const QString& name) const { return QUrl::fromLocalFile(path(name)); }
    std::shared_ptr<PdfDocument> openNumbered(const QString& name, int pages)
    {
        return PdfDocument::open(testsupport::writeFile(path(name), pdftest::makeNumberedPdf(pages)));
    }
    QStringList texts(const QString& file, const QString& password = {}) const
    {
        const auto facts = testsupport::inspectPdf(path(file), password);
        return facts ? facts->pageTexts : QStringList{QStringLiteral("<unreadable>")};
    }
    static QStringList trimmed(QStringList list)
    {
        for (QString& s : list)
            s = s.trimmed();
        return list;
    }

    QTemporaryDir m_dir;
};

// Counts pages with qpdf itself, independently of our layer; -1 when it fails.
int qpdfPageCount(const QString& file, const char* password = "")
{
    try {
        QPDF qpdf;
        qpdf.setSuppressWarnings(true);
        qpdf.processFile(file.toLocal8Bit().constData(), password);
        return int(qpdf.getAllPages().size());
    } catch (const std::exception&) {
        return -1;
    }
}

TEST_F(PdfDocumentTest, BadInputsGiveNullOrHarmlessAnswers)
{
    const QByteArray good = pdftest::makeNumberedPdf(3);
    struct Case {
        const char* name;
        QByteArray bytes;
        bool mustBeNull;
    };
    const Case cases[] = {
        {"empty", QByteArray(), true},
        {"garbage", QByteArray(5000, '\x9c'), true},
        {"text", "hello, this is no PDF\n", true},
        {"header only", "%PDF-1.4\n", true},
        {"truncated half", good.left(good.size() / 2), false},
        {"no trailer", good.left(good.lastIndexOf("xref")), false},
        {"bytes flipped", QByteArray(good).replace("obj", "jbo"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QUrl file = testsupport::writeFile(path(QStringLiteral("bad.pdf")), c.bytes);
        for (const auto& doc : {PdfDocument::open(file), PdfDocument::fromData(c.bytes)}) {
            if (c.mustBeNull) {
                EXPECT_EQ(doc, nullptr);
                continue;
            }
            if (!doc)
                continue;
            // A recovered document answers without crashing, whatever it holds.
            for (int i = 0; i < doc->pageCount(); ++i) {
                const PdfPage page = doc->page(i);
                page.text();
                page.render(page.cropBox(), 0.5);
            }
            doc->write(url(QStringLiteral("recovered.pdf")));
            doc->dataRepresentation();
        }
    }
    EXPECT_EQ(PdfDocument::open(url(QStringLiteral("missing.pdf"))), nullptr);
    EXPECT_EQ(PdfDocument::open(QUrl::fromLocalFile(m_dir.path())), nullptr);
    EXPECT_EQ(PdfDocument::open(QUrl(QStringLiteral("https://example.com/a.pdf"))), nullptr);
}

TEST_F(PdfDocumentTest, OpensPagesAndAnswersOutOfRangeQuietly)
{
    const auto doc = openNumbered(QStringLiteral("a.pdf"), 3);
    ASSERT_TRUE(doc);
    EXPECT_FALSE(doc->isEncrypted());
    EXPECT_FALSE(doc->isLocked());
    EXPECT_TRUE(doc->allowsPrinting());
    EXPECT_TRUE(doc->allowsCopying());
    EXPECT_EQ(doc->pageCount(), 3);
    for (int i : {-1, 3, 1000})
        EXPECT_TRUE(doc->page(i).isNull()) << i;
    EXPECT_EQ(doc->page(2).index(), 2);
    EXPECT_EQ(doc->page(1).document(), doc);
    EXPECT_FALSE(doc->removePage(3));
    EXPECT_FALSE(doc->removePage(-1));
    EXPECT_EQ(doc->pageCount(), 3);
}

TEST_F(PdfDocumentTest, RemovingPagesKeepsOtherHandlesValid)
{
    const auto doc = openNumbered(QStringLiteral("a.pdf"), 4);
    ASSERT_TRUE(doc);
    const PdfPage first = doc->page(0), second = doc->page(1), last = doc->page(3);
    ASSERT_TRUE(doc->removePage(1));
    EXPECT_EQ(doc->pageCount(), 3);
    EXPECT_EQ(first.index(), 0);
    EXPECT_EQ(second.index(), -1);
    EXPECT_EQ(last.index(), 2);
    EXPECT_EQ(second.text(), QString());
    EXPECT_TRUE(second.render(QRectF(0, 0, 200, 300), 1).isNull());
    // Text and rendering follow the edit, not the file on disk.
    EXPECT_EQ(doc->page(1).text().trimmed(), QStringLiteral("Page 3"));

    ASSERT_TRUE(doc->write(url(QStringLiteral("out.pdf"))));
    EXPECT_EQ(trimmed(texts(QStringLiteral("out.pdf"))),
              (QStringList{QStringLiteral("Page 1"), QStringLiteral("Page 3"), QStringLiteral("Page 4")}));
}

TEST_F(PdfDocumentTest, InsertsPagesOfAReleasedSourceAndWritesValidFile)
{
    const auto merged = PdfDocument::create();
    ASSERT_TRUE(merged);
    EXPECT_EQ(merged->pageCount(), 0);
    {
        const auto a = openNumbered(QStringLiteral("a.pdf"), 2);
        const auto b = PdfDocument::fromData(pdftest::makePdf({{QSizeF(300, 200), QStringLiteral("Bee"), {}}}));
        ASSERT_TRUE(a && b);
        // Index clamped at both ends.
        EXPECT_EQ(merged->insertPage(a->page(1), 99).index(), 0);
        EXPECT_EQ(merged->insertPage(a->page(0), -4).index(), 0);
        // The same source page twice, and a page of the document itself.
        EXPECT_EQ(merged->insertPage(b->page(0), 2).index(), 2);
        EXPECT_EQ(merged->insertPage(b->page(0), 3).index(), 3);
        const PdfPage own = merged->insertPage(merged->page(0), 4);
        EXPECT_EQ(own.index(), 4);
        EXPECT_EQ(own.document(), merged);
        EXPECT_TRUE(merged->insertPage(PdfPage(), 0).isNull());
        EXPECT_EQ(merged->pageCount(), 5);
    }
    // Sources are gone: their objects must still be readable for the write.
    ASSERT_TRUE(merged->write(url(QStringLiteral("merged.pdf"))));
    EXPECT_EQ(qpdfPageCount(path(QStringLiteral("merged.pdf"))), 5);
    EXPECT_EQ(trimmed(texts(QStringLiteral("merged.pdf"))),
              (QStringList{QStringLiteral("Page 1"), QStringLiteral("Page 2"), QStringLiteral("Bee"),
                           QStringLiteral("Bee"), QStringLiteral("Page 1")}));
    const auto facts = testsupport::inspectPdf(path(QStringLiteral("merged.pdf")));
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->pageSizes.at(2), QSizeF(300, 200));

    // Editing one copy leaves the other alone.
    const auto reopened = PdfDocument::open(url(QStringLiteral("merged.pdf")));
    ASSERT_TRUE(reopened);
    reopened->page(2).setRotation(90);
    EXPECT_EQ(reopened->page(3).rotation(), 0);
}

TEST_F(PdfDocumentTest, MergesManyDocuments)
{
    const QByteArray bytes = pdftest::makeNumberedPdf(10);
    const auto merged = PdfDocument::create();
    for (int i = 0; i < 200; ++i) {
        const auto doc = PdfDocument::open(testsupport::writeFile(path(QStringLiteral("in%1.pdf").arg(i)), bytes));
        ASSERT_TRUE(doc);
        for (int p = 0; p < doc->pageCount(); ++p)
            merged->insertPage(doc->page(p), merged->pageCount());
    }
    ASSERT_TRUE(merged->write(url(QStringLiteral("merged.pdf"))));
    EXPECT_EQ(qpdfPageCount(path(QStringLiteral("merged.pdf"))), 2000);
}

TEST_F(PdfDocumentTest, CopiesOfCopiesAreWrittenOnceEveryEarlierDocumentIsGone)
{
    // Each stage takes the pages of the one before in reverse order and the
    // one before is let go; the last one is written when all are gone.
    for (const bool fromFile : {true, false}) {
        SCOPED_TRACE(fromFile ? "file" : "data");
        const QByteArray bytes = pdftest::makeNumberedPdf(3);
        std::shared_ptr<PdfDocument> stage = fromFile ? openNumbered(QStringLiteral("a.pdf"), 3)
                                                      : PdfDocument::fromData(bytes);
        ASSERT_TRUE(stage);
        for (int round = 0; round < 3; ++round) {
            const auto next = PdfDocument::create();
            for (int i = stage->pageCount() - 1; i >= 0; --i)
                ASSERT_FALSE(next->insertPage(stage->page(i), next->pageCount()).isNull());
            stage = next;
        }
        ASSERT_TRUE(stage->write(url(QStringLiteral("last.pdf"))));
        EXPECT_EQ(trimmed(texts(QStringLiteral("last.pdf"))),
                  (QStringList{QStringLiteral("Page 3"), QStringLiteral("Page 2"), QStringLiteral("Page 1")}));
        EXPECT_EQ(testsupport::runQpdf({QStringLiteral("--check"), path(QStringLiteral("last.pdf"))}), 0);
    }
}

TEST_F(PdfDocumentTest, DamagedTrailerIsNotWrittenOut)
{
    // qpdf repairs a trailer without /Size when it reads one; what we write
    // must not need that repair again.
    QByteArray bytes = pdftest::makeNumberedPdf(2);
    const qsizetype trailer = bytes.lastIndexOf("trailer");
    ASSERT_GT(trailer, 0);
    const qsizetype size = bytes.indexOf("/Size", trailer);
    ASSERT_GT(size, 0);
    bytes.remove(size, bytes.indexOf('\n', size) - size);
    ASSERT_NE(testsupport::runQpdf({"--check", testsupport::writeFile(path("damaged.pdf"), bytes).toLocalFile()}), 0);

    const auto doc = PdfDocument::open(url("damaged.pdf"));
    ASSERT_TRUE(doc);
    ASSERT_TRUE(doc->write(url("written.pdf")));
    testsupport::writeFile(path("data.pdf"), doc->dataRepresentation());
    for (const char* name : {"written.pdf", "data.pdf"}) {
        QString report;
        EXPECT_EQ(testsupport::runQpdf({"--check", path(name)}, &report), 0) << name << report.toStdString();
        EXPECT_EQ(qpdfPageCount(path(name)), 2) << name;
    }
}

TEST_F(PdfDocumentTest, UserPasswordLocksUntilUnlocked)
{
    const auto source = openNumbered(QStringLiteral("plain.pdf"), 2);
    ASSERT_TRUE(source);
    ASSERT_TRUE(source->write(url(QStringLiteral("locked.pdf")),
                              {{QString(kCGPDFContextUserPassword), QStringLiteral("user")},
                               {QString(kCGPDFContextOwnerPassword), QStringLiteral("owner")},
                               {QString(kCGPDFContextAllowsPrinting), false},
                               {QString(kCGPDFContextAllowsCopying), false}}));
    // Independent readers agree: it needs the password and then forbids printing.
    EXPECT_TRUE(testsupport::needsPassword(path(QStringLiteral("locked.pdf"))));
    const auto facts = testsupport::inspectPdf(path(QStringLiteral("locked.pdf")), QStringLiteral("user"));
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->pageCount, 2);
    EXPECT_FALSE(facts->okToPrint);
    EXPECT_FALSE(facts->okToCopy);

    const auto doc = PdfDocument::open(url(QStringLiteral("locked.pdf")));
    ASSERT_TRUE(doc);
    EXPECT_TRUE(doc->isEncrypted());
    EXPECT_TRUE(doc->isLocked());
    EXPECT_EQ(doc->pageCount(), 0);
    EXPECT_TRUE(doc->page(0).isNull());
    EXPECT_FALSE(doc->allowsPrinting());
    EXPECT_FALSE(doc->write(url(QStringLiteral("copy.pdf"))));
    EXPECT_TRUE(doc->dataRepresentation().isEmpty());
    EXPECT_FALSE(doc->unlock(QStringLiteral("wrong")));
    EXPECT_FALSE(doc->unlock(QString()));
    EXPECT_TRUE(doc->isLocked());

    ASSERT_TRUE(doc->unlock(QStringLiteral("user")));
    EXPECT_FALSE(doc->isLocked());
    EXPECT_TRUE(doc->isEncrypted());
    EXPECT_EQ(doc->pageCount(), 2);
    EXPECT_FALSE(doc->allowsPrinting());
    EXPECT_FALSE(doc->allowsCopying());
    EXPECT_EQ(doc->page(1).text().trimmed(), QStringLiteral("Page 2"));

    const auto asOwner = PdfDocument::open(url(QStringLiteral("locked.pdf")));
    ASSERT_TRUE(asOwner && asOwner->unlock(QStringLiteral("owner")));
    EXPECT_TRUE(asOwner->allowsPrinting());
    EXPECT_TRUE(asOwner->allowsCopying());

    // The old encryption is not carried over into a plain write.
    ASSERT_TRUE(doc->write(url(QStringLiteral("rewritten.pdf"))));
    EXPECT_FALSE(testsupport::needsPassword(path(QStringLiteral("rewritten.pdf"))));
    const auto plain = PdfDocument::fromData(doc->dataRepresentation());
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->isEncrypted());
    EXPECT_EQ(plain->pageCount(), 2);
}

TEST_F(PdfDocumentTest, OwnerPasswordOnlyOpensButRestricts)
{
    const auto source = openNumbered(QStringLiteral("plain.pdf"), 1);
    ASSERT_TRUE(source);
    ASSERT_TRUE(source->write(url(QStringLiteral("owner.pdf")),
                              {{QString(kCGPDFContextOwnerPassword), QStringLiteral("boss")},
                               {QString(kCGPDFContextAllowsPrinting), false}}));
    EXPECT_FALSE(testsupport::needsPassword(path(QStringLiteral("owner.pdf"))));
    const auto facts = testsupport::inspectPdf(path(QStringLiteral("owner.pdf")));
    ASSERT_TRUE(facts);
    EXPECT_TRUE(facts->encrypted);
    EXPECT_FALSE(facts->okToPrint);
    EXPECT_TRUE(facts->okToCopy);

    const auto doc = PdfDocument::open(url(QStringLiteral("owner.pdf")));
    ASSERT_TRUE(doc);
    EXPECT_TRUE(doc->isEncrypted());
    EXPECT_FALSE(doc->isLocked());
    EXPECT_EQ(doc->pageCount(), 1);
    EXPECT_FALSE(doc->allowsPrinting());
    EXPECT_TRUE(doc->allowsCopying());
    EXPECT_EQ(doc->page(0).text().trimmed(), QStringLiteral("Page 1"));

    // Other passwords leave it open and restricted; the owner's lifts the ban.
    for (const QString& other : {QStringLiteral("wrong"), QString()}) {
        EXPECT_TRUE(doc->unlock(other)) << other.toStdString();
        EXPECT_FALSE(doc->allowsPrinting()) << other.toStdString();
    }
    ASSERT_TRUE(doc->unlock(QStringLiteral("boss")));
    EXPECT_FALSE(doc->isLocked());
    EXPECT_TRUE(doc->allowsPrinting());
    EXPECT_EQ(doc->pageCount(), 1);
    EXPECT_EQ(doc->page(0).text().trimmed(), QStringLiteral("Page 1"));

    // Edits are never dropped to read the file again.
    const auto edited = PdfDocument::open(url(QStringLiteral("owner.pdf")));
    ASSERT_TRUE(edited);
    edited->page(0).setRotation(90);
    EXPECT_TRUE(edited->unlock(QStringLiteral("boss")));
    EXPECT_EQ(edited->page(0).rotation(), 90);
}

TEST_F(PdfDocumentTest, EncryptionStrengthFollowsKeyLength)
{
    const auto source = openNumbered(QStringLiteral("plain.pdf"), 1);
    ASSERT_TRUE(source);
    struct Case {
        QVariant keyLength;
        int revision;
    };
    for (const Case& c : {Case{QVariant(), 4}, Case{128, 4}, Case{40, 2}}) {
        SCOPED_TRACE(c.keyLength.toInt());
        QVariantMap options{{QString(kCGPDFContextUserPassword), QStringLiteral("pw")}};
        if (c.keyLength.isValid())
            options.insert(QString(kCGPDFContextEncryptionKeyLength), c.keyLength);
        ASSERT_TRUE(source->write(url(QStringLiteral("enc.pdf")), options));
        QPDF qpdf;
        qpdf.setSuppressWarnings(true);
        qpdf.processFile(path(QStringLiteral("enc.pdf")).toLocal8Bit().constData(), "pw");
        int r = 0, p = 0;
        ASSERT_TRUE(qpdf.isEncrypted(r, p));
        EXPECT_EQ(r, c.revision);
        const auto facts = testsupport::inspectPdf(path(QStringLiteral("enc.pdf")), QStringLiteral("pw"));
        ASSERT_TRUE(facts);
        EXPECT_TRUE(facts->okToPrint);
    }
}

TEST_F(PdfDocumentTest, NonLatinPasswordsRoundTrip)
{
    const auto source = openNumbered(QStringLiteral("plain.pdf"), 1);
    ASSERT_TRUE(source);
    for (const QString& password : {QStringLiteral("grüße"), QStringLiteral("пароль")}) {
        SCOPED_TRACE(password.toStdString());
        ASSERT_TRUE(source->write(url(QStringLiteral("enc.pdf")),
                                  {{QString(kCGPDFContextUserPassword), password}}));
        const auto doc = PdfDocument::open(url(QStringLiteral("enc.pdf")));
        ASSERT_TRUE(doc && doc->isLocked());
        EXPECT_FALSE(doc->unlock(QStringLiteral("x")));
        EXPECT_TRUE(doc->unlock(password));
    }
}

TEST_F(PdfDocumentTest, WritesDocumentInformationAsTextStrings)
{
    const auto doc = openNumbered(QStringLiteral("a.pdf"), 1);
    ASSERT_TRUE(doc);
    const QString title = QStringLiteral("Über 日本語 – Σ");
    ASSERT_TRUE(doc->write(url(QStringLiteral("info.pdf")),
                           {{QString(kCGPDFContextTitle), title},
                            {QString(kCGPDFContextAuthor), QStringLiteral("Ann (Smith)")},
                            {QString(kCGPDFContextSubject), QStringLiteral("Tests")},
                            {QString(kCGPDFContextKeywords), QStringLiteral("a, b")},
                            {QString(kCGPDFContextCreator), QStringLiteral("Maker")}}));
    const auto facts = testsupport::inspectPdf(path(QStringLiteral("info.pdf")));
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->title, title);
    EXPECT_EQ(facts->author, QStringLiteral("Ann (Smith)"));
    EXPECT_EQ(facts->subject, QStringLiteral("Tests"));
    EXPECT_EQ(facts->keywords, QStringLiteral("a, b"));

    const auto reopened = PdfDocument::open(url(QStringLiteral("info.pdf")));
    ASSERT_TRUE(reopened);
    EXPECT_EQ(reopened->information(QStringLiteral("Title")), title);
    EXPECT_EQ(reopened->information(QStringLiteral("Creator")), QStringLiteral("Maker"));
    EXPECT_EQ(reopened->information(QStringLiteral("Nothing")), QString());

    // Write options apply to that write only.
    const QString before = doc->information(QStringLiteral("Title"));
    EXPECT_NE(before, title);
    ASSERT_TRUE(doc->write(url(QStringLiteral("again.pdf"))));
    EXPECT_EQ(doc->information(QStringLiteral("Title")), before);
}

TEST_F(PdfDocumentTest, FailedWriteLeavesDestinationAlone)
{
    const QByteArray previous = "previous contents";
    testsupport::writeFile(path(QStringLiteral("keep.pdf")), previous);
    const auto locked = [&] {
        const auto source = openNumbered(QStringLiteral("plain.pdf"), 1);
        source->write(url(QStringLiteral("locked.pdf")), {{QString(kCGPDFContextUserPassword), QStringLiteral("u")}});
        return PdfDocument::open(url(QStringLiteral("locked.pdf")));
    }();
    ASSERT_TRUE(locked && locked->isLocked());
    EXPECT_FALSE(locked->write(url(QStringLiteral("keep.pdf"))));
    EXPECT_EQ(testsupport::readFile(path(QStringLiteral("keep.pdf"))), previous);

    const auto doc = openNumbered(QStringLiteral("b.pdf"), 1);
    EXPECT_FALSE(doc->write(url(QStringLiteral("no/such/folder/out.pdf"))));
    EXPECT_FALSE(doc->write(QUrl::fromLocalFile(m_dir.path())));
    // A good write replaces the file and leaves no temporary behind.
    const QStringList before = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
    ASSERT_TRUE(doc->write(url(QStringLiteral("keep.pdf"))));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), before);
    EXPECT_EQ(qpdfPageCount(path(QStringLiteral("keep.pdf"))), 1);
}

TEST_F(PdfDocumentTest, DocumentsOnDifferentThreadsWorkConcurrently)
{
    const QByteArray bytes = pdftest::makeNumberedPdf(5);
    std::atomic<int> failures{0};
    QList<QThread*> threads;
    for (int t = 0; t < 4; ++t) {
        threads << QThread::create([&, t] {
            for (int round = 0; round < 5; ++round) {
                const auto doc = PdfDocument::fromData(bytes);
                const auto merged = PdfDocument::create();
                if (!doc || !merged) {
                    ++failures;
                    continue;
                }
                for (int i = 0; i < doc->pageCount(); ++i)
                    merged->insertPage(doc->page(i), i);
                merged->page(0).setRotation(90);
                if (merged->page(4).text().trimmed() != QStringLiteral("Page 5")
                    || merged->page(1).render(QRectF(0, 0, 200, 300), 0.5).isNull()
                    || !merged->write(url(QStringLiteral("t%1.pdf").arg(t))))
                    ++failures;
            }
        });
        threads.last()->start();
    }
    for (QThread* thread : threads) {
        thread->wait();
        delete thread;
    }
    EXPECT_EQ(failures.load(), 0);
}

} // namespace

TEST_F(PdfDocumentTest, MergesMoreInputsThanTheSoftDescriptorLimit)
{
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    if (saved.rlim_max < 1024)
        GTEST_SKIP() << "the hard descriptor limit is too low to tell";
    rlimit low = saved;
    low.rlim_cur = 128;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);

    const QByteArray bytes = pdftest::makeNumberedPdf(1);
    const auto merged = PdfDocument::create();
    for (int i = 0; i < 300; ++i) {
        const auto doc = PdfDocument::open(testsupport::writeFile(path(QStringLiteral("fd%1.pdf").arg(i)), bytes));
        ASSERT_TRUE(doc) << i;
        merged->insertPage(doc->page(0), merged->pageCount());
    }
    const bool written = merged->write(url(QStringLiteral("many.pdf")));
    setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_TRUE(written);
    EXPECT_EQ(qpdfPageCount(path(QStringLiteral("many.pdf"))), 300);
}
