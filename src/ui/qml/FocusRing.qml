import QtQuick
import Tunara

// Where the keyboard is: the same ring on every control that takes it, in
// the highlight colour, 3:1 or more against the window in light and dark,
// and never drawn for the pointer. Fills its parent, with an outset.
Rectangle {
    objectName: "focusRing"
    property real outset: 0
    anchors.fill: parent
    anchors.margins: -outset
    z: 1
    radius: 6
    color: "transparent"
    border.width: 2
    border.color: Theme.accent
}
