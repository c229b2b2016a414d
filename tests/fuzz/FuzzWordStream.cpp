// The Word binary reader fed a WordDocument stream of arbitrary bytes, in a
// compound file of its own: the container stays whole and the mutations
// reach the file information block, the pieces, the formatting pages and
// the tables, which Word 6 and 95 files keep in that one stream.
#include "platform/text/word/DocReader.h"
#include "tests/fuzz/FuzzApplication.h"
#include "tests/support/WordDocumentFixtures.h"

#include <QTextDocument>

#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    startFuzzApplication(argc, argv);
    loadFontConfiguration();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Streams at their own size in the mini stream: a short stream stays short.
    const testsupport::CompoundFileOptions exactSizes{9, true};
    const QByteArray stream(reinterpret_cast<const char*>(data), qsizetype(size));
    QTextDocument document;
    platform::text::readDocData(testsupport::compoundFile({{"WordDocument", stream}}, exactSizes), document);
    return 0;
}
