// The directory client against the local stand-in server: what it asks
// for, what it makes of good and bad answers, how it finds servers and
// moves on from failing ones.

#include "DirectoryFixture.h"

#include "model/directory/DirectoryReply.h"
#include "model/directory/StationDirectory.h"
#include "support/EventLoop.h"
#include "support/QtPrinters.h"
#include "support/StationNames.h"

#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

#include <map>
#include <optional>

namespace tunara::testing {
namespace {

using namespace std::chrono_literals;
using Field = StationDirectory::SearchField;

// A fixed list of servers, counting how often it was asked.
struct ListedServers final : DirectoryServers {
    ListedServers(QList<QUrl> list, int& count) : servers(std::move(list)), finds(count) {}
    void find(Handler handler) override { handler((++finds, servers)); }
    QList<QUrl> servers;
    int& finds;
};

// Answers from tables, each posted to the event loop as a real lookup's is.
struct TableResolver final : QObject, HostResolver {
    void lookUpAddresses(const QString& host, std::function<void(QList<QHostAddress>)> handler) override
    {
        hostsAsked << host;
        QTimer::singleShot(0, this, [handler, found = addresses[host]] { handler(found); });
    }
    void lookUpName(const QHostAddress& address, std::function<void(QString)> handler) override
    {
        QTimer::singleShot(0, this, [handler, found = names[address.toString()]] { handler(found); });
    }
    std::map<QString, QList<QHostAddress>> addresses;
    std::map<QString, QString> names; // by address text
    QStringList hostsAsked;
};

// Each station as "name | country | codec | kbps | HLS | tags | url".
QStringList describe(const QList<DirectoryStation>& stations)
{
    QStringList lines;
    for (const DirectoryStation& s : stations)
        lines << QStringList({s.name, s.countryCode, s.codec, QString::number(s.bitrate), s.hls ? "HLS" : "",
                              s.tags.join(','), s.url.toString()})
                     .join(" | ");
    return lines;
}

// What a search ended in: the stations, or the failure.
struct Outcome {
    QList<DirectoryStation> stations;
    std::optional<DirectoryFailure> failure;
};

struct Client {
    explicit Client(QList<QUrl> servers, std::chrono::milliseconds timeout = 10s)
        : directory(std::make_unique<ListedServers>(std::move(servers), finds), DirectoryOptions{timeout})
    {
    }
    Outcome search(Field field, const QString& text)
    {
        std::optional<Outcome> outcome;
        QObject context;
        QObject::connect(&directory, &StationDirectory::searchFinished, &context,
                         [&](const QList<DirectoryStation>& stations) { outcome = Outcome{stations, {}}; });
        QObject::connect(&directory, &StationDirectory::searchFailed, &context,
                         [&](DirectoryFailure failure) { outcome = Outcome{{}, failure}; });
        directory.search(field, text);
        EXPECT_TRUE(waitUntil([&] { return outcome.has_value(); }));
        return outcome.value_or(Outcome{});
    }

