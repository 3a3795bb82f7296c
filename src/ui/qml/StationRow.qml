import QtQuick
import Tunara

// One station in the panel: its logo when it has one, its name, and at the right the speaker mark
// when it is the selected station (and has not failed), else its key hint
// for the first nine; the selected station never shows its hint.
// The whole row takes clicks; the highlight is decided by the panel.
Item {
    id: root
    required property string stationId
    required property string name
    required property int index
    required property bool isSelected
    required property bool showsSpeaker
    required property string keyHint
    required property string accessibleName
    required property string logo
    // Under the pointer: a light fill. The keyboard's row: the focus ring.
    property bool highlighted
    property bool keyboardCurrent
    readonly property bool hovered: mouseArea.containsMouse
    readonly property string trailingMark: showsSpeaker ? "speaker" : (!isSelected && index <= 8 && keyHint !== "" ? "keyHint" : "")
    signal clicked()

    implicitHeight: Math.max(nameText.implicitHeight, markSlot.height) + 12

    // A screen reader reads the row as one item: "NTS 1, playing". The key
    // hint and the speaker are drawn only.
    Accessible.role: Accessible.ListItem
    Accessible.name: accessibleName
    Accessible.selectable: true
    Accessible.selected: isSelected
    Accessible.focusable: true
    Accessible.focused: ListView.isCurrentItem && ListView.view.activeFocus
    Accessible.onPressAction: root.clicked()

    Rectangle {
        anchors.fill: parent
        radius: 6
        color: root.highlighted ? Theme.hoverFill : "transparent"
    }
    FocusRing { visible: root.keyboardCurrent }

    Image {
        id: logoImage
        objectName: "stationLogo"
        visible: root.logo !== ""
        anchors.left: parent.left
        anchors.leftMargin: 8
        anchors.verticalCenter: parent.verticalCenter
        width: 20
        height: 20
        source: root.logo
        sourceSize: Qt.size(40, 40)
        fillMode: Image.PreserveAspectFit
        asynchronous: true
        smooth: true
        Accessible.ignored: true
    }

    Text {
        id: nameText
        objectName: "stationName"
        anchors.left: parent.left
        anchors.leftMargin: logoImage.visible ? 36 : 10
        width: Math.max(0, root.width - anchors.leftMargin - 18 - markSlot.width)
        anchors.verticalCenter: parent.verticalCenter
        text: root.name
        textFormat: Text.PlainText
        Accessible.ignored: true
        wrapMode: Text.WrapAtWordBoundaryOrAnywhere
        font.pixelSize: Theme.bodySize
        color: Theme.primary
    }

    Item {
        id: markSlot
        width: root.trailingMark === "speaker" ? speaker.width : (root.trailingMark === "keyHint" ? hint.implicitWidth : 0)
        height: Math.max(speaker.height, hint.implicitHeight)
        anchors.right: parent.right
        anchors.rightMargin: 10
        anchors.verticalCenter: parent.verticalCenter

        Symbol {
            id: speaker
            objectName: "speakerMark"
            visible: root.trailingMark === "speaker"
            anchors.verticalCenter: parent.verticalCenter
            name: "speaker.wave.2.fill"
            tint: Theme.secondary
            pointSize: 10
        }
        Text {
            id: hint
            objectName: "keyHint"
            visible: root.trailingMark === "keyHint"
            anchors.verticalCenter: parent.verticalCenter
            text: root.keyHint
            Accessible.ignored: true
            font.family: Theme.monospaceFamily
            font.pixelSize: 11
            color: Theme.tertiary
        }
    }

    MouseArea {
        id: mouseArea
        anchors.fill: parent
        hoverEnabled: true
        onClicked: root.clicked()
    }
}
