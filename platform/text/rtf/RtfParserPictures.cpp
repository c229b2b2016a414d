// The parser's pictures: embedded pictures of any type the image readers
// take (PNG, JPEG, metafiles, bitmaps...) and RTFD attachments.
#include "platform/text/rtf/RtfParser_p.h"

#include "platform/text/TextFileBytes.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTextDocument>
#include <QUrl>

#include <algorithm>

namespace platform::text::rtf {

void RtfParser::pictureKeyword(Kw kw, int param)
{
    switch (kw) {
    case Kw::PngBlip:
        m_picture.type = Picture::Png;
        break;
    case Kw::JpegBlip:
        m_picture.type = Picture::Jpeg;
        break;
    case Kw::OtherBlip:
        m_picture.type = Picture::Other;
        break;
    case Kw::PicwGoal:
        m_picture.goalWidth = param;
        break;
    case Kw::PichGoal:
        m_picture.goalHeight = param;
        break;
    case Kw::PicScaleX:
        m_picture.scaleX = param;
        break;
    case Kw::PicScaleY:
        m_picture.scaleY = param;
        break;
    case Kw::Bin: {
        const qint64 count = std::clamp<qint64>(param, 0, m_end - m_p);
        if (m_picture.data.size() + count > kMaxImageBytes)
            m_picture.tooLarge = true;
        else
            m_picture.data.append(m_p, count);
        m_p += count;
        break;
    }
    default:
        break;
    }
}

void RtfParser::pictureData()
{
    // Hex digits up to the next control word or brace; anything else between
    // them (line breaks, spaces) is no data.
    while (m_p < m_end) {
        const char c = *m_p;
        if (c == '\\' || c == '{' || c == '}')
            return;
        ++m_p;
        const int v = hexValue(c);
        if (v < 0 || m_picture.tooLarge)
            continue;
        if (m_picture.highNibble < 0) {
            m_picture.highNibble = v;
        } else {
            if (m_picture.data.size() >= kMaxImageBytes) {
                m_picture.tooLarge = true;
                continue;
            }
            m_picture.data.append(static_cast<char>(m_picture.highNibble * 16 + v));
            m_picture.highNibble = -1;
        }
    }
}

void RtfParser::finishPicture()
{
    const Group& parent = m_stack.at(m_stack.size() - 2);
    if ((parent.dest != Dest::Text && parent.dest != Dest::Story) || parent.chr.hidden)
        return;
    const Picture& p = m_picture;
    // Pictures of other types are told by their bytes.
    if (p.type == Picture::None || p.tooLarge || p.data.isEmpty())
        return;
    const QImage image = m_images.decode(p.data);
    if (image.isNull())
        return;
    double width = p.goalWidth > 0 ? p.goalWidth / 20.0 : image.width();
    double height = p.goalHeight > 0 ? p.goalHeight / 20.0 : image.height();
    if (p.goalWidth > 0 && p.goalHeight <= 0)
        height = width * image.height() / image.width();
    else if (p.goalHeight > 0 && p.goalWidth <= 0)
        width = height * image.width() / image.height();
    if (p.scaleX > 0)
        width = width * std::min(p.scaleX, 10000) / 100.0;
    if (p.scaleY > 0)
        height = height * std::min(p.scaleY, 10000) / 100.0;
    insertImage(image, boundedPictureSize(QSizeF(width, height)));
}

void RtfParser::finishAttachment()
{
    const Group& parent = m_stack.at(m_stack.size() - 2);
    const QString name = m_attachment.name.trimmed();
    if (m_folder.isEmpty() || name.isEmpty() || parent.chr.hidden
        || (parent.dest != Dest::Text && parent.dest != Dest::Story))
        return;
    // Only files inside the folder: the name comes from the document.
    const QString folder = QFileInfo(m_folder).canonicalFilePath();
    const QFileInfo file(QDir(m_folder).filePath(name));
    const QString path = file.canonicalFilePath();
    if (folder.isEmpty() || path.isEmpty() || !path.startsWith(folder + QLatin1Char('/'))
        || !QFileInfo(path).isFile())
        return;
    const std::optional<QByteArray> bytes = readBoundedFile(path, kMaxImageBytes);
    if (!bytes)
        return;
    const QImage image = m_images.decode(*bytes);
    if (image.isNull())
        return;
    const double width = m_attachment.width > 0 ? m_attachment.width / 20.0 : image.width();
    const double height = m_attachment.height > 0 ? m_attachment.height / 20.0 : image.height();
    insertImage(image, boundedPictureSize(QSizeF(width, height)));
}

void RtfParser::insertImage(const QImage& image, QSizeF size)
{
    prepareInsert();
    const QString name = QStringLiteral("rtf-image:%1").arg(++m_imageCount);
    cursor().document()->addResource(QTextDocument::ImageResource, QUrl(name), image);
    QTextImageFormat format;
    format.setName(name);
    if (!size.isEmpty()) {
        format.setWidth(points(size.width()));
        format.setHeight(points(size.height()));
    }
    cursor().insertImage(format);
}

} // namespace platform::text::rtf
