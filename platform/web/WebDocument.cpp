#include "platform/web/WebDocument.h"

#include "platform/web/WebArchive.h"
#include "platform/web/WebArchiveStore.h"
#include "platform/web/WebLog_p.h"

#include <QFileInfo>

namespace platform::web {

namespace {

// Larger archives are not read into memory.
constexpr qint64 kMaxArchiveFileSize = qint64(512) << 20;

} // namespace

struct WebDocument::ServedArchive {
    explicit ServedArchive(const QString& host) : host(host) {}
    ServedArchive(const ServedArchive&) = delete;
    ServedArchive& operator=(const ServedArchive&) = delete;
    ~ServedArchive() { WebArchiveStore::instance().remove(host); }

    const QString host;
};

WebDocument WebDocument::open(const QUrl& url)
{
    WebDocument document;
    if (!url.isValid() || url.isEmpty())
        return document;
    if (!url.isLocalFile()) {
        document.m_address = url;
        return document;
    }
    const QFileInfo file(url.toLocalFile());
    // A folder would show its listing; only files are documents.
    if (!file.isFile() || !file.isReadable()) {
        qCInfo(lcWeb) << url << "refused: no readable file";
        return document;
    }
    if (file.suffix().compare(QLatin1String("webarchive"), Qt::CaseInsensitive) != 0) {
        // The browser needs an absolute address.
        document.m_address = QUrl::fromLocalFile(file.absoluteFilePath());
        return document;
    }
    if (file.size() > kMaxArchiveFileSize) {
        qCInfo(lcWeb) << url << "refused: web archive larger than" << kMaxArchiveFileSize << "bytes";
        return document;
    }
    const std::optional<WebArchive> archive = WebArchive::fromFile(file.filePath());
    if (!archive) {
        qCInfo(lcWeb) << url << "refused: no readable web archive";
        return document;
    }
    const WebArchiveStore::Registration registration = WebArchiveStore::instance().add(*archive);
    document.m_archive = std::make_shared<const ServedArchive>(registration.host);
    document.m_address = registration.mainUrl;
    return document;
}

} // namespace platform::web
