#include "platform/web/WebArchive.h"

#include "platform/PropertyList.h"

#include <QVariantList>
#include <QVariantMap>

namespace platform::web {

namespace {

QString stringValue(const QVariantMap& map, const QString& key)
{
    const QVariant value = map.value(key);
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

std::optional<WebResource> readResource(const QVariant& value)
{
    if (value.typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    const QVariantMap map = value.toMap();
    const QVariant data = map.value(QStringLiteral("WebResourceData"));
    // Some writers store text resources as strings.
    if (data.typeId() != QMetaType::QByteArray && data.typeId() != QMetaType::QString)
        return std::nullopt;
    WebResource resource;
    resource.data = data.typeId() == QMetaType::QByteArray ? data.toByteArray()
                                                           : data.toString().toUtf8();
    resource.url = QUrl(stringValue(map, QStringLiteral("WebResourceURL")));
    resource.mimeType = stringValue(map, QStringLiteral("WebResourceMIMEType")).trimmed();
    resource.textEncodingName =
        stringValue(map, QStringLiteral("WebResourceTextEncodingName")).trimmed();
    return resource;
}

struct Reader {
    int resourceCount = 0;

    // Depth is bounded by kMaxSubframeDepth, so the recursion is too.
    std::optional<WebArchive> readArchive(const QVariant& value, int depth)
    {
        if (value.typeId() != QMetaType::QVariantMap)
            return std::nullopt;
        const QVariantMap map = value.toMap();
        std::optional<WebResource> main = readResource(map.value(QStringLiteral("WebMainResource")));
        if (!main || ++resourceCount > WebArchive::kMaxResources)
            return std::nullopt;
        WebArchive archive;
        archive.mainResource = std::move(*main);
        if (archive.mainResource.mimeType.isEmpty())
            archive.mainResource.mimeType = QStringLiteral("text/html");

        for (const QVariant& item : map.value(QStringLiteral("WebSubresources")).toList()) {
            std::optional<WebResource> resource = readResource(item);
            if (!resource || !resource->url.isValid() || resource->url.isEmpty())
                continue;
            if (++resourceCount > WebArchive::kMaxResources)
                break;
            archive.subresources.push_back(std::move(*resource));
        }
        if (depth < WebArchive::kMaxSubframeDepth) {
            for (const QVariant& item : map.value(QStringLiteral("WebSubframeArchives")).toList()) {
                if (resourceCount >= WebArchive::kMaxResources)
                    break;
                if (std::optional<WebArchive> frame = readArchive(item, depth + 1))
                    archive.subframeArchives.push_back(std::move(*frame));
            }
        }
        return archive;
    }
};

} // namespace

std::optional<WebArchive> WebArchive::fromData(const QByteArray& data)
{
    const std::optional<QVariant> root = readPropertyList(data);
    if (!root)
        return std::nullopt;
    Reader reader;
    return reader.readArchive(*root, 0);
}

std::optional<WebArchive> WebArchive::fromFile(const QString& path)
{
    const std::optional<QVariant> root = readPropertyListFile(path);
    if (!root)
        return std::nullopt;
    Reader reader;
    return reader.readArchive(*root, 0);
}

} // namespace platform::web
