#pragma once

namespace tunara {

class Store;

// What the program does as it ends, however it ends (Quit, Ctrl+Q, the
// desktop's media controls, a signal, the end of the session): playback
// stops, the now-playing information is cleared, and nothing is selected.
// The station list is not written: the Store saves it on every change.
namespace AppDelegate {

void applicationWillTerminate(Store& store);

} // namespace AppDelegate

} // namespace tunara
