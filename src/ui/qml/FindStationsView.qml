import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts
import Tunara

// The Find Stations sheet: the community station directory searched as the
// user types, one row per station found, and Add. The keyboard path: the
// search field has the focus, Down moves into the results, Return adds the
// selected one, Escape closes. Its content, and with it the directory's
// client, is made the first time the sheet opens.
Popup {
    id: root
    required property StoreViewModel store
    signal stationAdded(string stationId)

    property bool wasOpened: false

    // The whole window: its list would only show at the edges.
    x: 0
    y: 0
    width: parent.width
    height: parent.height
    modal: true
    focus: true
    closePolicy: Popup.CloseOnEscape
    padding: 0

    onAboutToShow: wasOpened = true
    onOpened: content.item.focusSearch()

    contentItem: Loader {
        id: content
        // A popup lies outside the window's items: it mirrors on its own.
        LayoutMirroring.enabled: Qt.application.layoutDirection === Qt.RightToLeft
        LayoutMirroring.childrenInherit: true
        active: root.wasOpened
        focus: true
        sourceComponent: FocusScope {
            id: sheet
            objectName: "findStationsView"
            focus: true
            Accessible.role: Accessible.Dialog
            Accessible.name: qsTr("Find Stations")

            function focusSearch() {
                searchField.forceActiveFocus()
                searchField.selectAll()
            }

            DirectoryViewModel {
                id: directory
                objectName: "directoryViewModel"
                store: root.store
                onStationAdded: (stationId) => root.stationAdded(stationId)
            }

            ColumnLayout {
                anchors.fill: parent
                spacing: 0

                Label {
                    Layout.margins: 16
                    Layout.bottomMargin: 10
                    text: qsTr("Find Stations")
                    font.pixelSize: Theme.bodySize
                    font.weight: Font.DemiBold
                }

                RowLayout {
                    Layout.fillWidth: true
                    Layout.leftMargin: 16
                    Layout.rightMargin: 16
                    spacing: 8

                    TextField {
                        id: searchField
                        objectName: "searchField"
                        Layout.fillWidth: true
                        placeholderText: directory.searchByTag ? qsTr("A tag, such as jazz") : qsTr("A station's name")
                        font.pixelSize: Theme.bodySize
                        Accessible.name: qsTr("Search the station directory")
                        onTextEdited: directory.query = text
                        Keys.onDownPressed: results.enter()
                        Keys.onReturnPressed: directory.searchNow()
                        Keys.onEnterPressed: directory.searchNow()
                    }
                    // Search by name or by tag: one of two.
                    ButtonGroup { id: searchBy }
                    RadioButton {
                        objectName: "byNameButton"
                        text: qsTr("Name")
                        checked: !directory.searchByTag
                        ButtonGroup.group: searchBy
                        Accessible.name: qsTr("Search by name")
                        focusPolicy: Qt.TabFocus
                        onClicked: {
                            directory.searchByTag = false
                            searchField.forceActiveFocus()
                        }
                    }
                    RadioButton {
                        objectName: "byTagButton"
                        text: qsTr("Tag")
                        checked: directory.searchByTag
                        ButtonGroup.group: searchBy
                        Accessible.name: qsTr("Search by tag")
                        focusPolicy: Qt.TabFocus
                        onClicked: {
                            directory.searchByTag = true
                            searchField.forceActiveFocus()
                        }
                    }
                }

                RowLayout {
                    Layout.fillWidth: true
                    Layout.margins: 16
                    Layout.topMargin: 8
                    Layout.bottomMargin: 8
                    spacing: 6
                    visible: directory.message !== ""

                    Spinner {
                        visible: directory.searching
                        color: Theme.secondary
                    }
                    Label {
                        objectName: "directoryMessage"
                        Layout.fillWidth: true
                        text: directory.message
                        textFormat: Text.PlainText
                        elide: Text.ElideRight
                        color: Theme.secondary
                        font.pixelSize: 12
                        Accessible.role: Accessible.StaticText
                        Accessible.name: text
                    }
                }

                ListView {
                    id: results
                    objectName: "resultList"
                    Layout.fillWidth: true
                    Layout.fillHeight: true
                    Layout.topMargin: directory.message === "" ? 8 : 0
                    clip: true
                    model: directory
                    currentIndex: -1
                    boundsBehavior: Flickable.StopAtBounds
                    keyNavigationWraps: false
                    ScrollBar.vertical: ScrollBar {
                        focusPolicy: Qt.NoFocus
                        Accessible.name: qsTr("Scroll the stations found")
                        Accessible.focusable: false
                    }
                    Accessible.role: Accessible.List
                    Accessible.name: qsTr("Stations found")

                    function enter() {
                        if (count === 0)
                            return
                        currentIndex = 0
                        positionViewAtIndex(0, ListView.Contain)
                        forceActiveFocus()
                    }
                    Keys.onUpPressed: (event) => {
                        if (currentIndex <= 0)
                            searchField.forceActiveFocus()
                        else
                            decrementCurrentIndex()
                    }
                    Keys.onReturnPressed: directory.addStation(currentIndex)
                    Keys.onEnterPressed: directory.addStation(currentIndex)

                    delegate: Rectangle {
                        id: row
                        required property int index
                        required property string name
                        required property string details
                        required property string tags
                        required property bool inList
                        readonly property bool isCurrent: ListView.isCurrentItem
                        readonly property color textColor: isCurrent && results.activeFocus
                                                           ? root.palette.highlightedText : root.palette.text

                        width: ListView.view.width
                        implicitHeight: Math.max(texts.implicitHeight, trailing.implicitHeight) + 12
                        color: isCurrent ? (results.activeFocus ? root.palette.highlight : Theme.hoverFill)
                                         : (index % 2 ? root.palette.alternateBase : root.palette.base)
                        Accessible.role: Accessible.ListItem
                        Accessible.name: [name, details, tags, inList ? qsTr("In your list") : ""]
                                         .filter(part => part !== "").join(", ")

                        MouseArea {
                            anchors.fill: parent
                            onPressed: {
                                results.currentIndex = row.index
                                results.forceActiveFocus()
                            }
                            onDoubleClicked: directory.addStation(row.index)
                        }

                        Column {
                            id: texts
                            anchors.left: parent.left
                            anchors.leftMargin: 16
                            width: row.width - 42 - trailing.width
                            anchors.verticalCenter: parent.verticalCenter
                            spacing: 2

                            Label {
                                objectName: "resultName"
                                width: parent.width
                                text: row.name
                                textFormat: Text.PlainText
                                elide: Text.ElideRight
                                font.pixelSize: Theme.bodySize
                                font.weight: Font.Medium
                                color: row.textColor
                            }
                            Label {
                                objectName: "resultDetails"
                                width: parent.width
                                visible: text !== ""
                                text: [row.details, row.tags].filter(part => part !== "").join(" · ")
                                textFormat: Text.PlainText
                                elide: Text.ElideRight
                                font.pixelSize: 11
                                color: row.textColor
                                opacity: 0.7
                            }
                        }

                        Item {
                            id: trailing
                            implicitWidth: row.inList ? inListLabel.implicitWidth : addButton.implicitWidth
                            implicitHeight: addButton.implicitHeight
                            width: implicitWidth
                            height: implicitHeight
                            anchors.right: parent.right
                            anchors.rightMargin: 16
                            anchors.verticalCenter: parent.verticalCenter

                            // Return on the row adds it; the button is for
                            // the pointer and a screen reader's action.
                            PushButton {
                                id: addButton
                                objectName: "addResultButton"
                                visible: !row.inList
                                anchors.right: parent.right
                                text: qsTr("Add")
                                focusPolicy: Qt.NoFocus
                                Accessible.name: qsTr("Add %1").arg(row.name)
                                Accessible.focusable: false
                                onClicked: directory.addStation(row.index)
                            }
                            Label {
                                id: inListLabel
                                objectName: "inListLabel"
                                visible: row.inList
                                anchors.right: parent.right
                                anchors.verticalCenter: parent.verticalCenter
                                text: qsTr("In your list")
                                font.pixelSize: 12
                                color: row.textColor
                                opacity: 0.7
                            }
                        }
                    }
                }

                Divider { Layout.fillWidth: true }

                RowLayout {
                    Layout.fillWidth: true
                    Layout.margins: 12
                    Layout.leftMargin: 16
                    spacing: 12

                    Label {
                        Layout.fillWidth: true
                        text: qsTr("Stations from the Radio Browser community directory")
                        elide: Text.ElideRight
                        font.pixelSize: 11
                        color: Theme.secondary
                    }
                    PushButton {
                        objectName: "findDoneButton"
                        text: qsTr("Done")
                        onClicked: root.close()
                    }
                }
            }
        }
    }
}
