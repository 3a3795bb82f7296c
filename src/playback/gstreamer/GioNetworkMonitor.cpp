#include "GioNetworkMonitor.h"

namespace tunara {

GioNetworkMonitor::~GioNetworkMonitor()
{
    cancel();
}

void GioNetworkMonitor::start(UpdateHandler handler)
{
    cancel();
    handler_ = std::move(handler);
    monitor_ = g_network_monitor_get_default();
    handlerId_ = g_signal_connect(monitor_, "network-changed", G_CALLBACK(networkChanged), this);
    handler_(g_network_monitor_get_network_available(monitor_));
}

void GioNetworkMonitor::cancel()
{
    if (monitor_ && handlerId_ != 0)
        g_signal_handler_disconnect(monitor_, handlerId_);
    handlerId_ = 0;
    monitor_ = nullptr;
    handler_ = nullptr;
}

void GioNetworkMonitor::networkChanged(GNetworkMonitor*, gboolean available, gpointer self)
{
    auto* monitor = static_cast<GioNetworkMonitor*>(self);
    if (monitor->handler_)
        monitor->handler_(available != FALSE);
}

} // namespace tunara
