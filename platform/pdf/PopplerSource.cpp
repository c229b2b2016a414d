#include "platform/pdf/PopplerSource_p.h"

#include <poppler/qt6/poppler-qt6.h>

namespace platform::pdf {

std::unique_ptr<Poppler::Document> PopplerSource::load() const
{
    std::unique_ptr<Poppler::Document> document =
        path.isEmpty() ? Poppler::Document::loadFromData(data, password, password)
                       : Poppler::Document::load(path, password, password);
    if (!document || document->isLocked())
        return nullptr;
    document->setPaperColor(Qt::white);
    document->setRenderHint(Poppler::Document::Antialiasing, false);
    document->setRenderHint(Poppler::Document::TextAntialiasing, false);
    return document;
}

} // namespace platform::pdf
