import QtQuick
import Tunara

// A menu-style button: a title, an optional key hint at the right (text
// only), a highlight while the pointer is over it and the focus ring while
// it has the keyboard.
Item {
    id: root
    property string title
    property string shortcut
    readonly property bool isHovered: mouseArea.containsMouse
    signal clicked()

    implicitHeight: titleText.implicitHeight + 12
    activeFocusOnTab: true
    Keys.onReturnPressed: root.clicked()
    Keys.onEnterPressed: root.clicked()
    Keys.onSpacePressed: root.clicked()

    Accessible.role: Accessible.Button
    Accessible.name: title.replace("…", "").trim()
    Accessible.focusable: true
    Accessible.focused: activeFocus
    Accessible.onPressAction: root.clicked()

    Rectangle {
        anchors.fill: parent
        radius: 6
        color: root.isHovered ? Theme.hoverFill : "transparent"
    }
    FocusRing { visible: root.activeFocus }
    Text {
        id: titleText
        anchors.left: parent.left
        anchors.leftMargin: 10
        width: Math.max(0, root.width - 28 - (shortcutText.visible ? shortcutText.implicitWidth : 0))
        anchors.verticalCenter: parent.verticalCenter
        text: root.title
        textFormat: Text.PlainText
        Accessible.ignored: true
        elide: Text.ElideRight
        font.pixelSize: Theme.bodySize
        color: Theme.primary
    }
    Text {
        id: shortcutText
        visible: root.shortcut !== ""
        anchors.right: parent.right
        anchors.rightMargin: 10
        anchors.verticalCenter: parent.verticalCenter
        text: root.shortcut
        Accessible.ignored: true
        font.pixelSize: Theme.bodySize
        color: Theme.tertiary
    }
    MouseArea {
        id: mouseArea
        anchors.fill: parent
        hoverEnabled: true
        onClicked: root.clicked()
    }
}
