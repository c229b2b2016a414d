// One part of a DOCX package fed arbitrary bytes: FUZZ_Theme reads a theme's
// fonts, FUZZ_Numbering a numbering part and the labels of its lists.
#include "platform/text/word/WordNumbering.h"
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
#ifdef FUZZ_Numbering
    platform::text::WordNumbering numbering;
    numbering.read(bytes, {});
    platform::text::ListCounters counters;
    for (const char* id : {"1", "2", "3"})
        for (int level : {0, 1, 8})
            if (const auto item = numbering.item(QString::fromLatin1(id), level))
                (void)counters.next(item->key, level, item->levels, item->startOverride);
#endif
    return 0;
}
