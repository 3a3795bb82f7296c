#pragma once

// The entry points of the media backend module. The program loads the
// module, and prepares GStreamer, on a worker thread when a station is
// about to be played; it makes the backend on the main thread.

namespace tunara {
class MediaBackend;
class Scheduler;
} // namespace tunara

#define TUNARA_BACKEND_MODULE_PREPARE "tunara_prepare_media_backend"
#define TUNARA_BACKEND_MODULE_MAKE "tunara_make_media_backend"

// Initialises GStreamer; any thread, before the first backend is made.
extern "C" void tunara_prepare_media_backend();

// A new backend on the scheduler's main loop; the caller owns it. The module
// stays loaded for the life of the process.
extern "C" tunara::MediaBackend* tunara_make_media_backend(tunara::Scheduler* scheduler);
