import QtQuick
import QtQuick.Controls.Fusion
import Tunara

// Import and export of the station list in the Settings window: the file
// dialogs, files dropped on the window, and the line that tells how it
// went, shown for a few seconds above the buttons.
Item {
    id: root
    required property StoreViewModel store
    // The dialogs are the desktop's, modal to this window.
    function chooseFilesToImport() { files.chooseFilesToImport(root.Window.window) }
    function chooseExportFile() { files.chooseExportFile(root.Window.window) }

    StationFilesViewModel {
        id: files
        objectName: "stationFilesViewModel"
        store: root.store
        onReported: (message) => report.show(message)
    }

    DropArea {
        id: dropArea
        objectName: "stationFileDropArea"
        anchors.fill: parent
        onEntered: (drag) => drag.accepted = drag.hasUrls
        onDropped: (drop) => {
            files.importFiles(drop.urls)
            drop.accept()
        }
        Rectangle {
            anchors.fill: parent
            visible: dropArea.containsDrag
            color: "transparent"
            border.width: 2
            border.color: Theme.accent
        }
    }

    Popup {
        id: report
        objectName: "stationFilesReport"
        property string message: ""
        function show(text) {
            message = text
            open()
            hideTimer.restart()
        }

        x: Math.round((root.width - width) / 2)
        y: root.height - height - 64
        width: Math.min(implicitWidth, root.width - 40)
        padding: 8
        leftPadding: 14
        rightPadding: 14
        focus: false
        modal: false
        closePolicy: Popup.NoAutoClose
        background: Rectangle {
            radius: 6
            color: report.palette.toolTipBase
            border.color: Theme.separator
        }
        contentItem: Label {
            objectName: "stationFilesMessage"
            text: report.message
            textFormat: Text.PlainText
            elide: Text.ElideMiddle
            color: report.palette.toolTipText
            Accessible.role: Accessible.AlertMessage
            Accessible.name: text
        }
        Timer {
            id: hideTimer
            interval: 4000
            onTriggered: report.close()
        }
    }
}
