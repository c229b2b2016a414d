#pragma once
// The Rate button's object: once after launch it asks the online store's
// lookup service for this application's entry, keeps the store's identifier
// of the application from the answer, and opens the application's ratings
// page with it. Rating before the answer has arrived, or without a store,
// does nothing.
#include <QMutex>
#include <QObject>
#include <QString>
#include <QUrl>

#include <atomic>
#include <cstdint>
#include <memory>

class QThread;

class MacAppStoreRating : public QObject {
    Q_OBJECT
public:
    // The store named when the program was built (none by default).
    explicit MacAppStoreRating(QObject* parent = nullptr);
    // The store at storeHost, "host" or "host:port"; empty or malformed: none.
    MacAppStoreRating(const QString& storeHost, QObject* parent = nullptr);
    // Stops a running lookup at once and waits for its thread.
    ~MacAppStoreRating() override;
    MacAppStoreRating(const MacAppStoreRating&) = delete;
    MacAppStoreRating& operator=(const MacAppStoreRating&) = delete;

    // The application has finished launching: the lookup starts on a thread
    // of its own, once, when there is a store.
    void applicationLaunched();
    // The lookup itself (on the lookup thread).
    void checkForConnectivityInBackground();
    // The value of the first "key" anywhere in json followed by a colon, up
    // to the next comma (a quoted value up to the comma after its closing
    // quote), unquoted and unescaped. Null when there is none.
    static QString valueForKey(const QString& key, const QString& json);
    // The ratings page set from outside, else the store's page of appStoreID;
    // empty without a store.
    QUrl ratingsURL() const;
    // Opens the ratings page once the identifier is known; else nothing.
    Q_INVOKABLE void RateApplicationAction();

    std::uint64_t appStoreID() const { return m_appStoreID.load(); }
    void setAppStoreID(std::uint64_t identifier) { m_appStoreID.store(identifier); }
    QString appStoreCountry() const { return locked(m_appStoreCountry); }
    void setAppStoreCountry(const QString& country) { setLocked(m_appStoreCountry, country); }
    QString applicationBundleID() const { return locked(m_applicationBundleID); }
    void setApplicationBundleID(const QString& identifier) { setLocked(m_applicationBundleID, identifier); }
    void setRatingsURL(const QUrl& url) { setLocked(m_ratingsURL, url); }

    // "host" or "host:port" of the store; empty when there is none.
    QString storeHost() const { return m_storeHost; }
    // The lookup's thread has started and not yet ended.
    bool isLookingUp() const;

private:
    QUrl lookupURL() const;
    // The lookup thread reads the values the main thread may set.
    template <typename Value>
    Value locked(const Value& member) const
    {
        QMutexLocker locker(&m_lock);
        return member;
    }
    template <typename Value>
    void setLocked(Value& member, const Value& value)
    {
        QMutexLocker locker(&m_lock);
        member = value;
    }

    const QString m_storeHost;
    // Written by the lookup thread while the main thread reads it.
    std::atomic<std::uint64_t> m_appStoreID{0};
    mutable QMutex m_lock; // guards the three values below
    QString m_appStoreCountry;
    QString m_applicationBundleID;
    QUrl m_ratingsURL;
    std::unique_ptr<QThread> m_lookupThread;
};
