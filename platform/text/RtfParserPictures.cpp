// The parser's pictures: embedded PNG and JPEG data and RTFD attachments.
#include "platform/text/RtfParser_p.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
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
        picture_.type = Picture::Png;
        break;
    case Kw::JpegBlip:
        picture_.type = Picture::Jpeg;
        break;
    case Kw::OtherBlip:
        picture_.type = Picture::Other;
        break;
    case Kw::PicwGoal:
        picture_.goalWidth = param;
        break;
    case Kw::PichGoal:
        picture_.goalHeight = param;
        break;
    case Kw::PicScaleX:
        picture_.scaleX = param;
        break;
    case Kw::PicScaleY:
        picture_.scaleY = param;
        break;
    case Kw::Bin: {
        const qint64 count = std::clamp<qint64>(param, 0, end_ - p_);
        if (picture_.data.size() + count > kMaxImageBytes)
            picture_.tooLarge = true;
        else
            picture_.data.append(p_, count);
        p_ += count;
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
    while (p_ < end_) {
        const char c = *p_;
        if (c == '\\' || c == '{' || c == '}')
            return;
        ++p_;
        const int v = hexValue(c);
        if (v < 0 || picture_.tooLarge)
            continue;
        if (picture_.highNibble < 0) {
            picture_.highNibble = v;
        } else {
            if (picture_.data.size() >= kMaxImageBytes) {
                picture_.tooLarge = true;
                continue;
            }
            picture_.data.append(static_cast<char>(picture_.highNibble * 16 + v));
            picture_.highNibble = -1;
        }
    }
}

void RtfParser::finishPicture()
{
    const Group& parent = stack_.at(stack_.size() - 2);
    if ((parent.dest != Dest::Text && parent.dest != Dest::Footnote) || parent.chr.hidden)
        return;
    const Picture& p = picture_;
    if ((p.type != Picture::Png && p.type != Picture::Jpeg) || p.tooLarge || p.data.isEmpty())
        return;
    QBuffer buffer;
    buffer.setData(p.data);
    buffer.open(QIODevice::ReadOnly);
    const QImage image = images_.decode(buffer);
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
    const Group& parent = stack_.at(stack_.size() - 2);
    const QString name = attachment_.name.trimmed();
    if (folder_.isEmpty() || name.isEmpty() || parent.chr.hidden
        || (parent.dest != Dest::Text && parent.dest != Dest::Footnote))
        return;
    // Only files inside the folder: the name comes from the document.
    const QString folder = QFileInfo(folder_).canonicalFilePath();
    const QFileInfo file(QDir(folder_).filePath(name));
    const QString path = file.canonicalFilePath();
    if (folder.isEmpty() || path.isEmpty() || !path.startsWith(folder + QLatin1Char('/'))
        || !QFileInfo(path).isFile())
        return;
    QFile device(path);
    if (!device.open(QIODevice::ReadOnly))
        return;
    const QImage image = images_.decode(device);
    if (image.isNull())
        return;
    const double width = attachment_.width > 0 ? attachment_.width / 20.0 : image.width();
    const double height = attachment_.height > 0 ? attachment_.height / 20.0 : image.height();
    insertImage(image, boundedPictureSize(QSizeF(width, height)));
}

void RtfParser::insertImage(const QImage& image, QSizeF size)
{
    prepareInsert();
    const QString name = QStringLiteral("rtf-image:%1").arg(++imageCount_);
    document_.addResource(QTextDocument::ImageResource, QUrl(name), image);
    QTextImageFormat format;
    format.setName(name);
    if (!size.isEmpty()) {
        format.setWidth(points(size.width()));
        format.setHeight(points(size.height()));
    }
    cursor_.insertImage(format);
}

} // namespace platform::text::rtf
