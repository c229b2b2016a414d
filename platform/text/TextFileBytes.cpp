#include "platform/text/TextFileBytes.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace platform::text {

std::optional<QByteArray> readBoundedFile(const QString& path, qint64 maxBytes)
{
    // Devices and pipes could block or never end: regular files only.
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // One byte past the bound tells a too-large file from one at the bound,
    // whatever size the file system reports.
    QByteArray bytes = file.read(maxBytes + 1);
    if (bytes.size() > maxBytes)
        return std::nullopt;
    return bytes;
}

QString decodeText(const QByteArray& bytes)
{
    const auto startsWith = [&](const char* mark) { return bytes.startsWith(mark); };
    if (startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    if (startsWith("\xFF\xFE") || startsWith("\xFE\xFF")) {
        QStringDecoder decoder(bytes.at(0) == '\xFF' ? QStringConverter::Utf16LE
                                                     : QStringConverter::Utf16BE,
                               QStringConverter::Flag::Stateless);
        return decoder(QByteArrayView(bytes).sliced(2));
    }
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}

} // namespace platform::text
