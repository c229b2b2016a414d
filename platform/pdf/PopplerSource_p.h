#pragma once
// Private to platform/pdf: where Poppler reads a document from.
#include <QByteArray>
#include <QString>

#include <memory>

namespace Poppler {
class Document;
}

namespace platform::pdf {

// A file path, or else the document's bytes, with the password that opens it.
struct PopplerSource {
    QString path;
    QByteArray data;
    QByteArray password;

    // Loaded and set up for drawing (white paper, no antialiasing, so that a
    // blank page stays exactly white); null when Poppler cannot read it or it
    // stays locked.
    std::unique_ptr<Poppler::Document> load() const;
};

} // namespace platform::pdf
