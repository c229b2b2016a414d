#pragma once
// An image: an ordered list of representations (the frames of a file, the
// pages of a PDF, or bitmaps given), with a size in points.
#include "platform/image/ImageRep.h"
#include "platform/image/ImageSource.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>

namespace platform::image {

class BitmapImageRep;

using ImageRepList = QList<std::shared_ptr<ImageRep>>;

class Image {
public:
    Image() = default;
    // The representations of a file: one per frame of an image (decoded one
    // at a time when asked), or one PDF representation. Empty when the file
    // is neither.
    static ImageRepList representationsOfFile(const QString& path,
                                              const ImageSourceOptions& options = {});
    static ImageRepList representationsOfData(const QByteArray& data,
                                              const ImageSourceOptions& options = {});
    // An image over a file's or data's representations; null when none.
    static std::shared_ptr<Image> byReferencingFile(const QString& path,
                                                    const ImageSourceOptions& options = {});
    static std::shared_ptr<Image> fromData(const QByteArray& data, const ImageSourceOptions& options = {});

    ImageRepList representations() const { return m_reps; }
    void addRepresentation(const std::shared_ptr<ImageRep>& rep);
    void removeRepresentation(const std::shared_ptr<ImageRep>& rep);

    // The size set, else that of the first representation.
    QSizeF size() const;
    void setSize(const QSizeF& size);

    // The first bitmap representation; null when there is none.
    std::shared_ptr<BitmapImageRep> firstBitmapRep() const;
    // Every representation as one TIFF page (PDF pages rasterised at 72
    // dpi); empty when a page cannot be made.
    QByteArray tiffRepresentation() const;

private:
    ImageRepList m_reps;
    QSizeF m_size;
};

} // namespace platform::image
