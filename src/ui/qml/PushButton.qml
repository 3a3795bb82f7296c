import QtQuick
import QtQuick.Controls.Fusion

// A push button that Return presses while it has the keyboard, as Space
// does, and that a screen reader can press: Qt 6.4 leaves a button's
// accessible press action unconnected.
Button {
    id: control
    Accessible.name: control.text
    Accessible.onPressAction: if (control.enabled) control.clicked()
    Keys.onReturnPressed: if (control.enabled) control.clicked()
    Keys.onEnterPressed: if (control.enabled) control.clicked()
}
