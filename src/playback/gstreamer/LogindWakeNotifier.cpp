#include "LogindWakeNotifier.h"

#include "GObjectPtr.h"

#include "common/Diagnostics.h"

namespace tunara {

namespace {

constexpr const char* logindName = "org.freedesktop.login1";

class LogindRegistration final : public WakeNotifier::Registration {
public:
    LogindRegistration(GDBusConnection* connection, std::function<void()> handler)
        : connection_(G_DBUS_CONNECTION(g_object_ref(connection)))
        , handler_(std::make_unique<std::function<void()>>(std::move(handler)))
    {
        subscription_ = g_dbus_connection_signal_subscribe(
            connection_, logindName, "org.freedesktop.login1.Manager", "PrepareForSleep", "/org/freedesktop/login1",
            nullptr, G_DBUS_SIGNAL_FLAGS_NONE, prepareForSleep, handler_.get(), nullptr);
    }

    ~LogindRegistration() override
    {
        g_dbus_connection_signal_unsubscribe(connection_, subscription_);
        g_object_unref(connection_);
    }

private:
    static void prepareForSleep(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                                GVariant* parameters, gpointer handler)
    {
        gboolean goingToSleep = TRUE;
        if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(b)")))
            return;
        g_variant_get(parameters, "(b)", &goingToSleep);
        if (!goingToSleep)
            (*static_cast<std::function<void()>*>(handler))();
    }

    GDBusConnection* connection_;
    std::unique_ptr<std::function<void()>> handler_;
    guint subscription_ = 0;
};

class InactiveRegistration final : public WakeNotifier::Registration {};

bool logindIsRunning(GDBusConnection* connection)
{
    GVariant* reply = g_dbus_connection_call_sync(connection, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                   "org.freedesktop.DBus", "NameHasOwner",
                                                   g_variant_new("(s)", logindName), G_VARIANT_TYPE("(b)"),
                                                   G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, nullptr);
    if (!reply)
        return false;
    gboolean hasOwner = FALSE;
    g_variant_get(reply, "(b)", &hasOwner);
    g_variant_unref(reply);
    return hasOwner;
}

} // namespace

LogindWakeNotifier::LogindWakeNotifier()
{
    GError* error = nullptr;
    gst::GCharPtr address(g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SYSTEM, nullptr, &error));
    if (address) {
        connection_ = g_dbus_connection_new_for_address_sync(
            address.get(),
            GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT
                                 | G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, &error);
    }
    if (!connection_) {
        writeDiagnosticLine(QStringLiteral("Wake events unavailable: no system bus (%1)")
                                .arg(QString::fromUtf8(error ? error->message : "unknown error")));
    } else if (!logindIsRunning(connection_)) {
        writeDiagnosticLine(QStringLiteral("Wake events unavailable: logind is not running"));
    }
    if (error)
        g_error_free(error);
}

LogindWakeNotifier::~LogindWakeNotifier()
{
    if (connection_)
        g_object_unref(connection_);
}

std::unique_ptr<WakeNotifier::Registration> LogindWakeNotifier::observeWake(std::function<void()> handler)
{
    if (!connection_)
        return std::make_unique<InactiveRegistration>();
    return std::make_unique<LogindRegistration>(connection_, std::move(handler));
}

} // namespace tunara
