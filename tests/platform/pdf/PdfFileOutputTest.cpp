#include "platform/pdf/PdfFileOutput_p.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <string>

using platform::pdf::PdfFileOutput;

namespace {

constexpr size_t kBuffer = 256 * 1024; // the output's own buffer

TEST(PdfFileOutput, PiecesOfEverySizeArriveInOrder)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("out.pdf");
    testsupport::writeFile(path, "an older and longer file that must not show through");
    const auto output = PdfFileOutput::create(path);
    ASSERT_TRUE(output);
    std::string expected;
    // Small pieces, one that fills the buffer exactly, one larger than it,
    // and finish() between them as qpdf calls it after every stream.
    for (const size_t size : {size_t(1), size_t(7), kBuffer - 8, kBuffer, size_t(3), 2 * kBuffer + 5, size_t(0), size_t(11)}) {
        std::string piece(size, '\0');
        for (size_t i = 0; i < size; ++i)
            piece[i] = char('a' + (expected.size() + i) % 26);
        output->write(reinterpret_cast<const unsigned char*>(piece.data()), piece.size());
        output->finish();
        expected += piece;
    }
    ASSERT_TRUE(output->close());
    EXPECT_EQ(testsupport::readFile(path).toStdString(), expected);
}

TEST(PdfFileOutput, AFullDiskIsAFailure)
{
    if (!QFile::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    {
        // Buffered: the failure shows when the rest is written out.
        const auto output = PdfFileOutput::create("/dev/full");
        ASSERT_TRUE(output);
        output->write(reinterpret_cast<const unsigned char*>("%PDF-1.7\n"), 9);
        EXPECT_FALSE(output->close());
    }
    {
        const auto output = PdfFileOutput::create("/dev/full");
        ASSERT_TRUE(output);
        const std::string large(kBuffer + 1, 'x');
        EXPECT_ANY_THROW(output->write(reinterpret_cast<const unsigned char*>(large.data()), large.size()));
    }
    EXPECT_EQ(PdfFileOutput::create("/nonexistent-folder/out.pdf"), nullptr);
}

} // namespace
