#include "app/MacAppStoreRating.h"

#include "app/NumberScanner.h"
#include "platform/SystemInfo.h"
#include "platform/net/HttpGet.h"
#include "platform/ui/DesktopServices.h"

#include <QLocale>
#include <QStringDecoder>
#include <QThread>

#include <chrono>

// The store's host is a build setting; without one nothing is looked up.
#ifndef STORE_HOST
#define STORE_HOST ""
#endif

namespace {

// A lookup answer is a few kilobytes; a megabyte is far beyond any real one.
constexpr qint64 kLookupSizeLimit = 1024 * 1024;
// Long enough for a slow network; a dead one then costs nothing but this.
constexpr std::chrono::seconds kLookupTimeLimit{10};
// The store's default storefront, asked when the locale names no country.
constexpr const char* kDefaultCountry = "US";

// A host with an optional port and nothing else, or none.
QString validStoreHost(const QString& host)
{
    QUrl probe;
    probe.setScheme(QStringLiteral("http"));
    probe.setAuthority(host, QUrl::StrictMode);
    if (!probe.isValid() || probe.host().isEmpty() || !probe.userInfo().isEmpty())
        return {};
    return host;
}

QString localeCountry()
{
    const QLocale::Territory territory = QLocale().territory();
    if (territory == QLocale::AnyTerritory)
        return QString::fromLatin1(kDefaultCountry);
    return QLocale::territoryToCode(territory);
}

QString queryValue(const QString& value)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

} // namespace

MacAppStoreRating::MacAppStoreRating(QObject* parent)
    : MacAppStoreRating(QStringLiteral(STORE_HOST), parent)
{
}

MacAppStoreRating::MacAppStoreRating(const QString& storeHost, QObject* parent)
    : QObject(parent),
      m_storeHost(validStoreHost(storeHost)),
      m_appStoreCountry(localeCountry()),
      m_applicationBundleID(platform::bundleIdentifier())
{
}

MacAppStoreRating::~MacAppStoreRating()
{
    // Quitting the thread ends the lookup's wait at once, before or during it.
    if (m_lookupThread) {
        m_lookupThread->quit();
        m_lookupThread->wait();
    }
}

void MacAppStoreRating::applicationLaunched()
{
    if (m_storeHost.isEmpty() || m_lookupThread)
        return;
    m_lookupThread.reset(QThread::create([this] { checkForConnectivityInBackground(); }));
    m_lookupThread->setObjectName(QStringLiteral("Store lookup"));
    m_lookupThread->start();
}

bool MacAppStoreRating::isLookingUp() const
{
    return m_lookupThread && !m_lookupThread->isFinished();
}

QUrl MacAppStoreRating::lookupURL() const
{
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setAuthority(m_storeHost);
    url.setPath(QStringLiteral("//lookup"));
    QString query = QStringLiteral("country=") + queryValue(appStoreCountry());
    if (const std::uint64_t identifier = appStoreID())
        query += QStringLiteral("&id=") + QString::number(identifier);
    else
        query += QStringLiteral("&bundleId=") + queryValue(applicationBundleID());
    url.setQuery(query);
    return url;
}

void MacAppStoreRating::checkForConnectivityInBackground()
{
    const std::optional<QByteArray> answer =
        platform::net::httpGet(lookupURL(), {kLookupTimeLimit, kLookupSizeLimit});
    if (!answer)
        return;
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(*answer);
    if (decoder.hasError())
        return;
    const QString bundleID = valueForKey(QStringLiteral("bundleId"), text);
    if (bundleID.isEmpty() || bundleID != applicationBundleID())
        return;
    // A store identifier is positive; anything else is no identifier.
    const std::int64_t trackID = LeadingInteger(valueForKey(QStringLiteral("trackId"), text));
    if (trackID <= 0)
        return;
    std::uint64_t unknown = 0;
    m_appStoreID.compare_exchange_strong(unknown, std::uint64_t(trackID));
}

QUrl MacAppStoreRating::ratingsURL() const
{
    if (const QUrl set = locked(m_ratingsURL); !set.isEmpty())
        return set;
    if (m_storeHost.isEmpty())
        return {};
    QUrl page;
    page.setScheme(QStringLiteral("macappstore"));
    page.setAuthority(m_storeHost);
    page.setPath(QStringLiteral("/app/id") + QString::number(appStoreID()));
    return page;
}

void MacAppStoreRating::RateApplicationAction()
{
    if (appStoreID() == 0)
        return;
    const QUrl page = ratingsURL();
    if (page.isValid() && !page.isEmpty())
        platform::ui::desktopServices().openUrl(page);
}