    int finds = 0;
    StationDirectory directory;
};

// Each request as "server/path?query user-agent", the query sorted by key.
QStringList requestsTo(const DirectoryFixture& server)
{
    QStringList lines;
    for (const auto& request : server.requests()) {
        QStringList query;
        for (auto it = request.query.begin(); it != request.query.end(); ++it)
            query << it.key() + '=' + it.value();
        lines << request.server + request.path + '?' + query.join('&') + ' ' + request.userAgent;
    }
    return lines;
}

TEST(StationDirectoryTest, SearchAsksAsTheDirectoryDocumentsAndKeepsPlayableStations)
{
    DirectoryFixture server(QUrl(QStringLiteral("http://127.0.0.1:8123")));
    ASSERT_TRUE(server.isRunning());
    Client client({server.url()});

    const Outcome jazz = client.search(Field::name, QStringLiteral("jazz"));
    // Most clicked first; the FTP-only one is dropped.
    ASSERT_EQ(jazz.stations.size(), 4);
    EXPECT_EQ(describe(jazz.stations), QStringList({
        // Submitted as a playlist, resolved by the directory to the stream.
        "Fixture Jazz | US | MP3 | 128 |  | jazz,smooth jazz,bebop | http://127.0.0.1:8123/icy/mp3",
        "Jazz Radio Café ☕ — Zürich | CH | AAC+ | 64 |  | jazz,café,lounge | https://cafe.example/stream.aac",
        "Jazz HLS | GB | AAC | 0 | HLS | jazz | https://hls.example/jazz/master.m3u8",
        // The resolved URL is RTSP: the submitted HTTP one is taken.
        "Jazz Mirror | FR | MP3 | 192 |  | jazz | http://mirror.example/jazz"}));
    const DirectoryStation& fixtureJazz = jazz.stations[0];
    EXPECT_EQ(fixtureJazz.knownURLs,
              QList<QUrl>({QUrl("http://127.0.0.1:8123/icy/mp3"), QUrl("http://jazz.example/listen.pls")}));
    EXPECT_EQ(fixtureJazz.uuid, QUuid("96062a7b-0601-11e8-ae97-52543be04c81"));

    EXPECT_EQ(names(client.search(Field::tag, QStringLiteral("classic rock")).stations), QStringList({"Радио Рок"}));
    // "+" and "&" reach the server as typed; nothing matches: no stations, no failure.
    const Outcome none = client.search(Field::name, QStringLiteral("rock+roll & blues"));
    EXPECT_EQ(none.failure, std::nullopt);
    EXPECT_TRUE(none.stations.isEmpty());

    // Adding a station counts a click for it, at the server that found it.
    client.directory.reportClick(fixtureJazz);
    ASSERT_TRUE(waitUntil([&] { return server.requests().size() == 4; }));
    const QString search = "/json/stations/search?hidebroken=true&limit=50&";
    const QString agent = " Tunara/" TUNARA_VERSION;
    EXPECT_EQ(requestsTo(server), QStringList({search + "name=jazz&order=clickcount&reverse=true" + agent,
                                               search + "order=clickcount&reverse=true&tag=classic rock" + agent,
                                               search + "name=rock+roll & blues&order=clickcount&reverse=true" + agent,
                                               "/json/url/96062a7b-0601-11e8-ae97-52543be04c81?" + agent}));
}

// Failing servers give way to the next, which is kept; every bad answer
// is a failure of its kind; a slow search can be cancelled.
TEST(StationDirectoryTest, FailingServersGiveWayAndEachFailureIsOfItsKind)
{
    DirectoryFixture server({}, 2);
    ASSERT_TRUE(server.isRunning());
    Client client({DirectoryFixture::refused(), server.url("down"), server.url("slow"), server.url()}, 1s);
    const QString rock = "/json/stations/search?hidebroken=true&limit=50&order=clickcount&reverse=true&tag=rock "
                         "Tunara/" TUNARA_VERSION;
    EXPECT_EQ(names(client.search(Field::tag, QStringLiteral("rock")).stations), QStringList({"Радио Рок"}));
    EXPECT_EQ(requestsTo(server), QStringList({"down" + rock, "slow" + rock, rock}));
    // The next search goes straight to the server that answered.
    EXPECT_EQ(names(client.search(Field::tag, QStringLiteral("rock")).stations), QStringList({"Радио Рок"}));
    EXPECT_EQ(requestsTo(server), QStringList({"down" + rock, "slow" + rock, rock, rock}));
    EXPECT_EQ(client.finds, 1);

    // When every server fails, the search fails with the last one's failure,
    // and the servers are looked for afresh next time.
    Client failing({server.url("down"), DirectoryFixture::refused()}, 1s);
    EXPECT_EQ(failing.search(Field::name, QStringLiteral("jazz")).failure, DirectoryFailure::unreachable);
    EXPECT_EQ(failing.search(Field::name, QStringLiteral("jazz")).failure, DirectoryFailure::unreachable);
    EXPECT_EQ(failing.finds, 2);

    const std::tuple<QUrl, DirectoryFailure, QString> cases[] = {
        {DirectoryFixture::refused(), DirectoryFailure::unreachable, "Can't reach the station directory"},
        {server.url("down"), DirectoryFailure::httpError, "The station directory answered with an error"},
        {server.url("slow"), DirectoryFailure::timedOut, "The station directory took too long to answer"},
        {server.url("broken"), DirectoryFailure::unreadable, "The station directory's answer could not be read"},
        {server.url("huge"), DirectoryFailure::unreadable, "The station directory's answer could not be read"},
    };
    for (const auto& [url, failure, message] : cases) {
        EXPECT_EQ(Client({url}, 1s).search(Field::name, QStringLiteral("jazz")).failure, failure)
            << qPrintable(url.path());
        EXPECT_EQ(failureMessage(failure), message);
    }
    // A new search cancels the one running: the first answer, due first, is never heard.
    Client slow({server.url("slow")}, 5s);
    QSignalSpy finished(&slow.directory, &StationDirectory::searchFinished);
    const auto asked = server.requests().size();
    slow.directory.search(Field::name, QStringLiteral("jazz"));
    ASSERT_TRUE(waitUntil([&] { return server.requests().size() > asked; }));
    EXPECT_EQ(names(slow.search(Field::tag, QStringLiteral("rock")).stations), QStringList({"Радио Рок"}));
    EXPECT_EQ(finished.size(), 1);
}

// One case for each rule; fuzz_directory_reply checks that any answer gives
// clean texts, http streams and no more stations than asked for.
TEST(StationDirectoryTest, HostileStationsAreCleanedOrLeftOut)
{
    const QByteArray reply = R"([
        {"stationuuid": "9762dd8e-0601-11e8-ae97-52543be04c81", "name": "Good \u0000\u001b[31mRed\r\nLine\u0085 ",
         "url": "http://good.example/", "tags": "a\u0007,b,a,,c,d", "countrycode": "us", "codec": "MP3",
         "bitrate": "128"},
        {"stationuuid": "9773cc9f-0601-11e8-ae97-52543be04c81", "name": ")" + QByteArray(100'000, 'N') + R"(",
         "url": "http://long.example/", "url_resolved": "", "countrycode": "USA", "bitrate": 1e12,
         "codec": ")" + QByteArray(100, 'M') + R"("},
        {"stationuuid": "not-a-uuid", "url": "http://a.example/"}, null,
        {"stationuuid": "9795aa11-0601-11e8-ae97-52543be04c81",
         "url": "http://u.example/)" + QByteArray(5000, 'u') + R"("},
        {"stationuuid": "97a69922-0601-11e8-ae97-52543be04c81", "name": 42, "url": "http://nameless.example/live",
         "tags": 5, "bitrate": [], "hls": "yes"}
    ])";
    EXPECT_EQ(describe(parseSearchReply(reply, 50).value_or(QList<DirectoryStation>())),
              QStringList({"Good [31mRed Line | US | MP3 | 128 |  | a,b,c | http://good.example/",
                           QString(1024, 'N') + " |  |  | 0 |  |  | http://long.example/",
                           // A name that is no text: the host.
                           "nameless.example |  |  | 0 |  |  | http://nameless.example/live"}));

