#pragma once

#include "DirectoryServers.h"
#include "DirectoryStation.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <memory>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;

namespace tunara {

// Why a search has no stations to show. The message is the text shown.
enum class DirectoryFailure {
    unreachable,
    httpError,
    timedOut,
    unreadable,
};

QString failureMessage(DirectoryFailure failure);

struct DirectoryOptions {
    // For one server's whole answer, and for finding the servers.
    std::chrono::milliseconds timeout{10000};
    // Larger answers are cut off and count as unreadable.
    qint64 maxReplyBytes = 2 * 1024 * 1024;
    int maxStations = 50;
};

// The client of the community station directory (Radio Browser): searches
// its stations and tells it when a listener adds one. One search runs at a
// time; a new one cancels the one running. A failing server gives way to
// the next; when all have failed the search fails. Nothing of the network
// stack exists before the first request. Main thread only.
class StationDirectory final : public QObject {
    Q_OBJECT

public:
    enum class SearchField { name, tag };

    static inline const char* const directoryURLVariable = "TUNARA_DIRECTORY_URL";

    explicit StationDirectory(std::unique_ptr<DirectoryServers> servers, DirectoryOptions options = {},
                              QObject* parent = nullptr);
    ~StationDirectory() override;

    // The server TUNARA_DIRECTORY_URL names, else the directory's own.
    static std::unique_ptr<DirectoryServers> serversFromEnvironment();

    void search(SearchField field, const QString& text);
    // The directory's stations with this stream URL (its "byurl" list),
    // answered as a search is.
    void lookUp(const QUrl& streamURL);
    void cancel();
    // Counts the station's popularity at the server that found it.
    void reportClick(const DirectoryStation& station);

signals:
    void searchFinished(const QList<tunara::DirectoryStation>& stations);
    void searchFailed(tunara::DirectoryFailure failure);

private:
    struct Search {
        QString path;
        QList<std::pair<QString, QString>> parameters;
        qsizetype serversTried = 0;
    };
    void start(Search search);

    QNetworkAccessManager& network();
    void findServers();
    void sendToCurrentServer();
    void finishReply();
    void failOver(DirectoryFailure failure);
    void expire();

    std::unique_ptr<DirectoryServers> servers_;
    DirectoryOptions options_;
    QNetworkAccessManager* network_ = nullptr; // a child, made on first use

    QList<QUrl> serverList_;
    qsizetype currentServer_ = 0;
    bool findingServers_ = false;

    std::optional<Search> search_;
    QPointer<QNetworkReply> reply_;
    bool replyTooLarge_ = false;
    bool replyTimedOut_ = false;
    QTimer deadline_;
};

} // namespace tunara
