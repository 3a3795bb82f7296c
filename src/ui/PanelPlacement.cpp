#include "PanelPlacement.h"

#include <algorithm>

namespace tunara {

namespace {

constexpr int gap = 4;

int clampInto(int value, int low, int high)
{
    return high < low ? low : std::clamp(value, low, high);
}

} // namespace

QPoint panelPosition(const QRect& iconGeometry, const QPoint& pointer, const QSize& panelSize,
                     const QRect& availableArea)
{
    const QRect anchor = iconGeometry.isEmpty() ? QRect(pointer, QSize(1, 1)) : iconGeometry;

    const bool anchorInLowerHalf = anchor.center().y() > availableArea.center().y();
    int y = anchorInLowerHalf ? anchor.top() - gap - panelSize.height() : anchor.bottom() + 1 + gap;
    // Centre under the icon, as a menu would open.
    int x = anchor.center().x() - panelSize.width() / 2;

    x = clampInto(x, availableArea.left(), availableArea.right() + 1 - panelSize.width());
    y = clampInto(y, availableArea.top(), availableArea.bottom() + 1 - panelSize.height());
    return {x, y};
}

} // namespace tunara
