// One part of a DOCX package fed arbitrary bytes: FUZZ_Theme reads a theme's
// fonts.
#include "platform/text/word/WordTheme.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
#ifdef FUZZ_Theme
    if (const auto fonts = platform::text::readThemeFonts(bytes)) {
        for (const char* reference : {"majorHAnsi", "minorEastAsia", "minorBidi", "other"})
            (void)fonts->family(QString::fromLatin1(reference));
    }
#endif
    return 0;
}
