#include "engine/PDFFinalWrite.h"

#include "platform/DictionaryKeys.h"
#include "platform/pdf/PdfDocument.h"
#include "tests/support/PdfInspection.h"
#include "tests/support/TemporaryFolderTest.h"

#include <QDir>
#include <QPainter>
#include <QPdfWriter>

#include <gtest/gtest.h>

using platform::pdf::PdfDocument;

namespace {

// Temporary files go to a folder of the test's own, on the destination's
// volume, so that leftovers show.
class PDFFinalWriteTest : public testsupport::TemporaryFilesTest {
protected:
    std::shared_ptr<PdfDocument> onePage(const QString& name)
    {
        {
            QPdfWriter writer(path(name));
            QPainter painter(&writer);
            painter.drawText(QPointF(100, 100), QStringLiteral("New page"));
        }
        return PdfDocument::open(url(name));
    }
};

} // namespace

TEST_F(PDFFinalWriteTest, ExistingDestinationSurvivesAFailureAndIsReplacedOnSuccess)
{
    const std::shared_ptr<PdfDocument> good = onePage("good.pdf");
    ASSERT_TRUE(good);
    // A document that cannot be written: still locked.
    ASSERT_TRUE(good->write(url("locked.pdf"),
                            {{QString(platform::keys::kCGPDFContextUserPassword), "secret"}}));
    const std::shared_ptr<PdfDocument> locked = PdfDocument::open(url("locked.pdf"));
    ASSERT_TRUE(locked && locked->isLocked());
    const QByteArray previous = "an earlier output";

    // The write fails.
    write("out/old.pdf", previous);
    EXPECT_EQ(WritePDFThenMove(*locked, url("out/old.pdf"), {}), FinalWriteResult::WriteFailed);
    EXPECT_FALSE(WriteFinalPDF(*locked, url("out/old.pdf"), {}));
    EXPECT_EQ(testsupport::readFile(path("out/old.pdf")), previous);

    // The move fails: a folder stands in the destination's place.
    write("out/folder.pdf/inside.txt", previous);
    EXPECT_EQ(WritePDFThenMove(*good, url("out/folder.pdf"), {}), FinalWriteResult::MoveFailed);
    EXPECT_EQ(testsupport::readFile(path("out/folder.pdf/inside.txt")), previous);
    EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(' ').toStdString();

    // Success replaces the file, with the write options.
    const QVariantMap titled = {{QString(platform::keys::kCGPDFContextTitle), "Replaced"}};
    EXPECT_EQ(WritePDFThenMove(*good, url("out/old.pdf"), titled), FinalWriteResult::Done);
    const auto facts = testsupport::inspectPdf(path("out/old.pdf"));
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->title, QStringLiteral("Replaced"));
    EXPECT_TRUE(facts->pageTexts.join(' ').contains("New page"));
    EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(' ').toStdString();
}

TEST_F(PDFFinalWriteTest, DirectWriteNeverDropsRequestedPasswords)
{
    const std::shared_ptr<PdfDocument> good = onePage("good.pdf");
    ASSERT_TRUE(good);
    const QByteArray previous = "an earlier output";
    const struct {
        const char* key;
        bool written;
    } cases[] = {
        {"kCGPDFContextUserPassword", false},
        {"kCGPDFContextOwnerPassword", false},
        {"kCGPDFContextTitle", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        write("out/direct.pdf", previous);
        const QVariantMap attributes = {{QString::fromLatin1(c.key), "value"}};
        EXPECT_EQ(WritePDFDataToURL(*good, url("out/direct.pdf"), attributes), c.written);
        if (c.written)
            EXPECT_TRUE(testsupport::inspectPdf(path("out/direct.pdf")).has_value());
        else
            EXPECT_EQ(testsupport::readFile(path("out/direct.pdf")), previous);
    }
}
