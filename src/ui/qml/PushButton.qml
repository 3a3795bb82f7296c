import QtQuick
import QtQuick.Controls.Fusion
import Tunara

// A push button that Return presses while it has the keyboard, as Space
// does, and that a screen reader can press: Qt 6.4 leaves a button's
// accessible press action unconnected. The keyboard's place is the ring
// of every control, not the style's grey frame.
Button {
    id: control
    Accessible.name: control.text
    Accessible.onPressAction: if (control.enabled) control.clicked()
    Keys.onReturnPressed: if (control.enabled) control.clicked()
    Keys.onEnterPressed: if (control.enabled) control.clicked()

    FocusRing {
        visible: control.visualFocus
        outset: 2
        radius: 4
    }
}
