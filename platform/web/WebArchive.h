#pragma once
// Web archives: a property list holding a page's main resource, the
// resources it uses and the archives of its frames, all as bytes in memory.
#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>
#include <vector>

namespace platform::web {

struct WebResource {
    QUrl url;
    QString mimeType;
    QString textEncodingName; // empty when the archive gives none
    QByteArray data;
};

struct WebArchive {
    WebResource mainResource;
    std::vector<WebResource> subresources;
    std::vector<WebArchive> subframeArchives;

    // Frames nested deeper than this are left out.
    static constexpr int kMaxSubframeDepth = 16;
    // Resources beyond this count (over all frames) are left out.
    static constexpr int kMaxResources = 20000;

    // Parses XML or binary property-list data; empty when it holds no main
    // resource with data. Subresources without a URL or data are skipped.
    static std::optional<WebArchive> fromData(const QByteArray& data);
    static std::optional<WebArchive> fromFile(const QString& path);
};

} // namespace platform::web
