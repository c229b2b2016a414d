#include "platform/web/WebProfile_p.h"

#include "platform/web/WebArchiveStore.h"
#include "platform/web/WebLog_p.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>

namespace platform::web {

namespace {

// Serves the resources of registered archives; never fetches anything.
class ArchiveSchemeHandler : public QWebEngineUrlSchemeHandler {
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

    void requestStarted(QWebEngineUrlRequestJob* job) override
    {
        if (job->requestMethod() != "GET") {
            job->fail(QWebEngineUrlRequestJob::RequestDenied);
            return;
        }
        const std::optional<ServedResource> resource =
            WebArchiveStore::instance().find(job->requestUrl());
        if (!resource) {
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        auto* buffer = new QBuffer(job); // lives as long as the job reads it
        buffer->setData(resource->data);
        job->reply(resource->contentType, buffer);
    }
};

// Local documents stay local: anything that would reach the network is
// blocked, except an archived page asking for one of its own resources by
// its original address, which is answered from the archive.
class LocalOnlyRequestFilter : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void interceptRequest(QWebEngineUrlRequestInfo& info) override
    {
        const QUrl url = info.requestUrl();
        const QString scheme = url.scheme().toLower();
        // As in a browser, scripts read no local file (images, style sheets
        // and frames still load): a document could print anything its
        // reader may read.
        if (scheme == QLatin1String("file") && info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeXhr) {
            qCInfo(lcWeb) << "script request for a local file blocked:" << url;
            info.block(true);
            return;
        }
        if (scheme == QLatin1String("file") || scheme == QLatin1String("data")
            || scheme == QLatin1String("blob") || scheme == QLatin1String("about")
            || scheme == QLatin1String(kArchiveScheme))
            return;
        const QUrl firstParty = info.firstPartyUrl();
        if (firstParty.scheme() == QLatin1String(kArchiveScheme)) {
            const QUrl serving = WebArchiveStore::instance().servingUrl(firstParty.host(), url);
            if (!serving.isEmpty()) {
                info.redirect(serving);
                return;
            }
        }
        qCInfo(lcWeb) << "request off this machine blocked:" << url;
        info.block(true);
    }
};

QWebEngineProfile* g_profile = nullptr;

// Switches for what no request filter sees. A peer connection finds its
// addresses over UDP and reaches relay servers over TCP without a request;
// it is kept to proxied connections, and every connection that is not a
// filtered request goes to a proxy on the discard port of this machine,
// where nothing answers. Loopback addresses are no exception: a document
// has no business probing local services either.
constexpr char kOfflineSwitches[] = "--force-webrtc-ip-handling-policy=disable_non_proxied_udp"
                                    " --proxy-server=http://127.0.0.1:9"
                                    " --proxy-bypass-list=<-loopback>";
constexpr char kChromiumFlagsVariable[] = "QTWEBENGINE_CHROMIUM_FLAGS";

// The engine reads its switches from the environment once, when the first
// profile starts it. They are set for that moment only, so that programs
// started from this one (a browser opening the manual) do not inherit them.
QWebEngineProfile* startOfflineEngine()
{
    const bool wasSet = qEnvironmentVariableIsSet(kChromiumFlagsVariable);
    const QByteArray userFlags = qgetenv(kChromiumFlagsVariable);
    qputenv(kChromiumFlagsVariable,
            userFlags.isEmpty() ? QByteArray(kOfflineSwitches)
                                : userFlags + ' ' + kOfflineSwitches);
    // No storage name: off the record, nothing kept on disk.
    auto* profile = new QWebEngineProfile();
    if (wasSet)
        qputenv(kChromiumFlagsVariable, userFlags);
    else
        qunsetenv(kChromiumFlagsVariable);
    return profile;
}

void destroyProfile()
{
    // Pages still waiting for a queued deletion go first: a profile must
    // outlive its pages.
    if (g_profile)
        qDeleteAll(g_profile->findChildren<QWebEnginePage*>(Qt::FindDirectChildrenOnly));
    delete g_profile;
    g_profile = nullptr;
}

// Scheme registration and context sharing have to precede the application
// object.
const bool g_schemesRegistered = [] {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    registerWebSchemes();
    return true;
}();

} // namespace

void registerWebSchemes()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    QWebEngineUrlScheme scheme(kArchiveScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::CorsEnabled);
    QWebEngineUrlScheme::registerScheme(scheme);
}

QWebEngineProfile* sharedWebProfile()
{
    if (g_profile)
        return g_profile;
    (void)g_schemesRegistered;
    g_profile = startOfflineEngine();
    g_profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    g_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    g_profile->setSpellCheckEnabled(false);
    g_profile->setUrlRequestInterceptor(new LocalOnlyRequestFilter(g_profile));
    g_profile->installUrlSchemeHandler(kArchiveScheme, new ArchiveSchemeHandler(g_profile));
    // Registered after the engine's own clean-up, so it runs before it.
    qAddPostRoutine(destroyProfile);
    return g_profile;
}

} // namespace platform::web
