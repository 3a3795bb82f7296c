#include "StationDirectory.h"

#include "DirectoryReply.h"
#include "common/Diagnostics.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrlQuery>

namespace tunara {

namespace {

// The directory asks every client to name itself.
QNetworkRequest request(const QUrl& url)
{
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("Tunara/" TUNARA_VERSION));
    return request;
}

// The base URL with the path appended to its own.
QUrl endpoint(QUrl base, const QString& path, const QList<std::pair<QString, QString>>& parameters = {})
{
    QString basePath = base.path();
    while (basePath.endsWith(QLatin1Char('/')))
        basePath.chop(1);
    base.setPath(basePath + path);
    if (parameters.isEmpty())
        return base;
    // Every value fully encoded: QUrlQuery alone would send "+" as it is,
    // which servers read as a space.
    QUrlQuery query;
    for (const auto& [key, value] : parameters)
        query.addQueryItem(key, QString::fromLatin1(QUrl::toPercentEncoding(value)));
    base.setQuery(query.query(QUrl::FullyEncoded), QUrl::StrictMode);
    return base;
}

} // namespace

QString failureMessage(DirectoryFailure failure)
{
    switch (failure) {
    case DirectoryFailure::unreachable: return QCoreApplication::translate("StationDirectory", "Can't reach the station directory");
    case DirectoryFailure::httpError: return QCoreApplication::translate("StationDirectory", "The station directory answered with an error");
    case DirectoryFailure::timedOut: return QCoreApplication::translate("StationDirectory", "The station directory took too long to answer");
    case DirectoryFailure::unreadable: return QCoreApplication::translate("StationDirectory", "The station directory's answer could not be read");
    }
    return {};
}

StationDirectory::StationDirectory(std::unique_ptr<DirectoryServers> servers, DirectoryOptions options, QObject* parent)
    : QObject(parent)
    , servers_(std::move(servers))
    , options_(options)
{
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, &StationDirectory::expire);
}

StationDirectory::~StationDirectory()
{
    cancel();
}

std::unique_ptr<DirectoryServers> StationDirectory::serversFromEnvironment()
{
    const QString named = qEnvironmentVariable(directoryURLVariable);
    if (named.isEmpty())
        return std::make_unique<DiscoveredDirectoryServers>(std::make_unique<SystemHostResolver>());
    // Never another server in its place, also when this one is not usable:
    // whoever set it chose where to ask.
    auto server = std::make_unique<NamedDirectoryServer>(named);
    if (!server->namesAServer())
        writeDiagnosticLine(QStringLiteral("Not an http or https URL in %1: %2")
                                .arg(QLatin1String(directoryURLVariable), named));
    return server;
}

QNetworkAccessManager& StationDirectory::network()
{
    if (!network_)
        network_ = new QNetworkAccessManager(this);
    return *network_;
}

void StationDirectory::search(SearchField field, const QString& text)
{
    start({QStringLiteral("/json/stations/search"),
           {
               {field == SearchField::tag ? QStringLiteral("tag") : QStringLiteral("name"), text},
               {QStringLiteral("hidebroken"), QStringLiteral("true")},
               {QStringLiteral("order"), QStringLiteral("clickcount")},
               {QStringLiteral("reverse"), QStringLiteral("true")},
               {QStringLiteral("limit"), QString::number(options_.maxStations)},
           }});
}

void StationDirectory::lookUp(const QUrl& streamURL)
{
    start({QStringLiteral("/json/stations/byurl"), {{QStringLiteral("url"), streamURL.toString(QUrl::FullyEncoded)}}});
}

void StationDirectory::start(Search search)
{
    cancel();
    search_ = std::move(search);
    if (serverList_.isEmpty())
        findServers();
    else
        sendToCurrentServer();
}

void StationDirectory::cancel()
{
    search_.reset();
    deadline_.stop();
    if (QNetworkReply* reply = reply_) {
        reply_ = nullptr;
        disconnect(reply, nullptr, this, nullptr);
        reply->abort();
        reply->deleteLater();
    }
}

void StationDirectory::findServers()
{
    deadline_.start(options_.timeout);
    if (findingServers_)
        return; // the search waits for the lookup already running
    findingServers_ = true;
    servers_->find([this](const QList<QUrl>& servers) {
        findingServers_ = false;
        serverList_ = servers;
        currentServer_ = 0;
        if (!search_)
            return;
        if (serverList_.isEmpty()) {
            deadline_.stop();
            search_.reset();
            emit searchFailed(DirectoryFailure::unreachable);
            return;
        }
        sendToCurrentServer();
    });
}

void StationDirectory::sendToCurrentServer()
{
    const QUrl url = endpoint(serverList_.at(currentServer_), search_->path, search_->parameters);
    QNetworkRequest search = request(url);
    search.setRawHeader("Accept", "application/json");
    replyTooLarge_ = false;
    replyTimedOut_ = false;
    reply_ = network().get(search);
    connect(reply_, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64 total) {
        if (received > options_.maxReplyBytes || total > options_.maxReplyBytes) {
            replyTooLarge_ = true;
            reply_->abort();
        }
    });
    connect(reply_, &QNetworkReply::finished, this, &StationDirectory::finishReply);
    deadline_.start(options_.timeout);
}

void StationDirectory::finishReply()
{
    QNetworkReply* reply = reply_;
    if (!reply)
        return;
    reply_ = nullptr;
    reply->deleteLater();
    deadline_.stop();

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (replyTooLarge_)
        return failOver(DirectoryFailure::unreadable);
    if (replyTimedOut_)
        return failOver(DirectoryFailure::timedOut);
    if (status >= 300)
        return failOver(DirectoryFailure::httpError);
    if (reply->error() != QNetworkReply::NoError || status == 0)
        return failOver(DirectoryFailure::unreachable);
    const auto stations = parseSearchReply(reply->readAll(), options_.maxStations);
    if (!stations)
        return failOver(DirectoryFailure::unreadable);
    search_.reset();
    emit searchFinished(*stations);
}

void StationDirectory::failOver(DirectoryFailure failure)
{
    if (++search_->serversTried < serverList_.size()) {
        currentServer_ = (currentServer_ + 1) % serverList_.size();
        sendToCurrentServer();
        return;
    }
    // Every server failed: look for them afresh next time.
    serverList_.clear();
    search_.reset();
    emit searchFailed(failure);
}

void StationDirectory::expire()
{
    if (reply_) {
        replyTimedOut_ = true;
        reply_->abort(); // finishes the reply, which moves on
        return;
    }
    if (search_) {
        search_.reset();
        emit searchFailed(DirectoryFailure::unreachable);
    }
}

void StationDirectory::reportClick(const DirectoryStation& station)
{
    if (serverList_.isEmpty() || station.uuid.isNull())
        return;
    QNetworkRequest click = request(endpoint(serverList_.at(currentServer_),
                                             QStringLiteral("/json/url/") + station.uuid.toString(QUuid::WithoutBraces)));
    click.setTransferTimeout(static_cast<int>(options_.timeout.count()));
    QNetworkReply* reply = network().get(click);
    connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
}

} // namespace tunara
