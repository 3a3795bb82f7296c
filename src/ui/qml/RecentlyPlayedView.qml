import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts
import Tunara

// The Recently Played window: the tracks played, newest first, each with
// its station and time. A row is copied as "Artist - Title" (Ctrl+C, the
// row's menu) or searched for on the web (Return); the whole history can
// be cleared. Escape or Ctrl+W returns to the panel.
Pane {
    id: root
    LayoutMirroring.enabled: Qt.application.layoutDirection === Qt.RightToLeft
    LayoutMirroring.childrenInherit: true
    required property StoreViewModel store
    required property AppCommands app
    required property HistoryListModel history

    implicitWidth: 420
    implicitHeight: 360
    padding: 0
    focus: true

    Shortcut {
        sequences: ["Escape", StandardKey.Close]
        enabled: !clearDialog.visible && !rowMenu.visible
        onActivated: root.app.closeHistory()
    }
    Shortcut { sequences: [StandardKey.Copy]; onActivated: root.history.copy(list.currentIndex) }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        ListView {
            id: list
            objectName: "historyList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            focus: true
            activeFocusOnTab: true
            model: root.history
            currentIndex: count > 0 ? 0 : -1
            keyNavigationEnabled: true
            highlightMoveDuration: 0
            boundsBehavior: Flickable.StopAtBounds
            Keys.onReturnPressed: root.history.searchWeb(currentIndex)
            Keys.onEnterPressed: root.history.searchWeb(currentIndex)
            Keys.onMenuPressed: rowMenu.openAt(currentItem)
            Keys.onPressed: (event) => {
                if (event.key === Qt.Key_F10 && (event.modifiers & Qt.ShiftModifier)) {
                    rowMenu.openAt(currentItem)
                    event.accepted = true
                }
            }

            Accessible.role: Accessible.List
            Accessible.name: qsTr("Recently Played")

            ScrollBar.vertical: ScrollBar {
                focusPolicy: Qt.NoFocus
                Accessible.name: qsTr("Recently Played")
            }

            delegate: Rectangle {
                id: row
                required property int index
                required property string line
                required property string detail
                required property string spoken
                readonly property bool isCurrent: ListView.isCurrentItem

                width: ListView.view.width
                implicitHeight: texts.implicitHeight + 10
                color: isCurrent ? root.palette.highlight : (index % 2 ? root.palette.alternateBase : root.palette.base)

                Accessible.role: Accessible.ListItem
                Accessible.name: spoken
                Accessible.selectable: true
                Accessible.selected: isCurrent
                Accessible.focusable: true
                Accessible.focused: isCurrent && list.activeFocus

                FocusRing {
                    visible: row.isCurrent && list.activeFocus
                    outset: -2
                    radius: 3
                    border.color: root.palette.highlightedText
                }
                Column {
                    id: texts
                    anchors.left: parent.left
                    anchors.right: parent.right
                    anchors.margins: 10
                    anchors.verticalCenter: parent.verticalCenter
                    Label {
                        width: parent.width
                        text: row.line
                        textFormat: Text.PlainText
                        elide: Text.ElideRight
                        horizontalAlignment: Text.AlignLeft
                        color: row.isCurrent ? root.palette.highlightedText : root.palette.text
                        Accessible.ignored: true
                    }
                    Label {
                        width: parent.width
                        text: row.detail
                        textFormat: Text.PlainText
                        elide: Text.ElideRight
                        horizontalAlignment: Text.AlignLeft
                        font.pixelSize: 11
                        color: row.isCurrent ? root.palette.highlightedText : Theme.secondary
                        Accessible.ignored: true
                    }
                }
                MouseArea {
                    anchors.fill: parent
                    acceptedButtons: Qt.LeftButton | Qt.RightButton
                    onPressed: (mouse) => {
                        list.currentIndex = row.index
                        list.forceActiveFocus()
                        if (mouse.button === Qt.RightButton)
                            rowMenu.openAt(row)
                    }
                    onDoubleClicked: root.history.copy(row.index)
                }
            }
        }

        Label {
            objectName: "emptyHistory"
            visible: list.count === 0
            Layout.fillWidth: true
            Layout.fillHeight: true
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            wrapMode: Text.WordWrap
            text: qsTr("No tracks played yet")
            color: Theme.secondary
        }

        RowLayout {
            Layout.fillWidth: true
            Layout.margins: 8
            PushButton {
                objectName: "copyButton"
                text: qsTr("Copy")
                enabled: list.currentIndex >= 0
                onClicked: root.history.copy(list.currentIndex)
            }
            PushButton {
                objectName: "searchButton"
                text: qsTr("Search the Web")
                enabled: list.currentIndex >= 0
                onClicked: root.history.searchWeb(list.currentIndex)
            }
            Item { Layout.fillWidth: true }
            PushButton {
                objectName: "clearButton"
                text: qsTr("Clear History…")
                enabled: list.count > 0
                onClicked: clearDialog.open()
            }
        }
    }

    Menu {
        id: rowMenu
        objectName: "historyMenu"
        function openAt(item) {
            if (!item)
                return
            popup(root, item.mapToItem(root, 16, item.height / 2))
            currentIndex = 0
        }
        onClosed: list.forceActiveFocus()
        MenuItem {
            objectName: "copyItem"
            text: qsTr("Copy")
            onTriggered: root.history.copy(list.currentIndex)
        }
        MenuItem {
            objectName: "searchItem"
            text: qsTr("Search the Web")
            onTriggered: root.history.searchWeb(list.currentIndex)
        }
    }

    Dialog {
        id: clearDialog
        objectName: "clearDialog"
        // The keyboard on Cancel; a screen reader hears the question with it.
        onOpened: clearCancelButton.forceActiveFocus(Qt.TabFocusReason)
        onClosed: list.forceActiveFocus()
        parent: root
        anchors.centerIn: parent
        width: Math.min(360, parent.width - 40)
        modal: true
        focus: true
        closePolicy: Popup.CloseOnEscape
        title: qsTr("Clear History")

        Label {
            id: clearMessage
            width: parent.width
            wrapMode: Text.Wrap
            text: qsTr("Every track played is removed from the list.")
        }

        footer: RowLayout {
            spacing: 8
            Item { Layout.fillWidth: true }
            PushButton {
                id: clearCancelButton
                Layout.bottomMargin: 12
                text: qsTr("Cancel")
                Accessible.description: clearMessage.text
                onClicked: clearDialog.close()
            }
            PushButton {
                objectName: "clearConfirmButton"
                Layout.bottomMargin: 12
                Layout.rightMargin: 12
                text: qsTr("Clear")
                palette.buttonText: Theme.red
                onClicked: {
                    root.history.clear()
                    clearDialog.close()
                }
            }
        }
    }

    Announcer {}
}
