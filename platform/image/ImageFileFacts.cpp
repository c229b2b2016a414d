#include "platform/image/ImageFileFacts_p.h"

#include "platform/image/ImagePropertyKeys.h"

#include <QtEndian>

namespace platform::image {

namespace {

constexpr int kPNGSignatureBytes = 8;
constexpr int kPNGChunkOverhead = 12; // length, type and CRC

quint16 be16(const QByteArray& b, qsizetype at)
{
    return qFromBigEndian<quint16>(b.constData() + at);
}

quint32 be32(const QByteArray& b, qsizetype at)
{
    return qFromBigEndian<quint32>(b.constData() + at);
}

QVariantMap jfifGroup(const QByteArray& head)
{
    // SOI, then an APP0 segment "JFIF\0" version, unit, x and y density.
    if (head.size() < 20 || !head.startsWith("\xFF\xD8\xFF\xE0") || head.mid(6, 5) != QByteArray("JFIF\0", 5))
        return {};
    QVariantMap jfif;
    jfif.insert(keys::kCGImagePropertyJFIFVersion,
                QVariantList{int(quint8(head[11])), int(quint8(head[12]))});
    jfif.insert(keys::kCGImagePropertyJFIFDensityUnit, int(quint8(head[13])));
    jfif.insert(keys::kCGImagePropertyJFIFXDensity, int(be16(head, 14)));
    jfif.insert(keys::kCGImagePropertyJFIFYDensity, int(be16(head, 16)));
    return {{keys::kCGImagePropertyJFIFDictionary, jfif}};
}

QVariantMap pngGroup(const QByteArray& head)
{
    if (head.size() < kPNGSignatureBytes + 25 || !head.startsWith("\x89PNG\r\n\x1a\n"))
        return {};
    QVariantMap png;
    qsizetype at = kPNGSignatureBytes;
    while (at + kPNGChunkOverhead <= head.size()) {
        const quint32 length = be32(head, at);
        const QByteArray type = head.mid(at + 4, 4);
        if (length > quint32(head.size() - at - kPNGChunkOverhead) || type == "IDAT")
            break;
        if (type == "IHDR" && length >= 13)
            png.insert(keys::kCGImagePropertyPNGInterlaceType, int(quint8(head[at + 8 + 12])));
        if (type == "pHYs" && length >= 9 && head[at + 8 + 8] == 1) { // unit: metre
            png.insert(keys::kCGImagePropertyPNGXPixelsPerMeter, qint64(be32(head, at + 8)));
            png.insert(keys::kCGImagePropertyPNGYPixelsPerMeter, qint64(be32(head, at + 12)));
        }
        at += kPNGChunkOverhead + length;
    }
    return {{keys::kCGImagePropertyPNGDictionary, png}};
}

QVariantMap gifGroup(const QByteArray& head)
{
    if (head.size() < 13 || !(head.startsWith("GIF87a") || head.startsWith("GIF89a")))
        return {};
    const quint8 flags = quint8(head[10]);
    QVariantMap gif;
    gif.insert(keys::kCGImagePropertyGIFHasGlobalColorMap, bool(flags & 0x80));
    // The loop count of the application extension, when it stands in the head.
    const qsizetype netscape = head.indexOf("NETSCAPE2.0");
    if (netscape > 0 && netscape + 15 < head.size())
        gif.insert(keys::kCGImagePropertyGIFLoopCount,
                   int(quint8(head[netscape + 14])) | int(quint8(head[netscape + 15])) << 8);
    return {{keys::kCGImagePropertyGIFDictionary, gif}};
}

} // namespace

QVariantMap formatGroupsOf(const QString& uti, const QByteArray& head)
{
    if (uti == u"public.jpeg")
        return jfifGroup(head);
    if (uti == u"public.png")
        return pngGroup(head);
    if (uti == u"com.compuserve.gif")
        return gifGroup(head);
    return {};
}

} // namespace platform::image
