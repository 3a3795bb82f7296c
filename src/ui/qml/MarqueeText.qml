import QtQuick
import Tunara

// One line of text in a fixed-width slot. A text wider than the slot
// scrolls left, followed by a second copy, with a pause before each pass;
// one that fits stands still. Scrolling runs only while the view is on
// screen, and the text fades in and out at the slot's edges rather than
// being cut there.
Item {
    id: root
    property string text
    property font font
    property color color: Theme.primary
    property real speed: 30
    property real spacing: 40
    property real pauseDuration: 2
    // The time source; tests put a manual clock here.
    property alias clock: scroller.clock
    readonly property alias needsScrolling: scroller.needsScrolling
    readonly property alias offset: scroller.offset
    readonly property alias textWidth: scroller.textWidth
    readonly property alias scroller: scroller

    clip: true
    implicitHeight: firstCopy.implicitHeight

    MarqueeScroller {
        id: scroller
        text: root.text
        textWidth: firstCopy.implicitWidth
        containerWidth: root.width
        spacing: root.spacing
        speed: root.speed
        pauseDuration: root.pauseDuration
        active: root.visible && root.Window.window !== null && root.Window.visibility !== Window.Hidden
    }

    Row {
        x: scroller.offset
        anchors.verticalCenter: parent.verticalCenter
        spacing: root.spacing

        Text {
            id: firstCopy
            objectName: "marqueeFirstCopy"
            text: root.text
            font: root.font
            color: root.color
            textFormat: Text.PlainText
        }
        Text {
            objectName: "marqueeSecondCopy"
            Accessible.ignored: true
            text: root.text
            font: root.font
            color: root.color
            textFormat: Text.PlainText
            opacity: scroller.needsScrolling ? 1 : 0
        }
    }

    // The fades, in the window's colour, over the text's ends.
    Repeater {
        model: scroller.needsScrolling ? [false, true] : []
        Rectangle {
            required property bool modelData
            objectName: "marqueeFade"
            x: modelData ? root.width - width : 0
            width: 12
            height: root.height
            gradient: Gradient {
                orientation: Gradient.Horizontal
                GradientStop { position: 0; color: modelData ? "transparent" : Theme.background }
                GradientStop { position: 1; color: modelData ? Theme.background : "transparent" }
            }
        }
    }
}
