import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts
import Tunara

// The sheet that adds a station, or edits the name and URL of one. It
// validates the URL when the user confirms, shows what is wrong under the
// form, and closes itself on success and on Cancel.
FocusScope {
    id: root
    required property StoreViewModel store
    // The station edited; empty when adding.
    property string stationId: ""
    // The URL text to pre-fill when adding.
    property string presetURL: ""

    property string name: ""
    property string url: ""
    property string urlError: ""
    // "name", "url" or "" for the field that holds the keyboard focus.
    readonly property string focusedField: nameField.activeFocus ? "name" : (urlField.activeFocus ? "url" : "")

    readonly property bool isEditing: stationId !== ""
    readonly property bool canConfirm: store.trimmed(name) !== "" && store.trimmed(url) !== ""

    signal dismiss()

    implicitWidth: 360
    width: 360
    implicitHeight: layout.implicitHeight
    focus: true

    function focusField(field) {
        (field === "name" ? nameField : urlField).forceActiveFocus()
    }

    function save() {
        const trimmedName = store.trimmed(name)
        const trimmedURL = store.trimmed(url)
        if (trimmedName === "") {
            focusField("name")
            return
        }
        if (trimmedURL === "") {
            focusField("url")
            return
        }
        const problem = store.urlValidationMessage(trimmedURL)
        if (problem !== "") {
            urlError = problem
            focusField("url")
            return
        }
        const stored = isEditing ? store.updateStream(stationId, trimmedName, trimmedURL)
                                 : store.addStream(trimmedName, trimmedURL)
        if (stored) {
            dismiss()
            return
        }
        urlError = store.invalidFormatMessage()
        focusField("url")
    }

    Component.onCompleted: {
        if (isEditing) {
            name = store.stationName(stationId) ?? ""
            url = store.stationUrlText(stationId) ?? ""
        } else if (presetURL !== "") {
            url = presetURL
        }
        nameField.text = name
        urlField.text = url
        urlError = ""
    }

    Keys.onReturnPressed: (event) => { if (confirmButton.enabled) save() }
    Keys.onEnterPressed: (event) => { if (confirmButton.enabled) save() }
    Keys.onEscapePressed: dismiss()

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
                text: root.isEditing ? "Edit stream" : "Add a stream"
                font.pixelSize: Theme.bodySize
                font.weight: Font.DemiBold
            }
            Label {
                Layout.alignment: Qt.AlignRight
                text: "Name:"
                font.pixelSize: Theme.bodySize
            }
            TextField {
                id: nameField
                objectName: "nameField"
                Layout.fillWidth: true
                font.pixelSize: Theme.bodySize
                onTextChanged: root.name = text
            }
            Label {
                Layout.alignment: Qt.AlignRight
                text: "URL:"
                font.pixelSize: Theme.bodySize
            }
            TextField {
                id: urlField
                objectName: "urlField"
                Layout.fillWidth: true
                placeholderText: "https://"
                font.pixelSize: Theme.bodySize
                onTextChanged: {
                    root.url = text
                    root.urlError = ""
                }
            }
        }

        Label {
            objectName: "urlErrorText"
            visible: root.urlError !== ""
            Layout.fillWidth: true
            Layout.leftMargin: 20
            Layout.rightMargin: 20
            Layout.bottomMargin: 20
            text: root.urlError
            wrapMode: Text.Wrap
            color: Theme.red
            font.pixelSize: 12
        }

        Divider { Layout.fillWidth: true }

        RowLayout {
            Layout.fillWidth: true
            Layout.margins: 16

            Button {
                objectName: "cancelButton"
                text: "Cancel"
                onClicked: root.dismiss()
            }
            Item { Layout.fillWidth: true }
            Button {
                id: confirmButton
                objectName: "confirmButton"
                text: root.isEditing ? "Save" : "Add"
                highlighted: true
                enabled: root.canConfirm
                onClicked: root.save()
            }
        }
    }
}
