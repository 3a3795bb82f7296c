import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts
import Tunara

// The sheet that adds a station, or edits the name and URL of one: a view
// of a StationEditorViewModel, which holds the texts and the rules. It
// opens with the keyboard in the first empty field (the whole name
// selected when editing); Return saves a form that can be saved, Escape
// cancels.
FocusScope {
    id: root
    required property StoreViewModel store
    // The station edited; empty when adding.
    property string stationId: ""
    // The URL text to pre-fill when adding.
    property string presetURL: ""
    // Made for this sheet and gone with it.
    readonly property StationEditorViewModel editor: store.makeEditor(stationId, presetURL, root)
    // The station saved; empty when the sheet was cancelled.
    signal dismiss(string savedStationId)

    implicitWidth: 360
    width: 360
    implicitHeight: layout.implicitHeight
    focus: true

    Accessible.role: Accessible.Dialog
    Accessible.name: editor.title

    function focusField(field) {
        (field === "url" ? urlField : nameField).forceActiveFocus(Qt.TabFocusReason)
    }

    Connections {
        target: root.editor
        function onFocusRequested(field) { root.focusField(field) }
        function onSaved(stationId) { root.dismiss(stationId) }
    }

    Component.onCompleted: {
        focusField(editor.initialField)
        if (editor.isEditing)
            nameField.selectAll()
    }

    // Return confirms, as the default button does (a focused button takes
    // its own Return first).
    function confirm() {
        if (editor.canConfirm)
            editor.save()
    }
    Keys.onReturnPressed: confirm()
    Keys.onEnterPressed: confirm()
    Keys.onEscapePressed: dismiss("")

    ColumnLayout {
        id: layout
        width: parent.width
        spacing: 0

        GridLayout {
            Layout.fillWidth: true
            Layout.margins: 20
            columns: 2
            columnSpacing: 8
            rowSpacing: 10

            Label {
                objectName: "sheetTitle"
                Layout.columnSpan: 2
                Layout.bottomMargin: 4
                text: root.editor.title
                font.pixelSize: Theme.bodySize
                font.weight: Font.DemiBold
                Accessible.role: Accessible.Heading
            }
            Label {
                Layout.alignment: Qt.AlignRight
                text: qsTr("Name:")
                font.pixelSize: Theme.bodySize
                Accessible.ignored: true
            }
            TextField {
                id: nameField
                objectName: "nameField"
                Layout.fillWidth: true
                font.pixelSize: Theme.bodySize
                text: root.editor.name
                onTextChanged: root.editor.name = text
                Accessible.name: qsTr("Name")
            }
            Label {
                Layout.alignment: Qt.AlignRight
                text: qsTr("URL:")
                font.pixelSize: Theme.bodySize
                Accessible.ignored: true
            }
            TextField {
                id: urlField
                objectName: "urlField"
                Layout.fillWidth: true
                placeholderText: "https://"
                font.pixelSize: Theme.bodySize
                text: root.editor.url
                onTextChanged: root.editor.url = text
                Accessible.name: qsTr("URL")
                Accessible.description: root.editor.urlError
            }
            Label {
                Layout.alignment: Qt.AlignRight
                text: qsTr("Logo:")
                font.pixelSize: Theme.bodySize
                Accessible.ignored: true
            }
            RowLayout {
                Layout.fillWidth: true
                spacing: 8
                Image {
                    objectName: "logoPreview"
                    visible: root.editor.logoPicture !== ""
                    Layout.preferredWidth: 28
                    Layout.preferredHeight: 28
                    source: root.editor.logoPicture
                    sourceSize: Qt.size(56, 56)
                    fillMode: Image.PreserveAspectFit
                    asynchronous: true
                    Accessible.ignored: true
                }
                PushButton {
                    objectName: "chooseLogoButton"
                    text: qsTr("Choose Image…")
                    Accessible.description: root.editor.logoError
                    onClicked: root.editor.chooseLogo(root.Window.window)
                }
                PushButton {
                    objectName: "clearLogoButton"
                    visible: root.editor.hasLogo
                    text: qsTr("Clear Image")
                    onClicked: root.editor.clearLogo()
                }
                Item { Layout.fillWidth: true }
            }
        }

        Label {
            objectName: "logoErrorText"
            visible: root.editor.logoError !== ""
            Layout.fillWidth: true
            Layout.leftMargin: 20
            Layout.rightMargin: 20
            Layout.bottomMargin: 12
            text: root.editor.logoError
            wrapMode: Text.Wrap
            color: Theme.red
            font.pixelSize: 12
            Accessible.role: Accessible.AlertMessage
            Accessible.name: text
            Accessible.ignored: !visible
        }

        Label {
            objectName: "urlErrorText"
            visible: root.editor.urlError !== ""
            Layout.fillWidth: true
            Layout.leftMargin: 20
            Layout.rightMargin: 20
            Layout.bottomMargin: 20
            text: root.editor.urlError
            wrapMode: Text.Wrap
            color: Theme.red
            font.pixelSize: 12
            Accessible.role: Accessible.AlertMessage
            Accessible.name: text
            Accessible.ignored: !visible
        }

        Divider { Layout.fillWidth: true; Accessible.ignored: true }

        RowLayout {
            Layout.fillWidth: true
            Layout.margins: 16

            PushButton {
                id: cancelButton
                objectName: "cancelButton"
                text: qsTr("Cancel")
                onClicked: root.dismiss("")
            }
            Item { Layout.fillWidth: true }
            PushButton {
                id: confirmButton
                objectName: "confirmButton"
                text: root.editor.confirmTitle
                highlighted: true
                enabled: root.editor.canConfirm
                // Qt 6.4 tells screen readers that a disabled control is
                // enabled; the description says why it does nothing.
                Accessible.description: enabled ? "" : qsTr("Enter a name and a URL first")
                onClicked: root.editor.save()
            }
        }
    }
}
