#pragma once
// Reading a text file's bytes with a size bound and turning them into text by
// the encoding they show.
#include <QByteArray>
#include <QString>

#include <optional>

namespace platform::text {

// Files larger than this are refused rather than read: the text of a larger
// one (thousands of pages) would not be laid out in any useful time.
inline constexpr qint64 kMaxTextFileBytes = 16 * 1024 * 1024;

// The bytes of a regular file; empty when it is no regular file (a folder,
// device or pipe), cannot be opened or holds more than maxBytes.
std::optional<QByteArray> readBoundedFile(const QString& path, qint64 maxBytes = kMaxTextFileBytes);

// UTF-8 (with or without a byte-order mark, or cut inside its last
// character), UTF-16 LE or BE with a mark or without one; else the encoding
// the bytes show (Windows code pages, ISO 8859, Shift-JIS, GB18030, Big5,
// EUC, KOI8...), Windows-1252 when none fits.
QString decodeText(const QByteArray& bytes);

} // namespace platform::text
