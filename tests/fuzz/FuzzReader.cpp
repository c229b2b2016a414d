// One reader fed arbitrary bytes; READ_FUNCTION names it.
#include "platform/text/word/DocReader.h"
#include "platform/text/word/DocxReader.h"
#include "platform/text/odf/OdtReader.h"
#include "platform/text/word/WordMLReader.h"
#include "tests/fuzz/FuzzApplication.h"

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
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QTextDocument document;
    platform::text::READ_FUNCTION(bytes, document);
    return 0;
}
