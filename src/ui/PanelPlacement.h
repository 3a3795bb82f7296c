#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace tunara {

// Where the panel's top-left corner goes. Under the tray icon, or above it
// when the icon sits in the lower half of the screen; at the pointer when
// the tray reports no icon geometry (StatusNotifierItem hosts). Always kept
// inside the screen's available area.
QPoint panelPosition(const QRect& iconGeometry, const QPoint& pointer, const QSize& panelSize,
                     const QRect& availableArea);

} // namespace tunara
