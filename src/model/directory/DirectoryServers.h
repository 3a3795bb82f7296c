#pragma once

// Where the station directory's requests go. The directory is run by
// volunteers on several servers, any of which may be down: a client finds
// them through DNS, tries them in random order, and moves to the next when
// one fails. A person running their own server names it instead.

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>

namespace tunara {

class DirectoryServers {
public:
    using Handler = std::function<void(QList<QUrl>)>;

    virtual ~DirectoryServers() = default;
    // Calls handler once with the base URLs to try, in order; an empty list
    // when none was found. Each call looks afresh. The handler is not
    // called once this object is gone.
    virtual void find(Handler handler) = 0;
};

// The one server a person named; none when the text named no http or https
// server.
class NamedDirectoryServer final : public DirectoryServers {
public:
    explicit NamedDirectoryServer(const QString& baseURLText);
    void find(Handler handler) override;
    bool namesAServer() const { return !servers_.isEmpty(); }

private:
    QList<QUrl> servers_;
};

// Name lookups in both directions. Handlers run on the main thread and not
// after the resolver is gone.
class HostResolver {
public:
    virtual ~HostResolver() = default;
    // Every address of the host; empty when it has none or the lookup failed.
    virtual void lookUpAddresses(const QString& host, std::function<void(QList<QHostAddress>)> handler) = 0;
    // The name the address reverse-resolves to; empty when it has none.
    virtual void lookUpName(const QHostAddress& address, std::function<void(QString)> handler) = 0;
};

// The system's resolver, through QHostInfo (which looks up on Qt's worker
// threads and reports on the main thread).
class SystemHostResolver final : public QObject, public HostResolver {
public:
    void lookUpAddresses(const QString& host, std::function<void(QList<QHostAddress>)> handler) override;
    void lookUpName(const QHostAddress& address, std::function<void(QString)> handler) override;
};

// The directory's own servers: every address behind its DNS name, each
// reverse-resolved to its server's name, in random order, as https://NAME.
class DiscoveredDirectoryServers final : public DirectoryServers {
public:
    using Shuffle = std::function<void(QStringList&)>;

    static inline const QString directoryHost = QStringLiteral("all.api.radio-browser.info");

    explicit DiscoveredDirectoryServers(std::unique_ptr<HostResolver> resolver, Shuffle shuffle = randomShuffle);
    void find(Handler handler) override;

    static void randomShuffle(QStringList& names);

private:
    std::unique_ptr<HostResolver> resolver_;
    Shuffle shuffle_;
};

} // namespace tunara
