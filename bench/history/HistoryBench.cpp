// Measures the history in one process, over a full history of 500 long
// entries written to FILE: the median time to load it as the player does
// at start (read, decode, check), the time to read the same bytes as bare
// JSON (the floor any reader pays), and what a new title costs the main
// thread (the entry kept and its file handed to the writer). Prints one
// JSON object.
//
//   tunara_history_bench FILE RUNS

#include "model/TrackHistory.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>

using namespace tunara;

namespace {

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

template<typename Work>
double medianMilliseconds(int runs, Work work)
{
    QList<double> times;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        work(run);
        times << double(timer.nsecsElapsed()) / 1e6;
    }
    return median(times);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    if (argc != 3)
        return 2;
    const QUrl file = QUrl::fromLocalFile(QString::fromLocal8Bit(argv[1]));
    const int runs = std::max(1, atoi(argv[2]));
    QFile::remove(file.toLocalFile());
    {
        TrackHistory history(file);
        const QDateTime start(QDate(2026, 12, 1), QTime(0, 0), Qt::UTC);
        for (int n = 0; n < HistoryFile::capacity; ++n) {
            history.add({start.addSecs(n * 200),
                         QStringLiteral("Für Elise (Live at the Royal Albert Hall, 1997) — Remastered Extended Mix %1").arg(n),
                         QStringLiteral("Ludwig van Beethoven & the London Symphony Orchestra"),
                         QStringLiteral("Radio Swiss Classic — Klassik rund um die Uhr")});
        }
    }
    QFile read(file.toLocalFile());
    read.open(QIODevice::ReadOnly);
    const QByteArray bytes = read.readAll();

    qsizetype loaded = 0;
    const double load = medianMilliseconds(runs, [&](int) { loaded = TrackHistory(file).tracks().size(); });
    const double bare = medianMilliseconds(runs, [&](int) { QJsonDocument::fromJson(bytes).object(); });
    TrackHistory history(file);
    const double add = medianMilliseconds(runs, [&](int run) {
        history.add({QDateTime::currentDateTimeUtc(), QStringLiteral("New title %1").arg(run), QString(), QString()});
    });
    history.flush();
    std::printf("{\"entries\": %lld, \"bytes\": %lld, \"load_ms\": %.3f, \"bare_json_ms\": %.3f, \"add_ms\": %.3f}\n",
                static_cast<long long>(loaded), static_cast<long long>(bytes.size()), load, bare, add);
    return loaded == HistoryFile::capacity ? 0 : 1;
}
