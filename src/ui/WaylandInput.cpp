#include "WaylandInput.h"

#include <QByteArray>
#include <QtGlobal>

#ifdef TUNARA_HAVE_WAYLAND_CLIENT
#include <wayland-client.h>

#include <cstring>
#endif

namespace tunara {

namespace {

#ifdef TUNARA_HAVE_WAYLAND_CLIENT

void announceGlobal(void* data, wl_registry*, uint32_t, const char* interface, uint32_t)
{
    if (std::strcmp(interface, wl_seat_interface.name) == 0)
        *static_cast<bool*>(data) = true;
}

void forgetGlobal(void*, wl_registry*, uint32_t) {}

// True when the display named by the environment answers and lists no seat.
bool displayLacksSeat()
{
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return false;
    static const wl_registry_listener listener = {announceGlobal, forgetGlobal};
    bool hasSeat = false;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, &hasSeat);
    const bool answered = wl_display_roundtrip(display) >= 0;
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return answered && !hasSeat;
}

#else

bool displayLacksSeat()
{
    return false;
}

#endif

} // namespace

void avoidSeatlessWaylandTextInput()
{
    // A chosen input method is already client-side.
    if (qEnvironmentVariableIsSet("QT_IM_MODULE"))
        return;
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    const bool wayland = platform.isEmpty()
                             ? qgetenv("XDG_SESSION_TYPE") == "wayland" || qEnvironmentVariableIsSet("WAYLAND_DISPLAY")
                             : platform.startsWith("wayland");
    if (wayland && displayLacksSeat())
        qputenv("QT_IM_MODULE", "compose");
}

} // namespace tunara
