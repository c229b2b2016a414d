#include "platform/text/TextFileBytes.h"

#include "platform/text/TextLog_p.h"
#include "platform/text/Windows1252.h"

#include <uchardet/uchardet.h>

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <memory>
#include <optional>

namespace platform::text {

namespace {

// Bytes the encoding detector sees: plenty to tell the encodings of any
// language apart, and it reads only some 4 MB of such text a second. They
// are taken in blocks that hold bytes other than ASCII, which alone tell.
constexpr qsizetype kDetectionSample = 256 * 1024;
constexpr qsizetype kDetectionBlock = 4 * 1024;

QString decodeWith(QStringConverter::Encoding encoding, QByteArrayView bytes)
{
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    return decoder(bytes);
}

// UTF-8 whose last character was cut off (a file cut at a byte count): the
// text before that character.
std::optional<QString> utf8CutShort(QByteArrayView bytes)
{
    const qsizetype tail = std::min<qsizetype>(bytes.size(), 3);
    for (qsizetype at = bytes.size() - 1; at >= bytes.size() - tail; --at) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        if ((byte & 0xC0) == 0x80)
            continue; // a continuation byte: look further back
        const qsizetype length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        if (length <= bytes.size() - at)
            return std::nullopt;
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        QString text = decoder(bytes.first(at));
        if (decoder.hasError())
            return std::nullopt;
        return text + QChar(QChar::ReplacementCharacter);
    }
    return std::nullopt;
}

// UTF-16 without a byte-order mark: no 8-bit encoding puts NUL bytes in
// text, while UTF-16 of any alphabetic script has one in most characters,
// always on the same side.
std::optional<QStringConverter::Encoding> utf16WithoutMark(QByteArrayView bytes)
{
    if (bytes.size() < 2 || bytes.size() % 2 != 0)
        return std::nullopt;
    qsizetype evenZeros = 0, oddZeros = 0;
    for (qsizetype i = 0; i < bytes.size(); i += 2) {
        evenZeros += bytes[i] == 0;
        oddZeros += bytes[i + 1] == 0;
    }
    const qsizetype characters = bytes.size() / 2;
    std::optional<QStringConverter::Encoding> encoding;
    if (oddZeros * 4 >= characters && evenZeros * 8 < oddZeros)
        encoding = QStringConverter::Utf16LE;
    else if (evenZeros * 4 >= characters && oddZeros * 8 < evenZeros)
        encoding = QStringConverter::Utf16BE;
    if (encoding) {
        QStringDecoder decoder(*encoding, QStringConverter::Flag::Stateless);
        decoder(bytes);
        if (decoder.hasError()) // unpaired surrogates: not UTF-16 after all
            encoding.reset();
    }
    return encoding;
}

// The detector's name for the bytes' encoding; empty when it has none.
QByteArray detectedEncoding(QByteArrayView bytes)
{
    const std::unique_ptr<uchardet, decltype(&uchardet_delete)> detector(uchardet_new(), uchardet_delete);
    if (!detector)
        return {};
    qsizetype fed = 0;
    for (qsizetype at = 0; at < bytes.size() && fed < kDetectionSample; at += kDetectionBlock) {
        const QByteArrayView block = bytes.sliced(at, std::min(kDetectionBlock, bytes.size() - at));
        if (std::all_of(block.begin(), block.end(), [](char c) { return (c & 0x80) == 0; }))
            continue;
        if (uchardet_handle_data(detector.get(), block.data(), size_t(block.size())) != 0)
            return {};
        fed += block.size();
    }
    uchardet_data_end(detector.get());
    const char* name = uchardet_get_charset(detector.get());
    return name ? QByteArray(name) : QByteArray();
}

qsizetype letterCount(const QString& text)
{
    return std::count_if(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
}

// The detector names Windows-1250 also for ISO-8859-2 text, whose letters
// ą ś ź Ą Ś Ź (and others) it would turn into symbols. The ISO code page
// never uses 0x80-0x9F, where the Windows one keeps š ś ť ž ź: without such
// bytes, the reading with more letters wins.
QString decodeCentralEuropean(QByteArrayView bytes, QStringDecoder& windows)
{
    QString text = windows(bytes);
    if (std::any_of(bytes.begin(), bytes.end(), [](char c) {
            const auto byte = static_cast<unsigned char>(c);
            return byte >= 0x80 && byte < 0xA0;
        }))
        return text;
    QStringDecoder iso("ISO-8859-2", QStringConverter::Flag::Stateless);
    if (!iso.isValid())
        return text;
    QString isoText = iso(bytes);
    return letterCount(isoText) > letterCount(text) ? isoText : text;
}

QString decodeDetected(QByteArrayView bytes)
{
    const QByteArray name = detectedEncoding(bytes).toUpper();
    qCInfo(lcText) << "text encoding detected:" << (name.isEmpty() ? QByteArray("none") : name);
    if (name.isEmpty() || name == "ASCII")
        return decodeWindows1252(bytes);
    QStringDecoder decoder(name.constData(), QStringConverter::Flag::Stateless);
    if (!decoder.isValid())
        return decodeWindows1252(bytes);
    if (name == "WINDOWS-1250")
        return decodeCentralEuropean(bytes, decoder);
    return decoder(bytes);
}

} // namespace

std::optional<QByteArray> readBoundedFile(const QString& path, qint64 maxBytes)
{
    // Devices and pipes could block or never end: regular files only.
    if (!QFileInfo(path).isFile()) {
        qCInfo(lcText) << path << "refused: no regular file";
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCInfo(lcText) << path << "refused:" << file.errorString();
        return std::nullopt;
    }
    // One byte past the bound tells a too-large file from one at the bound,
    // whatever size the file system reports.
    QByteArray bytes = file.read(maxBytes + 1);
    if (bytes.size() > maxBytes) {
        qCInfo(lcText) << path << "refused: larger than" << maxBytes << "bytes";
        return std::nullopt;
    }
    return bytes;
}

QString decodeText(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return decodeWith(bytes.at(0) == '\xFF' ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                          QByteArrayView(bytes).sliced(2));
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    if (std::optional<QString> cut = utf8CutShort(bytes))
        return *cut;
    if (const auto utf16 = utf16WithoutMark(bytes))
        return decodeWith(*utf16, bytes);
    return decodeDetected(bytes);
}

} // namespace platform::text
