#include "AppDelegate.h"

#include "model/Store.h"

namespace tunara::AppDelegate {

void applicationWillTerminate(Store& store)
{
    store.playbackController().stop();
    store.setSelectedStream(std::nullopt);
    store.saveSettingsNow();
}

} // namespace tunara::AppDelegate
