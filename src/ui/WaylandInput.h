#pragma once

namespace tunara {

// Qt 6.4 on a Wayland compositor that offers text input but has no input
// seat (a headless compositor, a kiosk without keyboard or pointer)
// crashes as soon as a text item asks the input method which way it
// writes. Where the program is about to run on such a display, it takes
// Qt's own client-side input context instead of the compositor's. Call
// before the application object is made; it does nothing anywhere else.
void avoidSeatlessWaylandTextInput();

} // namespace tunara
