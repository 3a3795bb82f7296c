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
    required property StoreViewModel store
    required property AppCommands app

    // The id of the selected row; empty for none.
    property string selection: ""
    property bool showingSheet: false
    property bool showingEditSheet: false
    property bool showingDeleteConfirmation: false
    property string presetURL: ""

    readonly property bool presentsModal: editorSheet.visible || deleteDialog.visible || findSheet.visible

    implicitWidth: 500
    implicitHeight: 350
    padding: 0
    focus: true

    function addStation() {
        presetURL = ""
        showingSheet = true
    }
    // The "Edit…" command for a set of ids from the list (first one wins).
    function editStations(ids) {
        if (ids.length === 0)
            return
        selection = ids[0]
        showingEditSheet = true
    }
    function deleteStations(ids) {
        if (ids.length === 0)
            return
        selection = ids[0]
        showingDeleteConfirmation = true
    }
    function pasteURL(urlText) {
        if (urlText === "")
            return
        presetURL = urlText
        showingSheet = true
    }
    function confirmDeletion(stationId) {
        store.deleteStream(stationId)
        selection = ""
    }

    // Selects the station at a row and scrolls it into view.
    function selectRow(row) {
        const stationId = store.stations.idAt(row)
        if (stationId === "")
            return
        selection = stationId
        reveal(row)
    }
    function reveal(row) {
        list.currentIndex = row
        list.positionViewAtIndex(row, ListView.Contain)
    }
    // Up/Down and friends: from the selected row, or from an end.
    function moveSelection(step) {
        const count = list.count
        if (count === 0)
            return
        const current = store.stations.indexOf(selection)
        const next = current < 0 ? (step > 0 ? 0 : count - 1) : current + step
        selectRow(Math.max(0, Math.min(count - 1, next)))
    }
    // Alt+Up/Alt+Down: the selected station one place up or down.
    function moveSelectedStation(step) {
        const from = store.stations.indexOf(selection)
        if (from < 0)
            return
        const row = store.moveStream(from, step < 0 ? from - 1 : from + 2)
        if (row >= 0)
            reveal(row)
    }
    // Rows that fit in the list's height, for Page Up/Page Down.
    function rowsPerPage() {
        const item = list.itemAtIndex(Math.max(0, list.currentIndex))
        return Math.max(1, Math.floor(list.height / (item ? item.height : 24)) - 1)
    }

    onSelectionChanged: list.currentIndex = store.stations.indexOf(selection)

    AppShortcuts { store: root.store; app: root.app }
    Shortcut {
        sequences: [StandardKey.Paste]
        enabled: !root.presentsModal
        onActivated: root.pasteURL(root.app.pastedStreamURL())
    }
    Shortcut {
        sequences: [StandardKey.Find]
        enabled: !root.presentsModal
        onActivated: findSheet.open()
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
            model: root.store.stations
            boundsBehavior: Flickable.StopAtBounds
            keyNavigationEnabled: false
            highlightMoveDuration: 0
            ScrollBar.vertical: ScrollBar { id: scrollBar }
            Component.onCompleted: currentIndex = root.store.stations.indexOf(root.selection)

            Accessible.role: Accessible.List
            Accessible.name: "Stations"

            Keys.onPressed: (event) => {
                if (pointer.dragging && event.key === Qt.Key_Escape) {
                    pointer.cancelDrag()
                } else if (event.modifiers & Qt.AltModifier && (event.key === Qt.Key_Up || event.key === Qt.Key_Down)) {
                    root.moveSelectedStation(event.key === Qt.Key_Up ? -1 : 1)
                } else if (event.key === Qt.Key_Up || event.key === Qt.Key_Down) {
                    root.moveSelection(event.key === Qt.Key_Up ? -1 : 1)
                } else if (event.key === Qt.Key_PageUp || event.key === Qt.Key_PageDown) {
                    root.moveSelection((event.key === Qt.Key_PageUp ? -1 : 1) * root.rowsPerPage())
                } else if (event.key === Qt.Key_Home || event.key === Qt.Key_End) {
                    root.selectRow(event.key === Qt.Key_Home ? 0 : list.count - 1)
                } else if ((event.key === Qt.Key_Return || event.key === Qt.Key_Enter) && root.selection !== "") {
                    root.editStations([root.selection])
                } else if (event.key === Qt.Key_Delete && root.selection !== "") {
                    root.deleteStations([root.selection])
                } else if (event.key === Qt.Key_Menu || (event.key === Qt.Key_F10 && event.modifiers & Qt.ShiftModifier)) {
                    const row = root.store.stations.indexOf(root.selection)
                    const item = list.itemAtIndex(row)
                    const at = item ? item.mapToItem(root, 16, item.height / 2) : Qt.point(16, 16)
                    contextMenu.popupFor(root.selection === "" ? [] : [root.selection], at)
                } else {
                    return
                }
                event.accepted = true
            }

            // Drag-to-reorder: the row being dragged and where it would land
            // (a position before which it is inserted); -1 for none. dropY is
            // where the line is drawn, in the list's content.
            property int dragFrom: -1
            property int dropIndex: -1
            property real dropY: 0

            // The landing position for a point of the list's viewport.
            function updateDrop(viewY) {
                const y = viewY + contentY
                const target = indexAt(8, y)
                if (target >= 0) {
                    const item = itemAtIndex(target)
                    const below = y > item.y + item.height / 2
                    dropIndex = below ? target + 1 : target
                    dropY = below ? item.y + item.height - 1 : item.y - 1
                    return
                }
                const first = itemAtIndex(0)
                if (first && y < first.y) {
                    dropIndex = 0
                    dropY = first.y - 1
                } else {
                    const last = itemAtIndex(count - 1)
                    dropIndex = count
                    dropY = last ? last.y + last.height - 1 : y
                }
            }

            delegate: Rectangle {
                id: row
                required property string stationId
                required property string name
                required property string urlText
                required property int index
                readonly property bool isSelected: root.selection === stationId

                width: ListView.view.width
                implicitHeight: Math.max(nameLabel.implicitHeight, urlLabel.implicitHeight) + 10
                color: isSelected ? root.palette.highlight : (index % 2 ? root.palette.alternateBase : root.palette.base)

                Accessible.role: Accessible.ListItem
                Accessible.name: name
                Accessible.description: urlText
                Accessible.selectable: true
                Accessible.selected: isSelected
                Accessible.focusable: true
                Accessible.focused: ListView.isCurrentItem && list.activeFocus
                Accessible.onPressAction: root.selectRow(index)

                Label {
                    id: nameLabel
                    objectName: "rowName"
                    x: 10
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
                    x: nameLabel.x + nameLabel.width + 10
                    width: row.width - x - 10
                    anchors.verticalCenter: parent.verticalCenter
                    horizontalAlignment: Text.AlignRight
                    text: row.urlText
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
                    list.dragFrom = -1
                    list.dropIndex = -1
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
                        root.selection = ""
                        return
                    }
                    root.selectRow(rowIndex)
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
                    dragging = true
                    list.dragFrom = pressRow
                    list.updateDrop(mouse.y)
                }
                onReleased: {
                    const from = list.dragFrom
                    const to = list.dropIndex
                    const wasDragging = dragging
                    cancelDrag()
                    if (!wasDragging || from < 0 || to < 0)
                        return
                    const landed = root.store.moveStream(from, to)
                    if (landed >= 0)
                        root.reveal(landed)
                }
                onCanceled: cancelDrag()
                onDoubleClicked: (mouse) => {
                    const rowIndex = rowAt(mouse.y)
                    if (mouse.button === Qt.LeftButton && rowIndex >= 0)
                        root.editStations([root.store.stations.idAt(rowIndex)])
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
                Accessible.name: "Add station"
                onClicked: root.addStation()
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
                Accessible.name: "Delete station"
                // Qt 6.4 tells screen readers that a disabled control is
                // enabled; the description says why it does nothing.
                Accessible.description: enabled ? "" : "Select a station first"
                enabled: root.selection !== ""
                onClicked: root.showingDeleteConfirmation = true
            }
            PushButton {
                objectName: "findStationsButton"
                text: "Find Stations"
                onClicked: findSheet.open()
            }
            Item { Layout.fillWidth: true }
            PushButton {
                objectName: "stationFilesButton"
                Layout.preferredWidth: 36
                text: "⋯"
                Accessible.name: "Import or Export Stations"
                ToolTip.visible: hovered
                ToolTip.delay: 600
                ToolTip.text: "Import or export stations"
                onClicked: stationFilesMenu.popup(this, 0, height)
            }
            PushButton {
                objectName: "editButton"
                text: "Edit…"
                Accessible.name: "Edit station"
                Accessible.description: enabled ? "" : "Select a station first"
                enabled: root.selection !== ""
                onClicked: root.showingEditSheet = true
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
            text: "Edit…"
            enabled: contextMenu.stationIds.length > 0
            onTriggered: root.editStations(contextMenu.stationIds)
        }
        MenuItem {
            objectName: "contextDelete"
            text: "Delete"
            enabled: contextMenu.stationIds.length > 0
            onTriggered: root.deleteStations(contextMenu.stationIds)
        }
    }

    Menu {
        id: stationFilesMenu
        objectName: "stationFilesMenu"
        MenuItem {
            objectName: "importItem"
            text: "Import Stations…"
            onTriggered: stationFiles.chooseFilesToImport()
        }
        MenuItem {
            objectName: "exportItem"
            text: "Export Stations…"
            onTriggered: stationFiles.chooseExportFile()
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
        onStationAdded: (stationId) => root.selection = stationId
        onClosed: root.forceActiveFocus()
    }

    // The add and edit sheet. An edit request for a station that no longer
    // exists shows nothing. When it closes the keyboard is back in the list,
    // on the station just saved.
    Popup {
        id: editorSheet
        objectName: "editorSheet"
        onClosed: {
            root.showingSheet = false
            root.showingEditSheet = false
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
            active: root.showingSheet || root.showingEditSheet
            focus: true
            sourceComponent: EditStreamView {
                objectName: "editStreamView"
                store: root.store
                stationId: root.showingSheet ? "" : root.selection
                presetURL: root.showingSheet ? root.presetURL : ""
                onDismiss: (savedStationId) => {
                    if (savedStationId !== "") {
                        root.selection = savedStationId
                        const row = root.store.stations.indexOf(savedStationId)
                        if (row >= 0)
                            root.reveal(row)
                    }
                    editorSheet.close()
                }
            }
        }
    }

    // The sheets and the dialog follow the three flags. A request to edit
    // a station that is gone, or to delete with nothing selected, shows
    // nothing and is dropped, so it cannot open later by surprise.
    onShowingSheetChanged: showingSheet ? editorSheet.open() : editorSheet.close()
    onShowingEditSheetChanged: {
        if (showingEditSheet && !store.hasStation(selection))
            showingEditSheet = false
        else if (showingEditSheet)
            editorSheet.open()
        else
            editorSheet.close()
    }
    onShowingDeleteConfirmationChanged: {
        if (showingDeleteConfirmation && selection === "")
            showingDeleteConfirmation = false
        else if (showingDeleteConfirmation)
            deleteDialog.present(selection)
        else
            deleteDialog.close()
    }

    Dialog {
        id: deleteDialog
        objectName: "deleteDialog"
        property string stationId: ""
        function present(id) {
            stationId = id
            message.text = root.store.deleteConfirmationMessage(id)
            open()
        }
        onOpened: deleteCancelButton.forceActiveFocus()
        onClosed: {
            root.showingDeleteConfirmation = false
            list.forceActiveFocus()
        }

        parent: root
        anchors.centerIn: parent
        width: Math.min(360, parent.width - 40)
        modal: true
        focus: true
        closePolicy: Popup.CloseOnEscape
        title: "Delete Stream"

        Label {
            id: message
            objectName: "deleteMessage"
            visible: text !== ""
            width: parent.width
            bottomPadding: 8
            wrapMode: Text.Wrap
            textFormat: Text.PlainText
        }

        footer: RowLayout {
            spacing: 8
            Item { Layout.fillWidth: true }
            PushButton {
                id: deleteCancelButton
                objectName: "deleteCancelButton"
                Layout.bottomMargin: 12
                text: "Cancel"
                onClicked: deleteDialog.close()
            }
            PushButton {
                objectName: "deleteConfirmButton"
                Layout.bottomMargin: 12
                Layout.rightMargin: 12
                text: "Delete"
                palette.buttonText: Theme.red
                onClicked: {
                    root.confirmDeletion(deleteDialog.stationId)
                    deleteDialog.close()
                }
            }
        }
    }
}
