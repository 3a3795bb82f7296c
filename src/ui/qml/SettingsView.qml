import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts
import Tunara

// The Settings window: the stations with their URLs, reordered by
// dragging or with Alt+Up/Alt+Down, added, edited and deleted. Pasting a
// stream URL opens the add sheet with it. The keyboard works the whole
// list: Up/Down/Page Up/Page Down/Home/End select, Return edits, Delete
// deletes, the Menu key opens the row's menu. Stations are also found in
// the community directory (Ctrl+F), imported from playlist files (Ctrl+O,
// or dropped on the window) and exported to one (Ctrl+S).
Pane {
    id: root
    // Right-to-left languages lay the window out mirrored.
    LayoutMirroring.enabled: Qt.application.layoutDirection === Qt.RightToLeft
    LayoutMirroring.childrenInherit: true
    required property StoreViewModel store
    required property AppCommands app
    required property SettingsViewModel settings

    // The id of the selected row; empty for none.
    readonly property string selection: settings.selection
    readonly property bool presentsModal: editorSheet.visible || deleteDialog.visible || findSheet.visible

    implicitWidth: 500
    implicitHeight: 350
    padding: 0
    focus: true

    function reveal(row) {
        list.currentIndex = row
        list.positionViewAtIndex(row, ListView.Contain)
    }
    // Rows that fit in the list's height, for Page Up/Page Down.
    function rowsPerPage() {
        const item = list.itemAtIndex(Math.max(0, list.currentIndex))
        return Math.max(1, Math.floor(list.height / (item ? item.height : 24)) - 1)
    }

    Connections {
        target: root.settings
        function onRevealRequested(row) { root.reveal(row) }
        function onMenuRequested(stationId) {
            const item = list.itemAtIndex(root.store.stations.indexOf(stationId))
            contextMenu.popupFor(stationId === "" ? [] : [stationId],
                                 item ? item.mapToItem(root, 16, item.height / 2) : Qt.point(16, 16))
            // Opened by a key: the keyboard is on its first item.
            contextMenu.currentIndex = 0
        }
        function onFindRequested() {
            if (!root.presentsModal)
                findSheet.open()
        }
        function onSheetChanged() {
            const sheet = root.settings.sheet
            if (sheet === SettingsViewModel.Adding || sheet === SettingsViewModel.Editing)
                editorSheet.open()
            else if (sheet === SettingsViewModel.ConfirmingDelete)
                deleteDialog.open()
            else {
                editorSheet.close()
                deleteDialog.close()
            }
        }
    }
    onSelectionChanged: list.currentIndex = store.stations.indexOf(selection)

    AppShortcuts { store: root.store; app: root.app }
    Shortcut {
        sequences: ["Escape", StandardKey.Close]
        enabled: !root.presentsModal && !pointer.dragging && !contextMenu.visible && !stationFilesMenu.visible
        onActivated: root.app.closeSettings()
    }
    Shortcut {
        sequences: [StandardKey.Paste]
        enabled: !root.presentsModal
        onActivated: root.settings.addPasted(root.app.pastedStreamURL())
    }
    Shortcut {
        sequences: [StandardKey.Find]
        enabled: !root.presentsModal
        onActivated: findSheet.open()
    }
    Shortcut {
        sequences: [StandardKey.New]
        enabled: !root.presentsModal
        onActivated: root.settings.add()
    }
    Shortcut {
        sequences: [StandardKey.Open]
        enabled: !root.presentsModal
        onActivated: stationFiles.chooseFilesToImport()
    }
    Shortcut {
        sequences: [StandardKey.Save]
        enabled: !root.presentsModal
        onActivated: stationFiles.chooseExportFile()
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        ListView {
            id: list
            objectName: "stationList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            focus: true
            activeFocusOnTab: true
            model: root.store.stations
            boundsBehavior: Flickable.StopAtBounds
            keyNavigationEnabled: false
            highlightMoveDuration: 0
            ScrollBar.vertical: ScrollBar {
                id: scrollBar
                focusPolicy: Qt.NoFocus
                Accessible.name: qsTr("Scroll the stations")
                Accessible.focusable: false
            }
            Component.onCompleted: currentIndex = root.store.stations.indexOf(root.selection)
            // What has the keyboard is shown: a list that takes the focus
            // without a selection selects its current row, or the first.
            onActiveFocusChanged: {
                if (activeFocus && root.selection === "" && count > 0)
                    root.settings.selectRow(Math.max(0, currentIndex))
            }

            Accessible.role: Accessible.List
            Accessible.name: qsTr("Stations")

            Keys.onPressed: (event) => {
                if (pointer.dragging && event.key === Qt.Key_Escape)
                    pointer.cancelDrag()
                else if (!root.settings.pressKey(event.key, event.modifiers, root.rowsPerPage()))
                    return
                event.accepted = true
            }

            // Where a dragged row would land: the model says before which
            // row; dropY is where the line is drawn, in the list's content.
            readonly property int dropIndex: root.settings.dropIndex
            property real dropY: 0

            // The landing position for a point of the list's viewport.
            function updateDrop(viewY) {
                const y = viewY + contentY
                const target = indexAt(8, y)
                if (target >= 0) {
                    const item = itemAtIndex(target)
                    const below = y > item.y + item.height / 2
                    root.settings.dragOver(target, below)
                    dropY = below ? item.y + item.height - 1 : item.y - 1
                    return
                }
                const first = itemAtIndex(0)
                const before = first && y < first.y
                const last = itemAtIndex(count - 1)
                root.settings.dragOver(before ? -1 : count, false)
                dropY = before ? first.y - 1 : (last ? last.y + last.height - 1 : y)
            }

            delegate: Rectangle {
                id: row
                required property string stationId
                required property string name
                required property string urlDisplay
                required property string logo
                required property int index
                readonly property bool isSelected: root.selection === stationId

                width: ListView.view.width
                implicitHeight: Math.max(nameLabel.implicitHeight, urlLabel.implicitHeight) + 10
                color: isSelected ? root.palette.highlight : (index % 2 ? root.palette.alternateBase : root.palette.base)

                Accessible.role: Accessible.ListItem
                Accessible.name: name
                Accessible.description: urlDisplay
                Accessible.selectable: true
                Accessible.selected: isSelected
                Accessible.focusable: true
                Accessible.focused: ListView.isCurrentItem && list.activeFocus
                Accessible.onPressAction: root.settings.selectRow(index)

                Image {
                    id: rowLogo
                    visible: row.logo !== ""
                    anchors.left: parent.left
                    anchors.leftMargin: 8
                    anchors.verticalCenter: parent.verticalCenter
                    width: 16
                    height: 16
                    source: row.logo
                    sourceSize: Qt.size(32, 32)
                    fillMode: Image.PreserveAspectFit
                    asynchronous: true
                    Accessible.ignored: true
                }
                Label {
                    id: nameLabel
                    objectName: "rowName"
                    anchors.left: parent.left
                    anchors.leftMargin: rowLogo.visible ? 30 : 10
                    width: Math.min(implicitWidth, (row.width - 30) * 0.5)
                    anchors.verticalCenter: parent.verticalCenter
                    text: row.name
                    textFormat: Text.PlainText
                    wrapMode: Text.WrapAtWordBoundaryOrAnywhere
                    color: row.isSelected ? root.palette.highlightedText : root.palette.text
                    Accessible.ignored: true
                }
                Label {
                    id: urlLabel
                    objectName: "rowURL"
                    anchors.right: parent.right
                    anchors.rightMargin: 10
                    width: row.width - nameLabel.width - 30
                    anchors.verticalCenter: parent.verticalCenter
                    horizontalAlignment: Text.AlignRight
                    text: row.urlDisplay
                    textFormat: Text.PlainText
                    maximumLineCount: 1
                    elide: Text.ElideMiddle
                    color: row.isSelected ? root.palette.highlightedText : Theme.secondary
                    Accessible.ignored: true
                }
            }

            // The pointer over the whole list rather than in each row: a drag
            // goes on while the list scrolls rows away under it, and the
            // list's own flicking cannot take it over.
            MouseArea {
                id: pointer
                objectName: "listPointer"
                width: list.width - (scrollBar.visible ? scrollBar.width : 0)
                height: list.height
                acceptedButtons: Qt.LeftButton | Qt.RightButton
                preventStealing: true

                property int pressRow: -1
                property real pressY: 0
                property real lastY: 0
                property bool dragging: false
                // Rows scroll by themselves while the pointer is this close
                // to an edge.
                readonly property real edge: 28

                function rowAt(viewY) { return list.indexAt(8, viewY + list.contentY) }
                function cancelDrag() {
                    dragging = false
                    pressRow = -1
                    root.settings.cancelDrag()
                }

                onPressed: (mouse) => {
                    list.forceActiveFocus()
                    const rowIndex = rowAt(mouse.y)
                    if (mouse.button === Qt.RightButton) {
                        contextMenu.popupFor(rowIndex < 0 ? [] : [root.store.stations.idAt(rowIndex)],
                                             mapToItem(root, mouse.x, mouse.y))
                        return
                    }
                    if (rowIndex < 0) {
                        root.settings.selection = ""
                        return
                    }
                    root.settings.selectRow(rowIndex)
                    pressRow = rowIndex
                    pressY = mouse.y
                    dragging = false
                }
                onPositionChanged: (mouse) => {
                    if (pressRow < 0 || !(mouse.buttons & Qt.LeftButton))
                        return
                    lastY = mouse.y
                    if (!dragging && Math.abs(mouse.y - pressY) < Qt.styleHints.startDragDistance)
                        return
                    if (!dragging)
                        root.settings.startDrag(pressRow)
                    dragging = true
                    list.updateDrop(mouse.y)
                }
                onReleased: {
                    const wasDragging = dragging
                    dragging = false
                    pressRow = -1
                    if (wasDragging)
                        root.settings.drop()
                }
                onCanceled: cancelDrag()
                onDoubleClicked: (mouse) => {
                    const rowIndex = rowAt(mouse.y)
                    if (mouse.button === Qt.LeftButton && rowIndex >= 0)
                        root.settings.edit(root.store.stations.idAt(rowIndex))
                }
            }

            Timer {
                objectName: "dragScroller"
                interval: 16
                repeat: true
                running: pointer.dragging && (pointer.lastY < pointer.edge || pointer.lastY > list.height - pointer.edge)
                onTriggered: {
                    // Faster the deeper the pointer is in the edge zone.
                    const depth = pointer.lastY < pointer.edge ? pointer.lastY - pointer.edge
                                                               : pointer.lastY - (list.height - pointer.edge)
                    const step = Math.max(-20, Math.min(20, depth / 2))
                    if (step < 0 && !list.atYBeginning)
                        list.contentY = Math.max(list.originY, list.contentY + step)
                    else if (step > 0 && !list.atYEnd)
                        list.contentY = Math.min(list.originY + list.contentHeight - list.height, list.contentY + step)
                    list.updateDrop(pointer.lastY)
                }
            }

            // Where a dragged row would land.
            Rectangle {
                objectName: "dropIndicator"
                visible: list.dropIndex >= 0
                parent: list.contentItem
                z: 2 // above the rows
                x: 4
                width: list.width - 8
                height: 2
                color: Theme.accent
                y: list.dropY
            }
        }

        Divider { Layout.fillWidth: true; Accessible.ignored: true }

        // Short notices about the list (a line each) go here, above the bar.
        ColumnLayout {
            id: notices
            objectName: "notices"
            Layout.fillWidth: true
            Layout.fillHeight: false
            spacing: 0

            // What Find Logos found, or why it stopped.
            Label {
                objectName: "logoFinderLine"
                Layout.fillWidth: true
                Layout.leftMargin: 12
                Layout.rightMargin: 12
                Layout.topMargin: 8
                visible: text !== ""
                text: root.settings.logoFinder.message
                color: Theme.secondary
                elide: Text.ElideRight
            }
            // A save that failed, until one succeeds.
            Label {
                objectName: "saveFailureLine"
                Layout.fillWidth: true
                Layout.leftMargin: 12
                Layout.rightMargin: 12
                Layout.topMargin: 8
                visible: text !== ""
                text: root.store.saveFailureMessage
                color: Theme.red
                wrapMode: Text.Wrap
                maximumLineCount: 2
                elide: Text.ElideRight
            }
        }

        RowLayout {
            id: buttonBar
            objectName: "buttonBar"
            Layout.fillWidth: true
            Layout.margins: 12
            spacing: 12

            PushButton {
                objectName: "addButton"
                Layout.preferredWidth: 36
                contentItem: Item {
                    Symbol { anchors.centerIn: parent; name: "plus"; tint: root.palette.buttonText }
                }
                Accessible.name: qsTr("Add station")
                onClicked: root.settings.add()
            }
            PushButton {
                objectName: "removeButton"
                Layout.preferredWidth: 36
                contentItem: Item {
                    Symbol {
                        anchors.centerIn: parent
                        name: "minus"
                        tint: root.palette.buttonText
                        opacity: parent.parent.enabled ? 1 : 0.4
                    }
                }
                Accessible.name: qsTr("Delete station")
                // Qt 6.4 tells screen readers that a disabled control is
                // enabled; the description says why it does nothing.
                Accessible.description: enabled ? "" : qsTr("Select a station first")
                enabled: root.settings.hasSelection
                onClicked: root.settings.askToDelete(root.selection)
            }
            PushButton {
                objectName: "findStationsButton"
                text: qsTr("Find Stations")
                onClicked: findSheet.open()
            }
            Item { Layout.fillWidth: true }
            PushButton {
                objectName: "stationFilesButton"
                Layout.preferredWidth: 36
                text: "⋯"
                Accessible.name: qsTr("Import or Export Stations")
                ToolTip.visible: hovered
                ToolTip.delay: 600
                ToolTip.text: qsTr("Import or export stations")
                onClicked: stationFilesMenu.popup(this, 0, height)
            }
            PushButton {
                objectName: "editButton"
                text: qsTr("Edit…")
                Accessible.name: qsTr("Edit station")
                Accessible.description: enabled ? "" : qsTr("Select a station first")
                enabled: root.settings.hasSelection
                onClicked: root.settings.edit(root.selection)
            }
        }
    }

    Menu {
        id: contextMenu
        objectName: "contextMenu"
        property var stationIds: []

        function popupFor(ids, at) {
            stationIds = ids
            popup(root, at.x, at.y)
        }
        onClosed: if (!root.presentsModal) list.forceActiveFocus()

        MenuItem {
            objectName: "contextEdit"
            text: qsTr("Edit…")
            enabled: contextMenu.stationIds.length > 0
            onTriggered: root.settings.edit(contextMenu.stationIds[0])
        }
        MenuItem {
            objectName: "contextDelete"
            text: qsTr("Delete")
            enabled: contextMenu.stationIds.length > 0
            onTriggered: root.settings.askToDelete(contextMenu.stationIds[0])
        }
    }

    Menu {
        id: stationFilesMenu
        objectName: "stationFilesMenu"
        MenuItem {
            objectName: "importItem"
            text: qsTr("Import Stations…")
            onTriggered: stationFiles.chooseFilesToImport()
        }
        MenuItem {
            objectName: "exportItem"
            text: qsTr("Export Stations…")
            onTriggered: stationFiles.chooseExportFile()
        }
        MenuItem {
            objectName: "findLogosItem"
            text: qsTr("Find Logos")
            enabled: !root.settings.logoFinder.running
            onTriggered: root.settings.logoFinder.start()
        }
        MenuSeparator {}
        MenuItem {
            objectName: "startAtLoginItem"
            text: qsTr("Start Tunara at login")
            checkable: true
            checked: root.settings.startsAtLogin
            onTriggered: root.settings.startsAtLogin = checked
        }
        MenuItem {
            objectName: "playLastStationItem"
            text: qsTr("Play the last station at start")
            checkable: true
            checked: root.settings.playsLastStationAtStart
            onTriggered: root.settings.playsLastStationAtStart = checked
        }
        MenuSeparator {}
        MenuItem {
            objectName: "notifyTracksItem"
            text: qsTr("Notify new tracks")
            checkable: true
            checked: root.settings.notifiesTracks
            onTriggered: root.settings.notifiesTracks = checked
        }
        MenuItem {
            objectName: "keepAwakeItem"
            text: qsTr("Keep the computer awake while playing")
            checkable: true
            checked: root.settings.keepsAwakeWhilePlaying
            onTriggered: root.settings.keepsAwakeWhilePlaying = checked
        }
        MenuItem {
            objectName: "keepHistoryItem"
            text: qsTr("Keep a history of played tracks")
            checkable: true
            checked: root.settings.keepsHistory
            onTriggered: root.settings.keepsHistory = checked
        }
    }

    StationFilesView {
        id: stationFiles
        anchors.fill: parent
        store: root.store
    }

    FindStationsView {
        id: findSheet
        objectName: "findSheet"
        store: root.store
        onStationAdded: (stationId) => root.settings.selection = stationId
        onClosed: root.forceActiveFocus()
    }

    // The add and edit sheet. When it closes the keyboard is back in the
    // list, on the station just saved.
    Popup {
        id: editorSheet
        objectName: "editorSheet"
        onClosed: {
            root.settings.sheetClosed()
            list.forceActiveFocus()
        }

        parent: root
        modal: true
        focus: true
        closePolicy: Popup.NoAutoClose
        padding: 0
        x: Math.round((parent.width - width) / 2)
        y: 0

        contentItem: Loader {
            id: editorLoader
            // A popup lies outside the window's items: it mirrors on its own.
            LayoutMirroring.enabled: Qt.application.layoutDirection === Qt.RightToLeft
            LayoutMirroring.childrenInherit: true
            active: root.settings.sheet === SettingsViewModel.Adding || root.settings.sheet === SettingsViewModel.Editing
            focus: true
            sourceComponent: StationEditorSheet {
                objectName: "stationEditor"
                store: root.store
                stationId: root.settings.sheetStation
                presetURL: root.settings.presetURL
                onDismiss: (savedStationId) => root.settings.sheetClosed(savedStationId)
            }
        }
    }

    Dialog {
        id: deleteDialog
        objectName: "deleteDialog"
        // The keyboard on Cancel, shown as a keyboard's place is; a screen
        // reader hears the question with it.
        onOpened: deleteCancelButton.forceActiveFocus(Qt.TabFocusReason)
        onClosed: {
            root.settings.sheetClosed()
            list.forceActiveFocus()
        }

        parent: root
        anchors.centerIn: parent
        width: Math.min(360, parent.width - 40)
        modal: true
        focus: true
        closePolicy: Popup.CloseOnEscape
        title: qsTr("Delete Stream")

        Label {
            objectName: "deleteMessage"
            visible: text !== ""
            width: parent.width
            bottomPadding: 8
            wrapMode: Text.Wrap
            textFormat: Text.PlainText
            text: root.settings.deleteMessage
        }

        footer: RowLayout {
            spacing: 8
            Item { Layout.fillWidth: true }
            PushButton {
                id: deleteCancelButton
                objectName: "deleteCancelButton"
                Layout.bottomMargin: 12
                text: qsTr("Cancel")
                Accessible.description: root.settings.deleteMessage
                onClicked: deleteDialog.close()
            }
            PushButton {
                objectName: "deleteConfirmButton"
                Layout.bottomMargin: 12
                Layout.rightMargin: 12
                text: qsTr("Delete")
                palette.buttonText: Theme.red
                onClicked: root.settings.confirmDeletion()
            }
        }
    }

    Announcer {}
}
