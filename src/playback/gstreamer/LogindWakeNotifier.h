#pragma once

// Wake-from-sleep events from systemd-logind: the Manager's
// PrepareForSleep(false) signal on the system bus. Without a system bus or
// without logind there are no events; one diagnostic line says so and
// nothing else fails. Signals arrive on the GLib main context of the main
// thread (driven by Qt's main loop).

#include "playback/PlaybackEnvironment.h"

#include "GLibHeaders.h"

namespace tunara {

class LogindWakeNotifier final : public WakeNotifier {
public:
    // Connects to the system bus (DBUS_SYSTEM_BUS_ADDRESS, if set).
    LogindWakeNotifier();
    ~LogindWakeNotifier() override;

    LogindWakeNotifier(const LogindWakeNotifier&) = delete;
    LogindWakeNotifier& operator=(const LogindWakeNotifier&) = delete;

    std::unique_ptr<Registration> observeWake(std::function<void()> handler) override;

    bool isConnected() const { return connection_ != nullptr; }

private:
    GDBusConnection* connection_ = nullptr;
};

} // namespace tunara
