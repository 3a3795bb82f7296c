// The suspend inhibitor over the test's private session bus, to stand-ins
// for the desktop portal and the power management service on a connection
// of their own, so every call travels through the bus daemon.

#include "nowplaying/SuspendInhibitor.h"
#include "support/QtPrinters.h"

#include <QDBusContext>
#include <QDBusObjectPath>
#include <QSet>
#include <QVariantMap>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace tunara {
namespace {

using namespace testing;

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString reason = QStringLiteral("Playing Night Jazz");

// What the stand-ins were asked, in order, and the handles or cookies they
// have given and not had back.
QStringList calls;
QSet<QString> held;

// An object and its service on the bus, both for as long as it lives.
class StandIn : public QObject {
public:
    StandIn(QDBusConnection bus, QString service, QString path)
        : bus_(std::move(bus)), service_(std::move(service)), path_(std::move(path))
    {
        EXPECT_TRUE(bus_.registerObject(path_, this, QDBusConnection::ExportAllSlots));
        EXPECT_TRUE(bus_.registerService(service_));
    }
    ~StandIn() override { bus_.unregisterService(service_); }

protected:
    QDBusConnection bus_;
    const QString service_;
    const QString path_;
};

// The portal's request objects: one object at every handle.
class Requests final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Request")

public slots:
    void Close()
    {
        calls.append("Close " + message().path());
        held.remove(message().path());
    }
};

// The handles are ".../request/t<n>", counting up from 1.
class Portal final : public StandIn {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Inhibit")

public:
    using StandIn::StandIn;

public slots:
    QDBusObjectPath Inhibit(const QString& window, uint flags, const QVariantMap& options)
    {
        const QString handle = path_ + "/request/t" + QString::number(++count_);
        calls.append(QStringLiteral("Inhibit '%1' %2 %3 -> %4")
                         .arg(window, QString::number(flags), options.value("reason").toString(), handle));
        held.insert(handle);
        bus_.registerObject(handle, &requests_, QDBusConnection::ExportAllSlots);
        return QDBusObjectPath(handle);
    }

private:
    Requests requests_;
    int count_ = 0;
};

// Cookies count up from 1.
class PowerManagement final : public StandIn {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.PowerManagement.Inhibit")

public:
    using StandIn::StandIn;

public slots:
    uint Inhibit(const QString& application, const QString& why)
    {
        calls.append(QStringLiteral("Inhibit %1 %2 -> %3").arg(application, why).arg(++lastCookie_));
        held.insert(QString::number(lastCookie_));
        return lastCookie_;
    }
    void UnInhibit(uint cookie)
    {
        calls.append("UnInhibit " + QString::number(cookie));
        held.remove(QString::number(cookie));
    }

private:
    uint lastCookie_ = 0;
};

// Wait for something held, or for count calls and nothing held, then a
// little longer for the answer to arrive and for any call too many.
bool settle(const std::function<bool()>& done)
{
    const bool result = QTest::qWaitFor(done);
    QTest::qWait(200);
    return result;
}
bool taken()
{
    return settle([] { return !held.isEmpty(); });
}
bool settled(qsizetype count)
{
    return settle([count] { return calls.size() >= count && held.isEmpty(); });
}

// The stand-ins' connection goes, with whatever they left, after each test.
class Inhibitor : public ::testing::Test {
protected:
    Inhibitor()
    {
        calls.clear();
        held.clear();
    }
    ~Inhibitor() override { QDBusConnection::disconnectFromBus(standIns.name()); }

    QDBusConnection standIns = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("standins"));
};

TEST_F(Inhibitor, ThePortalHoldsOffSuspendWhileWantedAndQuickChangesEndAsTheLastWish)
{
    const QString portalPath = "/org/freedesktop/portal/desktop";
    Portal portal(standIns, portalService, portalPath);
    const QString handle = portalPath + "/request/t";
    const QString inhibit = "Inhibit '' 4 " + reason + " -> " + handle;
    {
        SuspendInhibitor inhibitor(QDBusConnection::sessionBus(), reason);
        inhibitor.setInhibited(true);
        inhibitor.setInhibited(true);
        ASSERT_TRUE(taken());
        inhibitor.setInhibited(false);
        inhibitor.setInhibited(false);
        ASSERT_TRUE(settled(2));
        EXPECT_EQ(calls, (QStringList{inhibit + "1", "Close " + handle + "1"}));

        // Wished for again before the first answer: one held.
        inhibitor.setInhibited(true);
        inhibitor.setInhibited(false);
        inhibitor.setInhibited(true);
        ASSERT_TRUE(taken());
        EXPECT_EQ(held, QSet<QString>{handle + "2"});
        // Given up before the answer: released once it comes.
        inhibitor.setInhibited(false);
        inhibitor.setInhibited(true);
        inhibitor.setInhibited(false);
        ASSERT_TRUE(settled(6));
        EXPECT_EQ(calls.mid(2), (QStringList{inhibit + "2", "Close " + handle + "2", inhibit + "3",
                                                     "Close " + handle + "3"}));

        // Gone before the answer: the same.
        SuspendInhibitor gone(QDBusConnection::sessionBus(), reason);
        gone.setInhibited(true);
    }
    ASSERT_TRUE(settled(8));
    EXPECT_EQ(calls.mid(6), (QStringList{inhibit + "4", "Close " + handle + "4"}));
}

// Neither service: nothing held, and not tried again until wished for
// again. Then a portal without Inhibit, as older ones are: the power
// management service instead.
TEST_F(Inhibitor, WithoutThePortalsInhibitThePowerManagementServiceIsUsed)
{
    const QString inhibit = "Inhibit Tunara " + reason + " -> ";
    std::optional<PowerManagement> power;
    {
        SuspendInhibitor inhibitor(QDBusConnection::sessionBus(), reason);
        inhibitor.setInhibited(true);
        QTest::qWait(300);
        EXPECT_TRUE(inhibitor.isInhibited());
        power.emplace(standIns, "org.freedesktop.PowerManagement", "/org/freedesktop/PowerManagement/Inhibit");
        ASSERT_TRUE(standIns.registerService(portalService));
        QTest::qWait(300);
        EXPECT_EQ(calls, QStringList());

        inhibitor.setInhibited(false);
        inhibitor.setInhibited(true);
        ASSERT_TRUE(taken());
        inhibitor.setInhibited(false);
        ASSERT_TRUE(settled(2));
        inhibitor.setInhibited(true);
        ASSERT_TRUE(taken());
    }
    ASSERT_TRUE(settled(4));

    EXPECT_EQ(calls, (QStringList{inhibit + "1", "UnInhibit 1", inhibit + "2", "UnInhibit 2"}));
}

} // namespace
} // namespace tunara

#include "InhibitorTests.moc"
