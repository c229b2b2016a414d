#pragma once
// An image destination: one or more images encoded in a type (identifier)
// with their properties (ImagePropertyKeys.h: quality, TIFF compression,
// DPI, orientation, alpha, metadata groups), to a file or to memory. The
// encoded data is read back before it counts; a file is written beside its
// final name and moved into place, so a failure never replaces a good file.
#include "platform/image/Bitmap.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace platform::image {

class ImageDestination {
public:
    ImageDestination(const QString& path, const QString& type, int count);
    ImageDestination(QByteArray* data, const QString& type, int count);

    // Whether anything here writes the type.
    static bool canWrite(const QString& type);
    static QStringList writableTypes();

    void addImage(const Bitmap& image, const QVariantMap& properties = {});
    // Encodes, checks and writes; false (with errorString) when the type
    // cannot be written, the count of images differs from the one declared,
    // an image cannot be encoded in the type, or the file cannot be written.
    bool finalize();
    QString errorString() const { return m_error; }

private:
    QString m_path;
    QByteArray* m_data = nullptr;
    QString m_type;
    int m_count = 0;
    QList<Bitmap> m_images;
    QList<QVariantMap> m_properties;
    bool m_finalized = false;
    QString m_error;
};

} // namespace platform::image
