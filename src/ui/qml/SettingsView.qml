import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts
import Tunara

// The Settings window: the stations with their URLs, reordered by
// dragging, added, edited and deleted. Pasting a stream URL opens the add
// sheet with it. Stations are also found in the community directory
// (Ctrl+F), imported from playlist files (Ctrl+O, or dropped on the
// window) and exported to one (Ctrl+S).
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
    function moveSelection(step) {
        const count = list.count
        if (count === 0)
            return
        let current = -1
        for (let i = 0; i < count; ++i) {
            if (list.itemAtIndex(i) && list.itemAtIndex(i).stationId === selection)
                current = i
        }
        const next = Math.max(0, Math.min(count - 1, current < 0 ? 0 : current + step))
        list.currentIndex = next
        list.positionViewAtIndex(next, ListView.Contain)
        const item = list.itemAtIndex(next)
        if (item)
            selection = item.stationId
    }

    Keys.onUpPressed: moveSelection(-1)
    Keys.onDownPressed: moveSelection(1)

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
            model: root.store.stations
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: ScrollBar {}

            // Drag-to-reorder: the row being dragged and where it would land
            // (a position before which it is inserted).
            property int dragFrom: -1
            property int dropIndex: -1

            function dropIndexAt(contentY) {
                let target = indexAt(8, contentY)
                if (target < 0)
                    return contentY < 0 ? 0 : count
                const item = itemAtIndex(target)
                return contentY > item.y + item.height / 2 ? target + 1 : target
            }

            // Clicks beside the rows.
            MouseArea {
                z: -1
                anchors.fill: parent
                acceptedButtons: Qt.LeftButton | Qt.RightButton
                onPressed: (mouse) => {
                    root.forceActiveFocus()
                    if (mouse.button === Qt.RightButton)
                        contextMenu.popupFor([])
                    else
                        root.selection = ""
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
                }

                MouseArea {
                    anchors.fill: parent
                    acceptedButtons: Qt.LeftButton | Qt.RightButton
                    property real pressY: 0
                    property bool dragging: false

                    onPressed: (mouse) => {
                        root.forceActiveFocus()
                        if (mouse.button === Qt.RightButton) {
                            contextMenu.popupFor([row.stationId])
                            return
                        }
                        root.selection = row.stationId
                        pressY = mouse.y
                        dragging = false
                    }
                    onPositionChanged: (mouse) => {
                        if (!(mouse.buttons & Qt.LeftButton))
                            return
                        if (!dragging && Math.abs(mouse.y - pressY) < 6)
                            return
                        dragging = true
                        list.dragFrom = row.index
                        list.dropIndex = list.dropIndexAt(mapToItem(list.contentItem, mouse.x, mouse.y).y)
                    }
                    onReleased: {
                        const from = list.dragFrom
                        const to = list.dropIndex
                        list.dragFrom = -1
                        list.dropIndex = -1
                        if (dragging && from >= 0 && to !== from && to !== from + 1)
                            root.store.moveStream(from, to)
                        dragging = false
                    }
                    onDoubleClicked: (mouse) => {
                        if (mouse.button === Qt.LeftButton)
                            root.editStations([row.stationId])
                    }
                }
            }

            // Where a dragged row would land.
            Rectangle {
                objectName: "dropIndicator"
                visible: list.dropIndex >= 0
                parent: list.contentItem
                x: 4
                width: list.width - 8
                height: 2
                color: Theme.accent
                y: {
                    if (list.dropIndex < 0)
                        return 0
                    const before = list.itemAtIndex(Math.min(list.dropIndex, list.count - 1))
                    if (!before)
                        return 0
                    return list.dropIndex >= list.count ? before.y + before.height - 1 : before.y - 1
                }
            }
        }

        Divider { Layout.fillWidth: true }

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

        RowLayout {
            Layout.fillWidth: true
            Layout.margins: 12
            spacing: 12

            Button {
                objectName: "addButton"
                Layout.preferredWidth: 36
                contentItem: Item {
                    Symbol { anchors.centerIn: parent; name: "plus"; tint: root.palette.buttonText }
                }
                Accessible.name: "Add"
                onClicked: root.addStation()
            }
            Button {
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
                Accessible.name: "Remove"
                enabled: root.selection !== ""
                onClicked: root.showingDeleteConfirmation = true
            }
            Button {
                objectName: "findStationsButton"
                text: "Find Stations"
                onClicked: findSheet.open()
            }
            Item { Layout.fillWidth: true }
            Button {
                objectName: "stationFilesButton"
                Layout.preferredWidth: 36
                text: "⋯"
                Accessible.name: "Import or Export Stations"
                ToolTip.visible: hovered
                ToolTip.delay: 600
                ToolTip.text: "Import or export stations"
                onClicked: stationFilesMenu.popup(this, 0, height)
            }
            Button {
                objectName: "editButton"
                text: "Edit…"
                enabled: root.selection !== ""
                onClicked: root.showingEditSheet = true
            }
        }
    }

    Menu {
        id: contextMenu
        objectName: "contextMenu"
        property var stationIds: []

        function popupFor(ids) {
            stationIds = ids
            popup()
        }

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
    // exists shows nothing.
    Popup {
        id: editorSheet
        objectName: "editorSheet"
        onClosed: {
            root.showingSheet = false
            root.showingEditSheet = false
            root.forceActiveFocus()
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
                onDismiss: editorSheet.close()
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
        onClosed: {
            root.showingDeleteConfirmation = false
            root.forceActiveFocus()
        }

        parent: root
        anchors.centerIn: parent
        width: Math.min(360, parent.width - 40)
        modal: true
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
            Button {
                objectName: "deleteCancelButton"
                Layout.bottomMargin: 12
                text: "Cancel"
                onClicked: deleteDialog.close()
            }
            Button {
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
