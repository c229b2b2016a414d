#include "platform/web/WebArchive.h"
#include "platform/web/WebArchiveStore.h"

#include "platform/PropertyList.h"

#include <QVariantList>
#include <QVariantMap>
#include <gtest/gtest.h>

using namespace platform;
using namespace platform::web;

namespace {

QVariantMap resource(const QString& url, const QString& mime, const QVariant& data)
{
    return {{"WebResourceURL", url}, {"WebResourceMIMEType", mime}, {"WebResourceData", data}};
}

QVariantMap page(const QString& url, QVariantList subresources = {}, QVariantList frames = {})
{
    QVariantMap archive{{"WebMainResource", resource(url, "text/html", QByteArray("<p>x</p>"))}};
    if (!subresources.isEmpty())
        archive.insert("WebSubresources", subresources);
    if (!frames.isEmpty())
        archive.insert("WebSubframeArchives", frames);
    return archive;
}

TEST(WebArchive, ReadsMainResourceSubresourcesAndFrames)
{
    QVariantMap archive = page(
        "http://example.com/index.html",
        {resource("http://example.com/a.png", "image/png", QByteArray("PNG")),
         resource("", "image/png", QByteArray("no address")),
         QVariantMap{{"WebResourceURL", "http://example.com/nodata"}},
         QString("not a dictionary")},
        {page("http://example.com/frame.html")});
    QVariantMap main = archive["WebMainResource"].toMap();
    main.insert("WebResourceTextEncodingName", "ISO-8859-1");
    archive.insert("WebMainResource", main);

    for (const auto format : {PropertyListFormat::Binary, PropertyListFormat::Xml}) {
        const auto parsed = WebArchive::fromData(writePropertyList(archive, format));
        ASSERT_TRUE(parsed);
        EXPECT_EQ(parsed->mainResource.url, QUrl("http://example.com/index.html"));
        EXPECT_EQ(parsed->mainResource.mimeType, "text/html");
        EXPECT_EQ(parsed->mainResource.textEncodingName, "ISO-8859-1");
        EXPECT_EQ(parsed->mainResource.data, "<p>x</p>");
        // Only the complete subresource is kept.
        ASSERT_EQ(parsed->subresources.size(), 1u);
        EXPECT_EQ(parsed->subresources[0].data, "PNG");
        ASSERT_EQ(parsed->subframeArchives.size(), 1u);
        EXPECT_EQ(parsed->subframeArchives[0].mainResource.url,
                  QUrl("http://example.com/frame.html"));
    }
}

TEST(WebArchive, RefusesWhatIsNoArchive)
{
    const struct {
        const char* name;
        QByteArray data;
    } cases[] = {
        {"no property list", "<html></html>"},
        {"empty", {}},
        {"array at the top", writePropertyList(QVariantList{1, 2}, PropertyListFormat::Binary)},
        {"no main resource",
         writePropertyList(QVariantMap{{"WebSubresources", QVariantList{}}},
                           PropertyListFormat::Binary)},
        {"main resource without data",
         writePropertyList(QVariantMap{{"WebMainResource",
                                        QVariantMap{{"WebResourceURL", "http://a/"}}}},
                           PropertyListFormat::Binary)},
        {"main resource data of the wrong type",
         writePropertyList(QVariantMap{{"WebMainResource", resource("http://a/", "text/html", 5)}},
                           PropertyListFormat::Binary)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(WebArchive::fromData(c.data));
    }
}

TEST(WebArchive, MainResourceDefaultsToHtmlAndTextDataIsAccepted)
{
    const QVariantMap archive{
        {"WebMainResource", QVariantMap{{"WebResourceData", QString("<p>text</p>")}}}};
    const auto parsed = WebArchive::fromData(writePropertyList(archive, PropertyListFormat::Xml));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->mainResource.mimeType, "text/html");
    EXPECT_EQ(parsed->mainResource.data, "<p>text</p>");
}

TEST(WebArchive, DeepFrameNestingIsCut)
{
    QVariantMap archive = page("http://example.com/0.html");
    for (int i = 1; i <= 60; ++i)
        archive = page(QStringLiteral("http://example.com/%1.html").arg(i), {}, {archive});
    const auto parsed = WebArchive::fromData(writePropertyList(archive, PropertyListFormat::Binary));
    ASSERT_TRUE(parsed);
    int depth = 0;
    for (const WebArchive* frame = &*parsed; !frame->subframeArchives.empty();
         frame = &frame->subframeArchives[0])
        ++depth;
    EXPECT_EQ(depth, WebArchive::kMaxSubframeDepth);
}

WebArchive archiveWith(const QString& mainUrl, std::vector<WebResource> subresources)
{
    WebArchive archive;
    archive.mainResource = {QUrl(mainUrl), "text/html", "UTF-8", "<p>main</p>"};
    archive.subresources = std::move(subresources);
    return archive;
}

TEST(WebArchiveStore, ServesHeldResourcesUnderTheirOwnHost)
{
    WebArchiveStore& store = WebArchiveStore::instance();
    const auto registration = store.add(archiveWith(
        "http://example.com/site/index.html",
        {{QUrl("http://example.com/site/pics/a%20b.png"), "image/png", "", "PNG"},
         {QUrl("http://cdn.example.net:8080/lib.js?v=2"), "text/javascript", "", "JS"},
         {QUrl("http://example.com/site/pics/a%20b.png"), "image/png", "", "second copy"}}));
    const QString host = registration.host;

    const auto main = store.find(registration.mainUrl);
    ASSERT_TRUE(main);
    EXPECT_EQ(main->contentType, "text/html; charset=UTF-8");
    EXPECT_EQ(main->data, "<p>main</p>");

    // Relative references resolve inside the archive, as in the original.
    const auto relative = store.find(registration.mainUrl.resolved(QUrl("pics/a b.png#frag")));
    ASSERT_TRUE(relative);
    EXPECT_EQ(relative->data, "PNG");
    EXPECT_EQ(relative->contentType, "image/png");

    const QUrl script = store.servingUrl(host, QUrl("http://cdn.example.net:8080/lib.js?v=2"));
    ASSERT_FALSE(script.isEmpty());
    EXPECT_EQ(store.find(script)->data, "JS");

    const struct {
        const char* name;
        QUrl url;
    } absent[] = {
        {"other query", QUrl("http://cdn.example.net:8080/lib.js?v=3")},
        {"other port", QUrl("http://cdn.example.net/lib.js?v=2")},
        {"other scheme", QUrl("https://example.com/site/index.html")},
        {"not held", QUrl("http://example.com/site/other.png")},
    };
    for (const auto& c : absent) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(store.servingUrl(host, c.url).isEmpty());
        EXPECT_FALSE(store.find(WebArchiveStore::mapToArchive(host, c.url)));
    }
    // Another host does not see this archive.
    EXPECT_FALSE(store.find(WebArchiveStore::mapToArchive("otherhost", QUrl("http://example.com/site/index.html"))));

    store.remove(host);
    EXPECT_FALSE(store.find(registration.mainUrl));
}

TEST(WebArchiveStore, MainResourceWithoutAddressIsStillServed)
{
    WebArchiveStore& store = WebArchiveStore::instance();
    const auto registration = store.add(archiveWith("", {}));
    ASSERT_TRUE(store.find(registration.mainUrl));
    store.remove(registration.host);
}

} // namespace
