// The directory client against the local stand-in server: what it asks
// for, what it makes of good and bad answers, how it finds servers and
// moves on from failing ones.

#include "DirectoryFixture.h"

#include "model/directory/DirectoryReply.h"
#include "model/directory/StationDirectory.h"
#include "support/EventLoop.h"
#include "support/QtPrinters.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <variant>

namespace tunara::testing {
namespace {

using namespace std::chrono_literals;
using Field = StationDirectory::SearchField;

// What a search ended in: the stations, or the failure.
using Outcome = std::variant<QList<DirectoryStation>, DirectoryFailure>;

// A fixed list of servers, counting how often it was asked.
class ListedServers final : public DirectoryServers {
public:
    explicit ListedServers(QList<QUrl> servers, int* finds = nullptr)
        : servers_(std::move(servers))
        , finds_(finds)
    {
    }
    void find(Handler handler) override
    {
        if (finds_)
            ++*finds_;
        handler(servers_);
    }

private:
    QList<QUrl> servers_;
    int* finds_;
};

// Answers from tables, each answer posted to the event loop as a real
// lookup's would be.
class TableResolver final : public QObject, public HostResolver {
public:
    std::map<QString, QList<QHostAddress>> addresses;
    std::map<QString, QString> names; // by address text
    QStringList hostsAsked;

    void lookUpAddresses(const QString& host, std::function<void(QList<QHostAddress>)> handler) override
    {
        hostsAsked << host;
        const auto found = addresses.find(host);
        const QList<QHostAddress> result = found == addresses.end() ? QList<QHostAddress>() : found->second;
        QMetaObject::invokeMethod(this, [handler, result] { handler(result); }, Qt::QueuedConnection);
    }
    void lookUpName(const QHostAddress& address, std::function<void(QString)> handler) override
    {
        const auto found = names.find(address.toString());
        const QString result = found == names.end() ? QString() : found->second;
        QMetaObject::invokeMethod(this, [handler, result] { handler(result); }, Qt::QueuedConnection);
    }
};

std::unique_ptr<StationDirectory> directoryOn(QList<QUrl> servers, DirectoryOptions options = {},
                                              int* finds = nullptr)
{
    return std::make_unique<StationDirectory>(std::make_unique<ListedServers>(std::move(servers), finds), options);
}

Outcome run(StationDirectory& directory, Field field, const QString& text)
{
    std::optional<Outcome> outcome;
    QObject context;
    QObject::connect(&directory, &StationDirectory::searchFinished, &context,
                     [&](const QList<DirectoryStation>& stations) { outcome = stations; });
    QObject::connect(&directory, &StationDirectory::searchFailed, &context,
                     [&](DirectoryFailure failure) { outcome = failure; });
    directory.search(field, text);
    EXPECT_TRUE(waitUntil([&] { return outcome.has_value(); }));
    return outcome.value_or(DirectoryFailure::unreachable);
}

QStringList namesOf(const Outcome& outcome)
{
    QStringList names;
    if (const auto* stations = std::get_if<QList<DirectoryStation>>(&outcome)) {
        for (const DirectoryStation& station : *stations)
            names << station.name;
    }
    return names;
}

std::optional<DirectoryFailure> failureOf(const Outcome& outcome)
{
    if (const auto* failure = std::get_if<DirectoryFailure>(&outcome))
        return *failure;
    return std::nullopt;
}

QStringList serversAsked(const DirectoryFixture& server)
{
    QStringList asked;
    for (const auto& request : server.requests())
        asked << request.server;
    return asked;
}

TEST(StationDirectoryTest, SearchAsksAsTheDirectoryDocumentsAndKeepsPlayableStations)
{
    const QUrl streamBase(QStringLiteral("http://127.0.0.1:8123"));
    DirectoryFixture server(streamBase);
    ASSERT_TRUE(server.isRunning());
    auto directory = directoryOn({server.url()});

    const Outcome jazz = run(*directory, Field::name, QStringLiteral("jazz"));
    // Most clicked first; the broken one is hidden, the FTP-only one dropped.
    ASSERT_EQ(namesOf(jazz), QStringList({"Fixture Jazz", "Jazz Radio Café ☕ — Zürich", "Jazz HLS", "Jazz Mirror"}));
    const auto& stations = std::get<QList<DirectoryStation>>(jazz);
    // Submitted as a playlist, resolved by the directory to the stream.
    EXPECT_EQ(stations[0].url, QUrl(QStringLiteral("http://127.0.0.1:8123/icy/mp3")));
    EXPECT_EQ(stations[0].knownURLs.size(), 2);
    EXPECT_EQ(stations[0].uuid, QUuid(QStringLiteral("96062a7b-0601-11e8-ae97-52543be04c81")));
    EXPECT_EQ(stations[0].tags, QStringList({"jazz", "smooth jazz", "bebop"}));
    EXPECT_EQ(stations[1].countryCode, "CH");
    EXPECT_EQ(stations[1].codec, "AAC+");
    EXPECT_EQ(stations[1].bitrate, 64);
    EXPECT_TRUE(stations[2].hls);
    // The resolved URL is RTSP: the submitted HTTP one is taken.
    EXPECT_EQ(stations[3].url, QUrl(QStringLiteral("http://mirror.example/jazz")));

    EXPECT_EQ(namesOf(run(*directory, Field::tag, QStringLiteral("classic rock"))), QStringList({"Радио Рок"}));
    // "+" and "&" reach the server as typed; nothing matches: no stations, no failure.
    const Outcome none = run(*directory, Field::name, QStringLiteral("rock+roll & blues"));
    ASSERT_TRUE(std::holds_alternative<QList<DirectoryStation>>(none));
    EXPECT_TRUE(namesOf(none).isEmpty());

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3);
    const QMap<QString, QString> expected = {{"name", "jazz"},        {"hidebroken", "true"}, {"order", "clickcount"},
                                             {"reverse", "true"},     {"limit", "50"}};
    EXPECT_EQ(requests[0].path, "/json/stations/search");
    EXPECT_EQ(requests[0].query, expected);
    EXPECT_EQ(requests[0].userAgent, "Tunara/" TUNARA_VERSION);
    EXPECT_EQ(requests[1].query.value("tag"), "classic rock");
    EXPECT_FALSE(requests[1].query.contains("name"));
    EXPECT_EQ(requests[2].query.value("name"), "rock+roll & blues");

