#include "SuspendInhibitor.h"

#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace tunara {

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString portalInterface = QStringLiteral("org.freedesktop.portal.Inhibit");
const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString powerService = QStringLiteral("org.freedesktop.PowerManagement");
const QString powerPath = QStringLiteral("/org/freedesktop/PowerManagement/Inhibit");
const QString powerInterface = QStringLiteral("org.freedesktop.PowerManagement.Inhibit");

// The portal's flag for suspend alone.
constexpr uint suspendFlag = 4;

// The call that releases what a granted Inhibit holds: Close on the
// portal's request handle, or UnInhibit with the cookie. An invalid message
// when the Inhibit failed.
QDBusMessage releaseOf(bool portal, const QDBusPendingCall& call)
{
    if (portal) {
        const QDBusPendingReply<QDBusObjectPath> reply = call;
        if (reply.isError() || reply.value().path().isEmpty())
            return {};
        return QDBusMessage::createMethodCall(portalService, reply.value().path(), requestInterface,
                                              QStringLiteral("Close"));
    }
    const QDBusPendingReply<uint> reply = call;
    if (reply.isError())
        return {};
    QDBusMessage release = QDBusMessage::createMethodCall(powerService, powerPath, powerInterface,
                                                          QStringLiteral("UnInhibit"));
    release << reply.value();
    return release;
}

} // namespace

SuspendInhibitor::SuspendInhibitor(QDBusConnection bus, QString reason, QObject* parent)
    : QObject(parent)
    , bus_(std::move(bus))
    , reason_(std::move(reason))
{
}

SuspendInhibitor::~SuspendInhibitor()
{
    if (release_.type() != QDBusMessage::InvalidMessage)
        bus_.send(release_);
    if (pending_) {
        // The answer still on its way is released when it comes.
        disconnect(pending_, nullptr, this, nullptr);
        pending_->setParent(nullptr);
        connect(pending_, &QDBusPendingCallWatcher::finished, pending_,
                [bus = bus_, portal = pendingService_ == Service::portal](QDBusPendingCallWatcher* call) {
                    const QDBusMessage release = releaseOf(portal, *call);
                    if (release.type() != QDBusMessage::InvalidMessage)
                        bus.send(release);
                    call->deleteLater();
                });
    }
}

void SuspendInhibitor::setInhibited(bool inhibited)
{
    if (inhibited == wanted_)
        return;
    wanted_ = inhibited;
    if (wanted_)
        failed_ = false;
    update();
}

void SuspendInhibitor::update()
{
    // The answer awaited calls this again.
    if (pending_)
        return;
    const bool held = release_.type() != QDBusMessage::InvalidMessage;
    if (wanted_ && !held && !failed_) {
        request(Service::portal);
    } else if (!wanted_ && held) {
        bus_.send(release_);
        release_ = QDBusMessage();
    }
}

void SuspendInhibitor::request(Service service)
{
    QDBusMessage inhibit;
    if (service == Service::portal) {
        inhibit = QDBusMessage::createMethodCall(portalService, portalPath, portalInterface, QStringLiteral("Inhibit"));
        inhibit << QString() << suspendFlag << QVariantMap{{QStringLiteral("reason"), reason_}};
    } else {
        inhibit = QDBusMessage::createMethodCall(powerService, powerPath, powerInterface, QStringLiteral("Inhibit"));
        inhibit << QStringLiteral("Tunara") << reason_;
    }
    pending_ = new QDBusPendingCallWatcher(bus_.asyncCall(inhibit), this);
    pendingService_ = service;
    connect(pending_, &QDBusPendingCallWatcher::finished, this,
            [this, service](QDBusPendingCallWatcher* call) { answered(service, call); });
}

void SuspendInhibitor::answered(Service service, QDBusPendingCallWatcher* call)
{
    pending_ = nullptr;
    call->deleteLater();
    release_ = releaseOf(service == Service::portal, *call);
    if (release_.type() == QDBusMessage::InvalidMessage) {
        // No portal, or one without Inhibit: the power management service,
        // if it is still wanted.
        if (service == Service::portal && wanted_) {
            request(Service::powerManagement);
            return;
        }
        failed_ = wanted_;
    }
    update();
}

} // namespace tunara
