#include "platform/pdf/PdfInputSource_p.h"

#include "tests/platform/pdf/PdfTestFixtures.h"
#include "tests/support/TestSupport.h"

#include <qpdf/FileInputSource.hh>
#include <qpdf/QPDF.hh>

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using platform::pdf::PdfInputSource;

namespace {

// One step of a reader's walk over a source, and what it saw.
struct Step {
    enum Kind { Seek, Read, NextLine, Unread, Rewind, ReadLine } kind;
    qpdf_offset_t offset = 0; // Seek
    int whence = SEEK_SET;    // Seek
    size_t length = 0;        // Read, ReadLine
};

std::string walk(InputSource& source, const std::vector<Step>& steps,
                 const std::function<void()>& beforeEachStep = {})
{
    std::string seen;
    char lastRead = 0;
    for (const Step& step : steps) {
        if (beforeEachStep)
            beforeEachStep();
        try {
            switch (step.kind) {
            case Step::Seek:
                source.seek(step.offset, step.whence);
                break;
            case Step::Read: {
                std::string bytes(step.length, '\0');
                bytes.resize(source.read(bytes.data(), step.length));
                if (!bytes.empty())
                    lastRead = bytes.back();
                seen += "read[" + bytes + "] last " + std::to_string(source.getLastOffset());
                break;
            }
            case Step::NextLine:
                seen += "eol " + std::to_string(source.findAndSkipNextEOL());
                break;
            case Step::Unread:
                // As qpdf does: the byte just read.
                source.unreadCh(lastRead);
                break;
            case Step::Rewind:
                source.rewind();
                break;
            case Step::ReadLine:
                seen += "line[" + source.readLine(step.length) + "]";
                break;
            }
        } catch (const std::exception&) {
            seen += "threw";
        }
        seen += " at " + std::to_string(source.tell()) + "\n";
    }
    return seen;
}

Step seekTo(qpdf_offset_t offset, int whence = SEEK_SET) { return {Step::Seek, offset, whence, 0}; }
Step readBytes(size_t length) { return {Step::Read, 0, SEEK_SET, length}; }
Step nextLine() { return {Step::NextLine}; }

// Bytes with line ends of every kind, one run of them straddling the edge
// of the source's window (16 KiB), and no line end after the last line.
QByteArray linesOfText()
{
    QByteArray bytes;
    for (int line = 0; bytes.size() < 16370; ++line)
        bytes += "line " + QByteArray::number(line) + (line % 3 == 0 ? "\r\n" : line % 3 == 1 ? "\n" : "\r");
    bytes += "edge\r\n\n\r\n\r\n" + QByteArray(30000, 'z') + "\n%%EOF";
    return bytes;
}

class PdfInputSourceTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

// qpdf's own file source, over the C library, is the reference: every
// answer, offset and failure must be the same, for a file and for data.
TEST_F(PdfInputSourceTest, AnswersAsQpdfsOwnFileSource)
{
    const QByteArray bytes = linesOfText();
    const QString file = testsupport::writeFile(path("lines.txt"), bytes).toLocalFile();
    const qpdf_offset_t size = bytes.size();
    const struct {
        const char* name;
        std::vector<Step> steps;
    } cases[] = {
        {"lines across the window's edge",
         {seekTo(16360), nextLine(), nextLine(), readBytes(6), seekTo(16370), nextLine(), readBytes(3)}},
        {"line after line from the start",
         {nextLine(), nextLine(), nextLine(), readBytes(4), {Step::ReadLine, 0, SEEK_SET, 20},
          {Step::ReadLine, 0, SEEK_SET, 3}}},
        {"reads larger than the window",
         {seekTo(100), readBytes(20000), readBytes(30000), readBytes(5), nextLine()}},
        {"the last line has no line end", {seekTo(-3, SEEK_END), nextLine(), readBytes(2)}},
        {"past the end", {seekTo(size + 1000), readBytes(4), seekTo(size + 10), nextLine(), readBytes(1)}},
        {"from the end and from here",
         {seekTo(-10, SEEK_END), readBytes(20), seekTo(-5, SEEK_CUR), readBytes(3), seekTo(2, SEEK_CUR),
          readBytes(1)}},
        {"a byte given back", {seekTo(16383), readBytes(1), {Step::Unread}, readBytes(2), {Step::Rewind}, readBytes(4)}},
        {"before the start", {seekTo(5), seekTo(-1), readBytes(2), seekTo(-10, SEEK_CUR), readBytes(1)}},
        {"nothing asked", {seekTo(7), readBytes(0)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string expected = walk(*std::make_shared<FileInputSource>(file.toLocal8Bit().constData()), c.steps);
        const auto fromFile = PdfInputSource::open(file);
        ASSERT_TRUE(fromFile);
        EXPECT_EQ(walk(*fromFile, c.steps), expected) << "file";
        EXPECT_EQ(walk(*PdfInputSource::fromData(bytes), c.steps), expected) << "data";
    }
}

TEST_F(PdfInputSourceTest, FileThatShrinksWhileOpenReadsAsShorter)
{
    const QByteArray bytes = linesOfText();
    const QString file = testsupport::writeFile(path("shrinks.txt"), bytes).toLocalFile();
    const auto ours = PdfInputSource::open(file);
    ASSERT_TRUE(ours);
    FileInputSource reference(file.toLocal8Bit().constData());
    ASSERT_TRUE(QFile::resize(file, 1000));
    const std::vector<Step> steps = {seekTo(20000), readBytes(100), seekTo(500), readBytes(1000),
                                     seekTo(990), nextLine(), readBytes(3)};
    EXPECT_EQ(walk(*ours, steps), walk(reference, steps));
}

TEST_F(PdfInputSourceTest, OpensOnlyReadableFiles)
{
    EXPECT_EQ(PdfInputSource::open(path("missing.pdf")), nullptr);
    EXPECT_EQ(PdfInputSource::open(m_dir.path()), nullptr);
    const auto empty = PdfInputSource::open(testsupport::writeFile(path("empty.pdf"), {}).toLocalFile());
    ASSERT_TRUE(empty);
    EXPECT_EQ(walk(*empty, {readBytes(4), nextLine()}), "read[] last 0 at 0\neol 0 at 0\n");
}

// A whole document read through it, as qpdf reads one.
TEST_F(PdfInputSourceTest, QpdfReadsADocumentThroughIt)
{
    const QString file = testsupport::writeFile(path("doc.pdf"), pdftest::makeNumberedPdf(3)).toLocalFile();
    QPDF qpdf;
    qpdf.processInputSource(PdfInputSource::open(file));
    ASSERT_EQ(qpdf.getAllPages().size(), 3u);
    QPDF reference;
    reference.processFile(file.toLocal8Bit().constData());
    for (size_t i = 0; i < 3; ++i) {
        const auto contents = [](QPDF& pdf, size_t page) {
            QPDFObjectHandle object = pdf.getAllPages().at(page);
            return object.getKey("/Contents").getStreamData()->getSize();
        };
        EXPECT_EQ(contents(qpdf, i), contents(reference, i)) << i;
    }
}

} // namespace