    // Adding a station counts a click for it, at the server that found it.
    directory->reportClick(stations[0]);
    ASSERT_TRUE(waitUntil([&] { return server.requests().size() == 4; }));
    EXPECT_EQ(server.requests()[3].path, "/json/url/96062a7b-0601-11e8-ae97-52543be04c81");
    EXPECT_EQ(server.requests()[3].userAgent, "Tunara/" TUNARA_VERSION);
}

TEST(StationDirectoryTest, EveryBadAnswerIsAFailureOfItsKind)
{
    DirectoryFixture server({}, 2);
    ASSERT_TRUE(server.isRunning());
    const std::pair<QUrl, DirectoryFailure> cases[] = {
        {DirectoryFixture::refused(), DirectoryFailure::unreachable},
        {server.url(QStringLiteral("down")), DirectoryFailure::httpError},
        {server.url(QStringLiteral("no-such-path")), DirectoryFailure::httpError},
        {server.url(QStringLiteral("slow")), DirectoryFailure::timedOut},
        {server.url(QStringLiteral("broken")), DirectoryFailure::unreadable},
        {server.url(QStringLiteral("object")), DirectoryFailure::unreadable},
        {server.url(QStringLiteral("huge")), DirectoryFailure::unreadable},
    };
    DirectoryOptions options;
    options.timeout = 1s;
    for (const auto& [url, failure] : cases) {
        auto directory = directoryOn({url}, options);
        const Outcome outcome = run(*directory, Field::name, QStringLiteral("jazz"));
        EXPECT_EQ(failureOf(outcome), failure) << url.toString().toStdString();
    }
    EXPECT_EQ(failureMessage(DirectoryFailure::unreachable), "Can't reach the station directory");
    EXPECT_EQ(failureMessage(DirectoryFailure::httpError), "The station directory answered with an error");

    // A slow answer within the time allowed is an answer.
    options.timeout = 5s;
    EXPECT_EQ(namesOf(run(*directoryOn({server.url(QStringLiteral("slow"))}, options), Field::tag,
                          QStringLiteral("classic rock"))),
              QStringList({"Радио Рок"}));
}

TEST(StationDirectoryTest, HostileStationsAreCleanedOrLeftOut)
{
    DirectoryFixture server;
    ASSERT_TRUE(server.isRunning());
    const Outcome outcome = run(*directoryOn({server.url(QStringLiteral("hostile"))}), Field::name, QStringLiteral("x"));
    const QStringList names = namesOf(outcome);
    ASSERT_EQ(names.size(), 3);
    EXPECT_EQ(names[0], "Good [31mRed Line");
    EXPECT_EQ(names[1], QString(1024, QLatin1Char('N')));
    EXPECT_EQ(names[2], "nameless.example"); // a name that is no text: the host
    const auto& stations = std::get<QList<DirectoryStation>>(outcome);
    EXPECT_EQ(stations[0].tags, QStringList({"a", "b"}));
    EXPECT_EQ(stations[0].countryCode, "US");
    EXPECT_EQ(stations[0].bitrate, 128);
    EXPECT_EQ(stations[1].tags.value(0).size(), 1024);
    EXPECT_EQ(stations[1].countryCode, "");
    EXPECT_EQ(stations[1].codec, "");
    EXPECT_EQ(stations[1].bitrate, 0);

    // Only unreadable entries: the answer is unreadable; none at all, or none
    // that plays, is an empty result.
    EXPECT_FALSE(parseSearchReply(R"([{"name": "x"}, 3, null])", 50));
    EXPECT_TRUE(parseSearchReply("[]", 50).value_or(QList<DirectoryStation>(1)).isEmpty());
    EXPECT_TRUE(parseSearchReply(R"([{"stationuuid": "96062a7b-0601-11e8-ae97-52543be04c81", "url": "ftp://a/"}])", 50)
                    .value_or(QList<DirectoryStation>(1))
                    .isEmpty());
}

TEST(StationDirectoryTest, FailingServersGiveWayToTheNextWhichIsKept)
{
    DirectoryFixture server({}, 2);
    ASSERT_TRUE(server.isRunning());
    DirectoryOptions options;
    options.timeout = 1s;
    int finds = 0;
    auto directory = directoryOn({DirectoryFixture::refused(), server.url(QStringLiteral("down")),
                                  server.url(QStringLiteral("slow")), server.url()},
                                 options, &finds);

    EXPECT_EQ(namesOf(run(*directory, Field::tag, QStringLiteral("rock"))), QStringList({"Радио Рок"}));
    EXPECT_EQ(serversAsked(server), QStringList({"down", "slow", ""}));
    // The next search goes straight to the server that answered.
    EXPECT_EQ(namesOf(run(*directory, Field::tag, QStringLiteral("rock"))), QStringList({"Радио Рок"}));
    EXPECT_EQ(serversAsked(server), QStringList({"down", "slow", "", ""}));
    EXPECT_EQ(finds, 1);

    // When every server fails, the search fails with the last one's failure,
    // and the servers are looked for afresh next time.
    auto failing = directoryOn({server.url(QStringLiteral("down")), DirectoryFixture::refused()}, options, &finds);
    EXPECT_EQ(failureOf(run(*failing, Field::name, QStringLiteral("jazz"))), DirectoryFailure::unreachable);
    EXPECT_EQ(failureOf(run(*failing, Field::name, QStringLiteral("jazz"))), DirectoryFailure::unreachable);
    EXPECT_EQ(finds, 3);
}

TEST(StationDirectoryTest, ANewSearchCancelsTheOneRunning)
{
    DirectoryFixture server({}, 1);
    ASSERT_TRUE(server.isRunning());
    auto directory = directoryOn({server.url(QStringLiteral("slow"))});
    QSignalSpy finished(directory.get(), &StationDirectory::searchFinished);
    directory->search(Field::name, QStringLiteral("jazz"));
    waitUntil([&] { return server.requests().size() == 1; });
    const Outcome rock = run(*directory, Field::name, QStringLiteral("рок"));
    EXPECT_EQ(namesOf(rock), QStringList({"Радио Рок"}));
    // The first answer has come and gone by now, unheard.
    runFor(1.5);
    EXPECT_EQ(finished.size(), 1);
}

TEST(ServerDiscoveryTest, EveryNamedServerOnceInShuffledOrderOverHttps)
{
    auto resolver = std::make_unique<TableResolver>();
    TableResolver& table = *resolver;
    const QString host = DiscoveredDirectoryServers::directoryHost;
    table.addresses[host] = {QHostAddress(QStringLiteral("192.0.2.1")), QHostAddress(QStringLiteral("2001:db8::1")),
                             QHostAddress(QStringLiteral("192.0.2.2")), QHostAddress(QStringLiteral("192.0.2.3")),
                             QHostAddress(QStringLiteral("192.0.2.4"))};
    table.names = {{"192.0.2.1", "de1.api.radio-browser.info"},
                   {"2001:db8::1", "de1.api.radio-browser.info"}, // the same server over IPv6
                   {"192.0.2.2", "NL1.api.radio-browser.info."},
                   {"192.0.2.4", "at1.api.radio-browser.info"}}; // 192.0.2.3 has no name
    QStringList shuffled;
    DiscoveredDirectoryServers servers(std::move(resolver), [&](QStringList& names) {
        shuffled = names;
        std::reverse(names.begin(), names.end());
    });

    std::optional<QList<QUrl>> found;
    servers.find([&](const QList<QUrl>& urls) { found = urls; });
    ASSERT_TRUE(waitUntil([&] { return found.has_value(); }));
    EXPECT_EQ(table.hostsAsked, QStringList({"all.api.radio-browser.info"}));
    EXPECT_EQ(shuffled.size(), 3);
    QList<QUrl> expected;
    for (auto it = shuffled.crbegin(); it != shuffled.crend(); ++it)
        expected << QUrl(QStringLiteral("https://") + *it);
    EXPECT_EQ(*found, expected);
    EXPECT_TRUE(shuffled.contains("nl1.api.radio-browser.info"));

    // The real shuffle does not always put the same server first.
    QStringList names = {"a", "b", "c", "d", "e"};
    QSet<QString> firsts;
    for (int i = 0; i < 30; ++i) {
        QStringList copy = names;
        DiscoveredDirectoryServers::randomShuffle(copy);
        firsts.insert(copy.first());
    }
    EXPECT_GT(firsts.size(), 1);
}

TEST(ServerDiscoveryTest, TheSystemResolverLooksUpBothWays)
{
    SystemHostResolver resolver;
    std::optional<QList<QHostAddress>> addresses;
    resolver.lookUpAddresses(QStringLiteral("localhost"), [&](const QList<QHostAddress>& found) { addresses = found; });
    ASSERT_TRUE(waitUntil([&] { return addresses.has_value(); }));
    EXPECT_TRUE(addresses->contains(QHostAddress(QHostAddress::LocalHost)));

    std::optional<QString> name;
    resolver.lookUpName(QHostAddress(QHostAddress::LocalHost), [&](const QString& found) { name = found; });
    ASSERT_TRUE(waitUntil([&] { return name.has_value(); }));
    EXPECT_EQ(*name, "localhost");
    // An address without a name gives none, not the address itself.
    name.reset();
    resolver.lookUpName(QHostAddress(QStringLiteral("192.0.2.77")), [&](const QString& found) { name = found; });
    ASSERT_TRUE(waitUntil([&] { return name.has_value(); }));
    EXPECT_EQ(*name, "");
}

TEST(ServerDiscoveryTest, NoServerFoundMeansTheDirectoryCannotBeReached)
{
    // The directory's name does not resolve (no network): the search fails.
    StationDirectory directory(std::make_unique<DiscoveredDirectoryServers>(std::make_unique<TableResolver>()));
    EXPECT_EQ(failureOf(run(directory, Field::name, QStringLiteral("jazz"))), DirectoryFailure::unreachable);

    // A named server that is no http or https URL is used for nothing.
    for (const char* text : {"", "ftp://127.0.0.1/", "127.0.0.1:8080", "http://"}) {
        std::optional<QList<QUrl>> found;
        NamedDirectoryServer(QString::fromUtf8(text)).find([&](const QList<QUrl>& urls) { found = urls; });
        EXPECT_EQ(found, QList<QUrl>()) << text;
    }
}

} // namespace
} // namespace tunara::testing
