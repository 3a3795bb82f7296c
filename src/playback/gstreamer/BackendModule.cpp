#include "BackendModule.h"

#include "GstMediaBackend.h"

extern "C" __attribute__((visibility("default"))) void tunara_prepare_media_backend()
{
    tunara::initializeGStreamer();
}

extern "C" __attribute__((visibility("default"))) tunara::MediaBackend*
tunara_make_media_backend(tunara::Scheduler* scheduler)
{
    return new tunara::GstMediaBackend(*scheduler);
}
