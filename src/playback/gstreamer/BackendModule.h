#pragma once

// The entry point of the media backend module: the program loads the module
// when the first station starts and makes the backend through this function.

namespace tunara {
class MediaBackend;
class Scheduler;
} // namespace tunara

#define TUNARA_BACKEND_MODULE_ENTRY "tunara_make_media_backend"

// A new backend on the scheduler's main loop; the caller owns it. The module
// stays loaded for the life of the process.
extern "C" tunara::MediaBackend* tunara_make_media_backend(tunara::Scheduler* scheduler);
