#include "platform/web/WebDocument.h"

#include "platform/PropertyList.h"
#include "platform/web/WebArchiveStore.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QVariantMap>
#include <gtest/gtest.h>

using namespace platform;
using namespace platform::web;

namespace {

class WebDocumentTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QUrl write(const QString& name, const QByteArray& bytes)
    {
        return testsupport::writeFile(path(name), bytes);
    }
    QUrl writeArchive(const QString& name)
    {
        const QVariantMap main{{"WebResourceURL", "http://example.com/index.html"},
                               {"WebResourceMIMEType", "text/html"},
                               {"WebResourceData", QByteArray("<p>archived</p>")}};
        return write(name, writePropertyList(QVariantMap{{"WebMainResource", main}},
                                             PropertyListFormat::Binary));
    }
    QTemporaryDir dir;
};

TEST_F(WebDocumentTest, NothingToLoad)
{
    write(QStringLiteral("broken.webarchive"), "not a property list");
    QDir().mkpath(path("folder.html"));
    const struct {
        const char* name;
        QUrl url;
    } cases[] = {
        {"missing file", QUrl::fromLocalFile(path("missing.html"))},
        {"folder", QUrl::fromLocalFile(path("folder.html"))},
        {"damaged web archive", QUrl::fromLocalFile(path("broken.webarchive"))},
        {"empty address", QUrl()},
        {"invalid address", QUrl(QStringLiteral("http://exa mple.com/"), QUrl::StrictMode)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(WebDocument::open(c.url).address().isEmpty());
    }
}

TEST_F(WebDocumentTest, ArchiveOpenedOnAWorkerIsServedUntilItsLastCopyGoes)
{
    const QUrl source = writeArchive(QStringLiteral("page.webarchive"));
    WebDocument document;
    testsupport::runOnWorker([&] { document = WebDocument::open(source); });
    const QUrl address = document.address();
    ASSERT_EQ(address.scheme(), QLatin1String(kArchiveScheme));
    const auto main = WebArchiveStore::instance().find(address);
    ASSERT_TRUE(main);
    EXPECT_EQ(main->data, "<p>archived</p>");

    WebDocument copy = document;
    document = {};
    EXPECT_TRUE(WebArchiveStore::instance().find(address));
    copy = {};
    EXPECT_FALSE(WebArchiveStore::instance().find(address));
}

} // namespace
