// One reader fed arbitrary bytes; READ_FUNCTION names it.
#include "platform/text/word/DocReader.h"
#include "platform/text/word/DocxReader.h"
#include "platform/text/odf/OdtReader.h"
#include "platform/text/word/WordMLReader.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Fonts and image readers need an application; it lives for the run.
    static QGuiApplication* app = new QGuiApplication(*argc, *argv);
    (void)app;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QTextDocument document;
    platform::text::READ_FUNCTION(bytes, document);
    return 0;
}
