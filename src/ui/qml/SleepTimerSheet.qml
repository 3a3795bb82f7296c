import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts
import Tunara

// In place of the panel's header while it is open: when playback stops, a
// usual length or minutes of one's own, or off. (Escape, in the panel,
// closes it.)
FocusScope {
    id: root
    required property StoreViewModel store
    signal done()

    implicitHeight: column.implicitHeight
    Accessible.role: Accessible.Grouping
    Accessible.name: qsTr("Sleep Timer")

    function choose(minutes) {
        root.store.startSleepTimer(minutes)
        root.done()
    }

    ColumnLayout {
        id: column
        width: parent.width
        spacing: 6

        RowLayout {
            Layout.fillWidth: true
            Text {
                Layout.fillWidth: true
                text: root.store.sleepText !== "" ? root.store.sleepText : qsTr("Stop playing after")
                textFormat: Text.PlainText
                elide: Text.ElideRight
                font.pixelSize: Theme.bodySize
                font.weight: Font.DemiBold
                color: Theme.primary
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
            PushButton {
                objectName: "sleepOff"
                visible: root.store.sleepText !== ""
                text: qsTr("Turn Off")
                onClicked: {
                    root.store.cancelSleepTimer()
                    root.done()
                }
            }
        }
        Flow {
            Layout.fillWidth: true
            spacing: 4
            Repeater {
                model: [15, 30, 45, 60, 90]
                PushButton {
                    required property int modelData
                    required property int index
                    objectName: "sleep" + modelData
                    focus: index === 0
                    text: qsTr("%n min", "", modelData)
                    onClicked: root.choose(modelData)
                }
            }
        }
        RowLayout {
            Layout.fillWidth: true
            SpinBox {
                id: minutes
                objectName: "sleepMinutes"
                from: 1
                to: 600
                value: 20
                editable: true
                Accessible.name: qsTr("Minutes")
                Keys.onReturnPressed: root.choose(value)
            }
            PushButton {
                objectName: "sleepStart"
                text: qsTr("Start")
                onClicked: root.choose(minutes.value)
            }
        }
    }
}
