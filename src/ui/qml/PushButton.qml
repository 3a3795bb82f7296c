import QtQuick
import QtQuick.Controls.Fusion
import Tunara

// A push button that Return presses while it has the keyboard, as Space
// does, and that a screen reader can press: Qt 6.4 leaves a button's
// accessible press action unconnected. The keyboard's place is a ring in
// the highlight colour, 3:1 or more against the window in light and dark,
// unlike the style's grey frame, the same on every button.
Button {
    id: control
    Accessible.name: control.text
    Accessible.onPressAction: if (control.enabled) control.clicked()
    Keys.onReturnPressed: if (control.enabled) control.clicked()
    Keys.onEnterPressed: if (control.enabled) control.clicked()

    Rectangle {
        objectName: "focusRing"
        visible: control.visualFocus
        anchors.fill: parent
        anchors.margins: -2
        z: 1
        radius: 4
        color: "transparent"
        border.width: 2
        border.color: Theme.accent
    }
}
