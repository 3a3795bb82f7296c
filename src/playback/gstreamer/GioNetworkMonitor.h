#pragma once

// Network availability from GIO's GNetworkMonitor, which follows the
// kernel's routes. Its signals arrive on the GLib main context of the main
// thread (driven by Qt's main loop).

#include "playback/PlaybackEnvironment.h"

#include "GLibHeaders.h"

namespace tunara {

class GioNetworkMonitor final : public NetworkMonitor {
public:
    GioNetworkMonitor() = default;
    ~GioNetworkMonitor() override;

    GioNetworkMonitor(const GioNetworkMonitor&) = delete;
    GioNetworkMonitor& operator=(const GioNetworkMonitor&) = delete;

    // Reports the current availability at once, then every change.
    void start(UpdateHandler handler) override;
    void cancel() override;

private:
    static void networkChanged(GNetworkMonitor* monitor, gboolean available, gpointer self);

    GNetworkMonitor* monitor_ = nullptr; // the process-wide default monitor
    gulong handlerId_ = 0;
    UpdateHandler handler_;
};

} // namespace tunara
