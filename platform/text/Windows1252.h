#pragma once
// Windows-1252, the code page of Western European text from Windows: one
// table for every reader that meets it (RTF without a converter, Word 97's
// 8-bit text, plain text no other encoding fits).
#include <QByteArrayView>
#include <QString>

namespace platform::text {

// The character of one byte. The five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the control characters of the
// same value, as in Word files and browsers: nothing of the text is lost.
char16_t windows1252Character(unsigned char byte);

QString decodeWindows1252(QByteArrayView bytes);

} // namespace platform::text
