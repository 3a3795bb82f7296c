// Measures the station directory's client in one process: the time of a
// search against a server, the memory the client adds once it has
// searched, and the time to read the largest answer it accepts. Prints
// one JSON object.
//
//   tunara_directory_bench BASE_URL SEARCHES

#include "model/directory/DirectoryReply.h"
#include "model/directory/StationDirectory.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>

namespace {

long residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

// A search answer of the largest size accepted, of realistic stations.
QByteArray largestAnswer(qint64 size)
{
    QJsonObject station{
        {"stationuuid", "96062a7b-0601-11e8-ae97-52543be04c81"},
        {"name", "Jazz Radio Café — Zürich, the finest in smooth and classic jazz"},
        {"url", "http://jazz.example/listen.pls"},
        {"url_resolved", "https://jazz.example:8443/stream/high.mp3?listening-from=directory"},
        {"favicon", "https://jazz.example/favicon-512.png"},
        {"tags", "jazz,smooth jazz,bebop,swing,lounge,café"},
        {"countrycode", "CH"},
        {"codec", "MP3"},
        {"bitrate", 128},
        {"hls", 0},
        {"lastcheckok", 1},
    };
    const QByteArray item = QJsonDocument(station).toJson(QJsonDocument::Compact);
    QByteArray body = "[" + item;
    while (body.size() + item.size() + 2 < size)
        body += "," + item;
    return body + "]";
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s BASE_URL SEARCHES\n", argv[0]);
        return 2;
    }
    using namespace tunara;
    const int searches = QByteArray(argv[2]).toInt();
    const long rssBefore = residentKilobytes();

    StationDirectory directory(std::make_unique<NamedDirectoryServer>(QString::fromLocal8Bit(argv[1])));
    QList<double> searchMilliseconds;
    int failures = 0;
    for (int i = 0; i < searches; ++i) {
        QEventLoop loop;
        QObject::connect(&directory, &StationDirectory::searchFinished, &loop, &QEventLoop::quit);
        QObject::connect(&directory, &StationDirectory::searchFailed, &loop, [&] {
            ++failures;
            loop.quit();
        });
        QElapsedTimer timer;
        timer.start();
        directory.search(StationDirectory::SearchField::name, QStringLiteral("jazz"));
        loop.exec();
        searchMilliseconds << timer.nsecsElapsed() / 1e6;
    }
    const long rssAfter = residentKilobytes();

    const QByteArray answer = largestAnswer(DirectoryOptions().maxReplyBytes);
    QList<double> parseMilliseconds;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer timer;
        timer.start();
        const auto stations = parseSearchReply(answer, DirectoryOptions().maxStations);
        parseMilliseconds << timer.nsecsElapsed() / 1e6;
        if (!stations || stations->size() != DirectoryOptions().maxStations)
            ++failures;
    }

    std::printf("{\"search_ms\": %.2f, \"first_search_ms\": %.2f, \"rss_before_kb\": %ld, \"rss_after_kb\": %ld, "
                "\"largest_answer_bytes\": %lld, \"parse_largest_ms\": %.2f, \"failures\": %d}\n",
                median(searchMilliseconds), searchMilliseconds.value(0), rssBefore, rssAfter,
                static_cast<long long>(answer.size()), median(parseMilliseconds), failures);
    return failures == 0 ? 0 : 1;
}
