#include "platform/web/WebArchiveStore.h"

#include <QMutexLocker>
#include <QUuid>

namespace platform::web {

namespace {

// Stands for a main resource whose archive gives no usable address.
const QUrl kFallbackMainUrl(QStringLiteral("http://archive.invalid/index.html"));

ServedResource served(const WebResource& resource)
{
    QByteArray type = resource.mimeType.toLatin1();
    if (type.isEmpty())
        type = "application/octet-stream";
    if (!resource.textEncodingName.isEmpty())
        type += "; charset=" + resource.textEncodingName.toLatin1();
    return {type, resource.data};
}

void collect(const WebArchive& archive, const QString& host, QHash<QString, ServedResource>& out,
             bool isTop)
{
    auto put = [&](const WebResource& resource, bool isMain) {
        QUrl url = resource.url;
        if (!url.isValid() || url.isEmpty()) {
            if (!(isMain && isTop))
                return;
            url = kFallbackMainUrl;
        }
        const QUrl serving = WebArchiveStore::mapToArchive(host, url);
        const QString key = WebArchiveStore::keyOf(serving);
        if (!out.contains(key)) // the first copy of an address wins
            out.insert(key, served(resource));
    };
    put(archive.mainResource, true);
    for (const WebResource& resource : archive.subresources)
        put(resource, false);
    // Subframe archives are already bounded in depth by the parser.
    for (const WebArchive& frame : archive.subframeArchives)
        collect(frame, host, out, false);
}

} // namespace

WebArchiveStore& WebArchiveStore::instance()
{
    static WebArchiveStore store;
    return store;
}

QUrl WebArchiveStore::mapToArchive(const QString& host, const QUrl& original)
{
    QString scheme = original.scheme().toLower();
    if (scheme.isEmpty())
        scheme = QStringLiteral("_");
    QString authority = original.host(QUrl::FullyEncoded).toLower();
    if (original.port() != -1)
        authority += QLatin1Char(':') + QString::number(original.port());
    if (authority.isEmpty())
        authority = QStringLiteral("_");
    QString path = original.path(QUrl::FullyEncoded);
    if (!path.startsWith(QLatin1Char('/')))
        path.prepend(QLatin1Char('/'));

    QUrl url;
    url.setScheme(QString::fromLatin1(kArchiveScheme));
    url.setHost(host);
    url.setPath(QLatin1Char('/') + scheme + QLatin1Char('/') + authority + path, QUrl::TolerantMode);
    if (original.hasQuery())
        url.setQuery(original.query(QUrl::FullyEncoded), QUrl::TolerantMode);
    return url;
}

QString WebArchiveStore::keyOf(const QUrl& servingUrl)
{
    // Decoded, so that the browser's and our own percent-encoding agree.
    QString key = servingUrl.host() + servingUrl.path(QUrl::FullyDecoded);
    if (servingUrl.hasQuery())
        key += QLatin1Char('?') + servingUrl.query(QUrl::FullyDecoded);
    return key;
}

WebArchiveStore::Registration WebArchiveStore::add(const WebArchive& archive)
{
    const QString host = QUuid::createUuid().toString(QUuid::Id128);
    auto resources = std::make_shared<Resources>();
    collect(archive, host, *resources, true);
    QUrl main = archive.mainResource.url;
    if (!main.isValid() || main.isEmpty())
        main = kFallbackMainUrl;
    const QMutexLocker lock(&m_mutex);
    m_archives[host] = std::move(resources);
    return {host, mapToArchive(host, main)};
}

void WebArchiveStore::remove(const QString& host)
{
    const QMutexLocker lock(&m_mutex);
    m_archives.erase(host);
}

QUrl WebArchiveStore::servingUrl(const QString& host, const QUrl& original) const
{
    const QUrl serving = mapToArchive(host, original);
    const QMutexLocker lock(&m_mutex);
    const auto it = m_archives.find(host);
    if (it == m_archives.end() || !it->second->contains(keyOf(serving)))
        return {};
    return serving;
}

std::optional<ServedResource> WebArchiveStore::find(const QUrl& servingUrl) const
{
    if (servingUrl.scheme() != QLatin1String(kArchiveScheme))
        return std::nullopt;
    const QMutexLocker lock(&m_mutex);
    const auto it = m_archives.find(servingUrl.host());
    if (it == m_archives.end())
        return std::nullopt;
    const auto found = it->second->constFind(keyOf(servingUrl));
    if (found == it->second->constEnd())
        return std::nullopt;
    return *found;
}

} // namespace platform::web
