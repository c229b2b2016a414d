#pragma once
// Web archives served from memory while a page shows them: each archive
// gets a host of its own under the archive scheme, and every resource it
// holds an address there derived from its original URL, so that relative
// references between the archived resources still resolve.
#include "platform/web/WebArchive.h"

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QString>
#include <QUrl>

#include <map>
#include <memory>
#include <optional>

namespace platform::web {

inline constexpr char kArchiveScheme[] = "archived-web";

struct ServedResource {
    QByteArray contentType; // MIME type, with its charset when the archive names one
    QByteArray data;
};

class WebArchiveStore {
public:
    static WebArchiveStore& instance();

    // Makes the archive's resources available under a new host; answers the
    // host and the address of its main resource.
    struct Registration {
        QString host;
        QUrl mainUrl;
    };
    Registration add(const WebArchive& archive);
    void remove(const QString& host);

    // Where original is served from under host; empty when that archive does
    // not hold it.
    QUrl servingUrl(const QString& host, const QUrl& original) const;
    std::optional<ServedResource> find(const QUrl& servingUrl) const;

    // The address under host that stands for original, held or not.
    static QUrl mapToArchive(const QString& host, const QUrl& original);

    // The lookup key of a serving address.
    static QString keyOf(const QUrl& servingUrl);

private:
    using Resources = QHash<QString, ServedResource>;

    mutable QMutex m_mutex;
    std::map<QString, std::shared_ptr<const Resources>> m_archives;
};

} // namespace platform::web
