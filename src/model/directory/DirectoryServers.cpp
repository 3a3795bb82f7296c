#include "DirectoryServers.h"

#include "model/URLValidation.h"

#include <QHostInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <random>

namespace tunara {

NamedDirectoryServer::NamedDirectoryServer(const QString& baseURLText)
{
    const QString trimmed = baseURLText.trimmed();
    const std::optional<QUrl> url = parseURL(trimmed);
    if (!trimmed.isEmpty() && !validateStreamURL(trimmed) && url)
        servers_.append(*url);
}

void NamedDirectoryServer::find(Handler handler)
{
    handler(servers_);
}

void SystemHostResolver::lookUpAddresses(const QString& host, std::function<void(QList<QHostAddress>)> handler)
{
    QHostInfo::lookupHost(host, this, [handler = std::move(handler)](const QHostInfo& info) {
        handler(info.error() == QHostInfo::NoError ? info.addresses() : QList<QHostAddress>());
    });
}

void SystemHostResolver::lookUpName(const QHostAddress& address, std::function<void(QString)> handler)
{
    // A lookup of an address text is a reverse lookup; without a name for
    // the address the result carries the address text itself.
    const QString addressText = address.toString();
    QHostInfo::lookupHost(addressText, this, [handler = std::move(handler), addressText](const QHostInfo& info) {
        const bool named = info.error() == QHostInfo::NoError && info.hostName() != addressText;
        handler(named ? info.hostName() : QString());
    });
}

DiscoveredDirectoryServers::DiscoveredDirectoryServers(std::unique_ptr<HostResolver> resolver, Shuffle shuffle)
    : resolver_(std::move(resolver))
    , shuffle_(std::move(shuffle))
{
}

void DiscoveredDirectoryServers::randomShuffle(QStringList& names)
{
    std::mt19937 generator(QRandomGenerator::global()->generate());
    std::shuffle(names.begin(), names.end(), generator);
}

void DiscoveredDirectoryServers::find(Handler handler)
{
    // Handlers run only while the resolver, and so this object, lives.
    resolver_->lookUpAddresses(directoryHost, [this, handler = std::move(handler)](const QList<QHostAddress>& addresses) {
        if (addresses.isEmpty()) {
            handler({});
            return;
        }
        struct Lookup {
            qsizetype pending;
            QStringList names;
            Handler handler;
        };
        auto lookup = std::make_shared<Lookup>(Lookup{addresses.size(), {}, handler});
        for (const QHostAddress& address : addresses) {
            resolver_->lookUpName(address, [this, lookup](const QString& name) {
                // A server answers on both its IPv4 and IPv6 address.
                QString server = name.trimmed().toLower();
                if (server.endsWith(QLatin1Char('.')))
                    server.chop(1);
                if (!server.isEmpty() && !lookup->names.contains(server))
                    lookup->names.append(server);
                if (--lookup->pending > 0)
                    return;
                shuffle_(lookup->names);
                QList<QUrl> servers;
                for (const QString& serverName : std::as_const(lookup->names)) {
                    QUrl url;
                    url.setScheme(QStringLiteral("https"));
                    url.setHost(serverName);
                    if (url.isValid() && !url.host().isEmpty())
                        servers.append(url);
                }
                lookup->handler(servers);
            });
        }
    });
}

} // namespace tunara
