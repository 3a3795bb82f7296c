#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>

class QDBusPendingCallWatcher;

namespace tunara {

// Keeps the desktop from suspending on idle while sound plays: the XDG
// desktop portal's Inhibit with the suspend flag (4; not idle, 8, which
// would also keep the screen from locking), honoured by GNOME and KDE, else
// org.freedesktop.PowerManagement.Inhibit (XFCE). Never a logind lock, which
// would also hold off a suspend the user asks for. Calls are asynchronous;
// a release asked for before the inhibition was granted releases it as soon
// as it is. Without either service nothing happens.
class SuspendInhibitor final : public QObject {
    Q_OBJECT

public:
    SuspendInhibitor(QDBusConnection bus, QString reason, QObject* parent = nullptr);
    // Releases what is held.
    ~SuspendInhibitor() override;

    void setInhibited(bool inhibited);
    bool isInhibited() const { return wanted_; }

private:
    enum class Service { portal, powerManagement };

    // Brings what is held, or asked for, in line with the wish.
    void update();
    void request(Service service);
    void answered(Service service, QDBusPendingCallWatcher* call);

    QDBusConnection bus_;
    QString reason_;
    bool wanted_ = false;
    // Neither service granted the inhibition since it was last wished for;
    // the next wish tries again.
    bool failed_ = false;
    // The Inhibit call awaiting its answer, and whom it went to.
    QDBusPendingCallWatcher* pending_ = nullptr;
    Service pendingService_ = Service::portal;
    // The call that releases what is held; an invalid message when nothing is.
    QDBusMessage release_;
};

} // namespace tunara