    // No array, or only unreadable entries: the answer is unreadable; none
    // at all, or none that plays, is an empty result.
    const auto found = [](const QByteArray& body) {
        const auto stations = parseSearchReply(body, 50);
        return stations ? std::optional(stations->size()) : std::nullopt;
    };
    EXPECT_EQ(found(R"({"stations": []})"), std::nullopt);
    EXPECT_EQ(found(R"([{"name": "x"}, 3, null])"), std::nullopt);
    EXPECT_EQ(found("[]"), 0);
    EXPECT_EQ(found(R"([{"stationuuid": "96062a7b-0601-11e8-ae97-52543be04c81", "url": "ftp://a/"}])"), 0);
}

// Every server found once, in shuffled order, over HTTPS; none found
// means the directory cannot be reached.
TEST(ServerDiscoveryTest, EveryNamedServerOnceInShuffledOrderOverHttps)
{
    auto resolver = std::make_unique<TableResolver>();
    TableResolver& table = *resolver;
    for (const char* address : {"192.0.2.1", "2001:db8::1", "192.0.2.2", "192.0.2.3", "192.0.2.4"})
        table.addresses["all.api.radio-browser.info"] << QHostAddress(QString::fromLatin1(address));
    table.names = {{"192.0.2.1", "de1.api.radio-browser.info"},
                   {"2001:db8::1", "DE1.api.radio-browser.info"}, // the same server over IPv6
                   {"192.0.2.2", "NL1.api.radio-browser.info."},
                   {"192.0.2.4", "at1.api.radio-browser.info"}}; // 192.0.2.3 has no name
    DiscoveredDirectoryServers servers(std::move(resolver),
                                       [](QStringList& names) { std::reverse(names.begin(), names.end()); });
    std::optional<QList<QUrl>> found;
    servers.find([&](const QList<QUrl>& urls) { found = urls; });
    ASSERT_TRUE(waitUntil([&] { return found.has_value(); }));
    EXPECT_EQ(table.hostsAsked, QStringList({"all.api.radio-browser.info"}));
    // Each server once, lower case, in the order the shuffle left them.
    EXPECT_EQ(*found, QList<QUrl>({QUrl("https://at1.api.radio-browser.info"),
                                   QUrl("https://nl1.api.radio-browser.info"),
                                   QUrl("https://de1.api.radio-browser.info")}));

    // The directory's name does not resolve (no network): the search fails.
    StationDirectory directory(std::make_unique<DiscoveredDirectoryServers>(std::make_unique<TableResolver>()));
    QSignalSpy failed(&directory, &StationDirectory::searchFailed);
    directory.search(Field::name, QStringLiteral("jazz"));
    ASSERT_TRUE(failed.wait());
    EXPECT_EQ(failed[0][0].value<DirectoryFailure>(), DirectoryFailure::unreachable);

    // A named server that is no http or https URL is used for nothing.
    for (const char* text : {"", "ftp://127.0.0.1/", "127.0.0.1:8080", "http://"}) {
        std::optional<QList<QUrl>> named;
        NamedDirectoryServer(QString::fromUtf8(text)).find([&](const QList<QUrl>& urls) { named = urls; });
        EXPECT_EQ(named, QList<QUrl>()) << text;
    }
}

} // namespace
} // namespace tunara::testing
