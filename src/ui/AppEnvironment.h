#pragma once

#include "playback/PlaybackEnvironment.h"

#include <functional>

namespace tunara {

// The services the program's playback runs on: GStreamer, the MPRIS
// publisher, GIO's network monitor and logind's wake signal where they
// are built in, stand-ins that do nothing otherwise.
PlaybackEnvironment makeAppEnvironment();

// Lets the desktop's media controls quit the program and raise its panel.
void connectRemoteApplicationCommands(std::function<void()> quit, std::function<void()> raise);

} // namespace tunara
