import QtQuick

// A small indeterminate progress indicator: twelve spokes whose brightness
// steps around the circle. It runs only while it is on screen.
Item {
    id: root
    property color color: "white"
    property int step: 0
    readonly property bool running: timer.running

    implicitWidth: 16
    implicitHeight: 16

    Repeater {
        model: 12
        Rectangle {
            required property int index
            x: root.width / 2 - width / 2
            y: 0
            width: 2
            height: root.height * 0.28
            radius: 1
            color: root.color
            // The leading spoke is brightest; the ones behind it fade.
            opacity: 1 - 0.75 * ((((root.step - index) % 12) + 12) % 12) / 11
            transform: Rotation {
                origin.x: 1
                origin.y: root.height / 2
                angle: index * 30
            }
        }
    }

    Timer {
        id: timer
        interval: 83
        repeat: true
        running: root.visible && root.Window.window !== null && root.Window.visibility !== Window.Hidden
        onTriggered: root.step = (root.step + 1) % 12
    }
}
