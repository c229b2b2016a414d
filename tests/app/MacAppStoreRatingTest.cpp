// The store rating: the answer's value scanner, the lookup against a store
// of the test's own on the loopback (the request, the answers that name this
// program and those that do not), quitting during the lookup, and the Rate
// button.
#include "tests/app/AppTestSupport.h"

#include "app/AppDelegate.h"
#include "app/MacAppStoreRating.h"
#include "platform/SystemInfo.h"
#include "platform/ui/DesktopServices.h"
#include "tests/support/LoopbackHttpServer.h"

#include <QElapsedTimer>
#include <QLocale>
#include <QTest>
#include <QToolButton>

using testsupport::LoopbackHttpServer;

namespace {

// The lookup's own time limit and some room for a loaded machine.
constexpr int kLookupEndsMs = 15000;

class CapturingDesktop : public platform::ui::DesktopServices {
public:
    bool openUrl(const QUrl& url) override
    {
        opened.append(url);
        return true;
    }
    QList<QUrl> opened;
};

QByteArray storeAnswer(const QByteArray& bundleID, const QByteArray& trackID)
{
    return "{\"resultCount\":1,\"results\":[{\"kind\":\"software\",\"bundleId\":\"" + bundleID
        + "\",\"trackId\":" + trackID + ",\"trackName\":\"Scribora\"}]}";
}

QByteArray ownAnswer(const QByteArray& trackID = "123")
{
    return storeAnswer(platform::bundleIdentifier().toLatin1(), trackID);
}

QUrl ratingsPage(const QString& authority, int identifier)
{
    return QUrl(QStringLiteral("macappstore://%1/app/id%2").arg(authority).arg(identifier));
}

bool rateItemVisible(const AppDelegate& controller)
{
    for (QAction* item : controller.mainToolbar->actions()) {
        if (controller.mainToolbar->widgetForAction(item) == controller.ratingToolbarItem)
            return item->isVisible();
    }
    return false;
}

} // namespace

class MacAppStoreRatingTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { platform::ui::setDesktopServicesForTesting(&m_desktop); }
    void cleanupTestCase() { platform::ui::setDesktopServicesForTesting(nullptr); }
    void init() { m_desktop.opened.clear(); }

    void valueForKey_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("json");
        QTest::addColumn<QString>("value"); // a null string: no value

        const QString none;
        // moc reads raw strings as plain ones: a raw string with an odd number
        // of quotes or an escaped quote hides this class from it, so those
        // texts are written escaped.
        QTest::newRow("number") << "trackId" << R"({"trackId":123,"x":1})" << "123";
        QTest::newRow("blanks trimmed") << "v" << "{\"v\":  42 ,\n\"x\":1}" << "42";
        QTest::newRow("last member") << "trackId" << R"({"a":1,"trackId":123})" << none;
        QTest::newRow("no colon") << "trackId" << R"({"a":1,"trackId"})" << none;
        QTest::newRow("missing key") << "trackId" << R"({"a":1,"b":2})" << none;
        QTest::newRow("key only inside another") << "Id" << R"({"trackId":1,"b":2})" << none;
        QTest::newRow("first at any depth")
            << "bundleId" << R"({"results":[{"bundleId":"com.a","trackId":1}],"bundleId":"com.b","y":2})"
            << "com.a";
        QTest::newRow("quoted with commas") << "name" << R"({"name":"a, b, c","x":1})" << "a, b, c";
        QTest::newRow("quoted, blanks around") << "name" << R"({"name": "a,b" ,"x":1})" << "a,b";
        QTest::newRow("quote never closed") << "name" << "{\"name\":\"a, b}" << none;
        QTest::newRow("empty quoted") << "k" << R"({"k":"","x":1})" << "";
        QTest::newRow("blank") << "k" << R"({"k":   ,"x":1})" << "";
        QTest::newRow("quotes stripped") << "k" << R"({"k":""x"","y":1})" << "x";
        QTest::newRow("escaped slash") << "u" << R"({"u":"http:\/\/a.example\/b","x":1})" << "http://a.example/b";
        QTest::newRow("escaped quote, tab, cr, ff")
            << "s" << "{\"s\":\"\\\"q\\\"\\t\\r\\f\",\"x\":1}" << QString::fromUtf8("\"q\"\t\r\f");
        QTest::newRow("backspace") << "s" << R"({"s":"a\bb","x":1})" << QString::fromUtf8("a\bb");
        QTest::newRow("escaped backslash before n") << "s" << R"({"s":"a\\n","x":1})" << "a\n";
        QTest::newRow("backslash-u") << "s" << R"({"s":"caf\u00e9","x":1})" << QString::fromUtf8("café");
        QTest::newRow("backslash-u cut short") << "s" << R"({"s":"ab\u12","x":1})" << R"(ab\u12)";
        QTest::newRow("backslash-u, few hex digits") << "s" << R"({"s":"\u4zz1","x":1})" << QString(QChar(4));
        QTest::newRow("backslash-u, no hex digit") << "s" << R"({"s":"a\uzzzzb","x":1})"
                                                   << QStringLiteral("a") + QChar(0) + QStringLiteral("b");
        QTest::newRow("backslash-u makes the next") << "s" << R"({"s":"\u005cu0041","x":1})" << "A";
        QTest::newRow("backslash-u completes one") << "s" << R"({"s":"\\\u00750041","x":1})" << "A";
    }

    void valueForKey()
    {
        QFETCH(QString, key);
        QFETCH(QString, json);
        QFETCH(QString, value);
        const QString found = MacAppStoreRating::valueForKey(key, json);
        QCOMPARE(found.isNull(), value.isNull());
        QCOMPARE(found, value);
    }

    // Hostile answers near the size limit are read in one pass.
    void longValues()
    {
        constexpr int kCount = 170000;
        const QString escapes = QStringLiteral("\\u0041").repeated(kCount);
        QCOMPARE(MacAppStoreRating::valueForKey("k", "{\"k\":\"" + escapes + "\",\"x\":1}"),
                 QString(kCount, QChar(u'A')));
        QVERIFY(MacAppStoreRating::valueForKey("k", "{\"k\":\"a" + QString(kCount * 6, QChar(u','))).isNull());
    }

    void countryOfTheLocale()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(MacAppStoreRating(QString()).appStoreCountry(), QStringLiteral("DE"));
        QLocale::setDefault(QLocale::c());
        QCOMPARE(MacAppStoreRating(QString()).appStoreCountry(), QStringLiteral("US"));
        QLocale::setDefault(QLocale::system());
    }

    void matchingAnswerOpensTheRatingsPage()
    {
        LoopbackHttpServer store(LoopbackHttpServer::answer(200, ownAnswer()));
        MacAppStoreRating rating(store.authority());
        QCOMPARE(rating.applicationBundleID(), platform::bundleIdentifier());
        rating.setAppStoreCountry(QStringLiteral("DE"));
        rating.RateApplicationAction();
        rating.applicationLaunched();
        rating.applicationLaunched();
        QTRY_VERIFY_WITH_TIMEOUT(!rating.isLookingUp(), kLookupEndsMs);
        QCOMPARE(rating.appStoreID(), 123u);
        QCOMPARE(store.requestLines(),
                 QStringList("GET //lookup?country=DE&bundleId=" + platform::bundleIdentifier() + " HTTP/1.0"));
        QVERIFY(m_desktop.opened.isEmpty());
        rating.RateApplicationAction();
        QCOMPARE(m_desktop.opened, QList<QUrl>{ratingsPage(store.authority(), 123)});
    }

    void knownIdentifierIsAskedByIdAndKept()
    {
        LoopbackHttpServer store(LoopbackHttpServer::answer(200, ownAnswer("123")));
        MacAppStoreRating rating(store.authority());
        rating.setAppStoreCountry(QStringLiteral("FR"));
        rating.setAppStoreID(77);
        rating.applicationLaunched();
        QTRY_VERIFY_WITH_TIMEOUT(!rating.isLookingUp(), kLookupEndsMs);
        QCOMPARE(store.requestLines(), QStringList("GET //lookup?country=FR&id=77 HTTP/1.0"));
        QCOMPARE(rating.appStoreID(), 77u);
    }

    // Every one of these leaves the identifier unknown, the silent store
    // once the time limit has passed.
    void answersThatNameNoIdentifier()
    {
        const QByteArray own = ownAnswer();
        const QByteArray bundleID = platform::bundleIdentifier().toLatin1();
        const struct {
            const char* name;
            QByteArray answer;
        } cases[] = {
            {"another application", LoopbackHttpServer::answer(200, storeAnswer("com.example.Other", "123"))},
            {"longer identifier", LoopbackHttpServer::answer(200, storeAnswer(bundleID + "Pro", "123"))},
            {"server error", LoopbackHttpServer::answer(500, own)},
            {"garbage", QByteArray("\x00\xff garbage\r\n\r\n", 14)},
            {"no JSON", LoopbackHttpServer::answer(200, "<html>moved</html>")},
            {"invalid byte", LoopbackHttpServer::answer(200, own + "\xff")},
            {"cut sequence", LoopbackHttpServer::answer(200, own + "\xc3")},
            {"overlong sequence", LoopbackHttpServer::answer(200, "\xc0\xaf" + own)},
            {"encoded surrogate", LoopbackHttpServer::answer(200, own + "\xed\xa0\x80")},
            {"negative identifier", LoopbackHttpServer::answer(200, ownAnswer("-123"))},
            {"identifier no number", LoopbackHttpServer::answer(200, ownAnswer(R"("abc")"))},
            {"identifier last", LoopbackHttpServer::answer(200, "{\"bundleId\":\"" + bundleID + "\",\"trackId\":123}")},
            {"over the size limit", LoopbackHttpServer::answer(200, own + QByteArray(1024 * 1024, ' '))},
            {"silent", QByteArray()},
        };
        std::vector<std::unique_ptr<LoopbackHttpServer>> stores;
        std::vector<std::unique_ptr<MacAppStoreRating>> ratings;
        for (const auto& c : cases) {
            stores.push_back(std::make_unique<LoopbackHttpServer>(c.answer));
            ratings.push_back(std::make_unique<MacAppStoreRating>(stores.back()->authority()));
        }
        ratings.push_back(std::make_unique<MacAppStoreRating>(
            QStringLiteral("127.0.0.1:%1").arg(LoopbackHttpServer::refusingPort())));
        for (const auto& rating : ratings)
            rating->applicationLaunched();
        auto looking = [&] {
            return std::any_of(ratings.begin(), ratings.end(), [](const auto& r) { return r->isLookingUp(); });
        };
        QTRY_VERIFY_WITH_TIMEOUT(!looking(), kLookupEndsMs);
        for (size_t index = 0; index < std::size(cases); ++index) {
            QVERIFY2(ratings[index]->appStoreID() == 0, cases[index].name);
            QVERIFY2(stores[index]->requestHeads().size() == 1, cases[index].name);
        }
        QCOMPARE(ratings.back()->appStoreID(), 0u);
        ratings.back()->RateApplicationAction();
        QVERIFY(m_desktop.opened.isEmpty());
    }

    void quittingDuringTheLookupEndsAtOnce()
    {
        LoopbackHttpServer silent({});
        auto rating = std::make_unique<MacAppStoreRating>(silent.authority());
        rating->applicationLaunched();
        QTRY_COMPARE(silent.requestHeads().size(), 1);
        QElapsedTimer clock;
        clock.start();
        rating.reset();
        // Half the lookup's time limit: the end did not wait the lookup out.
        QVERIFY(clock.elapsed() < 5000);
        QTRY_COMPARE(silent.endedConnections(), 1);
    }

    void withoutStoreNothingIsLookedUp()
    {
        const QString malformed[] = {QString(), QStringLiteral("127.0.0.1:1/path"), QStringLiteral("user@127.0.0.1")};
        for (const QString& host : malformed) {
            MacAppStoreRating rating(host);
            QVERIFY(rating.storeHost().isEmpty());
            rating.applicationLaunched();
            QVERIFY(!rating.isLookingUp());
            rating.setAppStoreID(5);
            QVERIFY(rating.ratingsURL().isEmpty());
            rating.RateApplicationAction();
        }
        QVERIFY(m_desktop.opened.isEmpty());

        MacAppStoreRating rating{QString()};
        const QUrl page(QStringLiteral("https://ratings.example/page"));
        rating.setRatingsURL(page);
        rating.RateApplicationAction();
        QVERIFY(m_desktop.opened.isEmpty());
        rating.setAppStoreID(5);
        rating.RateApplicationAction();
        QCOMPARE(m_desktop.opened, QList<QUrl>{page});
    }

    void rateButton()
    {
        {
            AppDelegate controller;
            QCOMPARE(rateItemVisible(controller), !controller.rateApplicationObject->storeHost().isEmpty());
        }

        LoopbackHttpServer store(LoopbackHttpServer::answer(200, ownAnswer()));
        AppDelegate controller(AppDelegate::StartUp::NibOnly);
        controller.rateApplicationObject = new MacAppStoreRating(store.authority(), &controller);
        controller.awakeFromNib();
        QVERIFY(rateItemVisible(controller));
        controller.ratingToolbarItem->click();
        QTest::qWait(0);
        QVERIFY(store.requestHeads().isEmpty());
        controller.applicationDidFinishLaunching();
        QTRY_COMPARE_WITH_TIMEOUT(controller.rateApplicationObject->appStoreID(), 123u, kLookupEndsMs);
        QVERIFY(m_desktop.opened.isEmpty());
        controller.ratingToolbarItem->click();
        QTRY_COMPARE(m_desktop.opened, QList<QUrl>{ratingsPage(store.authority(), 123)});
    }

private:
    CapturingDesktop m_desktop;
};

APP_TEST(MacAppStoreRatingTest);
#include "MacAppStoreRatingTest.moc"
