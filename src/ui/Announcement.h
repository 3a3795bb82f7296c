#pragma once

#include <QString>

namespace tunara {

// Has a screen reader speak a short status ("Searching…", "12 stations
// found", "Volume 40 %") without moving the keyboard: told to the object
// that has the focus in the program's active window, if any. Nothing is
// done while no assistive technology listens.
void announce(const QString& text);

} // namespace tunara
