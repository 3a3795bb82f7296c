import QtQuick
import Tunara

// The panel under the tray icon: the now-playing header, the stations,
// and the Settings and Quit items.
Rectangle {
    id: root
    // Right-to-left languages lay the window out mirrored.
    LayoutMirroring.enabled: Qt.application.layoutDirection === Qt.RightToLeft
    LayoutMirroring.childrenInherit: true
    required property StoreViewModel store
    required property AppCommands app
    // The id of the station row under the pointer; empty for none.
    property string hoveredStation: ""

    readonly property int maximumListHeight: 256

    // A leave that arrives after the next row's enter must not erase the
    // next row's highlight.
    function rowEntered(stationId) { hoveredStation = stationId }
    function rowExited(stationId) {
        if (hoveredStation === stationId)
            hoveredStation = ""
    }

    width: 260
    implicitWidth: 260
    implicitHeight: column.implicitHeight
    color: Theme.background
    border.color: Theme.separator

    // Escape closes the sleep timer's choices, else the panel.
    Shortcut {
        sequence: "Escape"
        onActivated: {
            if (root.choosingSleep) {
                root.choosingSleep = false
                stationList.forceActiveFocus()
            } else {
                root.app.dismissPanel()
            }
        }
    }

    AppShortcuts { store: root.store; app: root.app }
    // The volume, a step at a time, while the panel is open.
    Shortcut { sequence: "Ctrl+Up"; onActivated: root.store.changeVolume(1) }
    Shortcut { sequence: "Ctrl+Down"; onActivated: root.store.changeVolume(-1) }
    // Finding or adding a station from the panel, by keyboard.
    Shortcut { sequences: [StandardKey.Find]; onActivated: root.app.findStations() }
    Shortcut { sequences: [StandardKey.New]; onActivated: root.app.addStation() }
    // What was played.
    Shortcut { sequence: "Ctrl+H"; onActivated: root.app.openHistory() }
    // The sleep timer's choices, in place of the header (also from the tray
    // menu and by clicking the time left).
    property bool choosingSleep: false
    Shortcut { sequence: "Ctrl+T"; onActivated: root.choosingSleep = !root.choosingSleep }
    Connections {
        target: root.app
        function onSleepTimerChoiceRequested() { root.choosingSleep = true }
    }

    Column {
        id: column
        width: parent.width
        spacing: 0

        Item {
            width: parent.width
            implicitHeight: (root.choosingSleep ? sleepSheet.implicitHeight : header.implicitHeight
                             + (sleepLeft.visible ? sleepLeft.implicitHeight + 4 : 0)) + 12 + 8
            NowPlayingHeader {
                id: header
                objectName: "header"
                visible: !root.choosingSleep
                store: root.store
                x: 12
                y: 12
                width: parent.width - 24
                height: implicitHeight
            }
            Text {
                id: sleepLeft
                objectName: "sleepText"
                visible: !root.choosingSleep && text !== ""
                anchors.left: parent.left
                anchors.leftMargin: 12
                y: header.y + header.height + 4
                text: root.store.sleepText
                font.pixelSize: 11
                color: Theme.secondary
                Accessible.role: Accessible.StaticText
                Accessible.name: text
                Accessible.ignored: !visible
                MouseArea {
                    anchors.fill: parent
                    onClicked: root.choosingSleep = true
                }
            }
            SleepTimerSheet {
                id: sleepSheet
                objectName: "sleepTimerSheet"
                visible: root.choosingSleep
                store: root.store
                x: 12
                y: 12
                width: parent.width - 24
                height: implicitHeight
                onVisibleChanged: if (visible) forceActiveFocus()
                onDone: {
                    root.choosingSleep = false
                    stationList.forceActiveFocus()
                }
            }
        }

        Divider { x: 8; width: parent.width - 16 }

        Item {
            objectName: "emptyList"
            visible: root.store.stations.count === 0
            width: parent.width
            implicitHeight: visible ? emptyColumn.implicitHeight + 32 : 0
            Column {
                id: emptyColumn
                anchors.centerIn: parent
                spacing: 4
                Text {
                    objectName: "emptyListText"
                    anchors.horizontalCenter: parent.horizontalCenter
                    text: qsTr("No streams added")
                    font.pixelSize: 12
                    color: Theme.secondary
                }
                // The first steps, by keyboard.
                Text {
                    objectName: "firstStepsText"
                    anchors.horizontalCenter: parent.horizontalCenter
                    // Longer in some languages: two lines rather than wider.
                    width: Math.min(implicitWidth, root.width - 32)
                    wrapMode: Text.WordWrap
                    horizontalAlignment: Text.AlignHCenter
                    text: qsTr("Ctrl+F finds stations, Ctrl+N adds one")
                    font.pixelSize: 11
                    color: Theme.secondary
                }
            }
        }

        // Rows are made only for the stations in view, so a long list costs
        // no more than the screenful shown.
        ListView {
            id: stationList
            objectName: "stationList"
            visible: count > 0
            width: parent.width
            height: visible ? Math.min(contentHeight + topMargin + bottomMargin, root.maximumListHeight) : 0
            topMargin: 6
            bottomMargin: 6
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            model: root.store.stations
            focus: true
            activeFocusOnTab: true
            // No row is current until the keyboard is used.
            currentIndex: -1
            keyNavigationEnabled: true
            highlightMoveDuration: 0
            Keys.onReturnPressed: playCurrent()
            Keys.onEnterPressed: playCurrent()
            Keys.onSpacePressed: playCurrent()
            function playCurrent() {
                if (currentIndex >= 0)
                    root.store.playStationAt(currentIndex)
            }
            // A station just added is the keyboard's row: Return plays it.
            // (Once the list has its row.)
            function makeCurrent(row) { currentIndex = row }
            Connections {
                target: root.store.stations
                function onRowsInserted(parent, first, last) { Qt.callLater(stationList.makeCurrent, last) }
            }

            Accessible.role: Accessible.List
            Accessible.name: qsTr("Stations")

            delegate: StationRow {
                x: 6
                width: stationList.width - 12
                highlighted: root.hoveredStation === stationId
                keyboardCurrent: ListView.isCurrentItem && stationList.activeFocus
                onHoveredChanged: hovered ? root.rowEntered(stationId) : root.rowExited(stationId)
                onClicked: root.store.playStation(stationId)
            }

            // The scroll indicator, shown while the list scrolls.
            Rectangle {
                visible: stationList.contentHeight + stationList.topMargin + stationList.bottomMargin > stationList.height
                x: root.LayoutMirroring.enabled ? 2 : stationList.width - width - 2
                y: stationList.visibleArea.yPosition * stationList.height
                width: 4
                height: stationList.visibleArea.heightRatio * stationList.height
                radius: 2
                color: Theme.tertiary
            }
        }

        Divider { x: 8; width: parent.width - 16 }

        Column {
            x: 6
            width: parent.width - 12
            topPadding: 6
            bottomPadding: 6
            spacing: 2

            MenuItemButton {
                objectName: "settingsItem"
                width: parent.width
                title: qsTr("Settings…")
                shortcut: root.app.settingsHint
                onClicked: root.app.openSettings()
            }
            MenuItemButton {
                objectName: "quitItem"
                width: parent.width
                title: qsTr("Quit Tunara")
                shortcut: root.app.quitHint
                onClicked: root.app.quit()
            }
        }
    }

    // The volume for a moment after it changes, whether by keys, the tray's
    // wheel or the desktop's mixer, laid over the header, which stays as it
    // is. A screen reader reads it by its name.
    Rectangle {
        id: volumeLevel
        objectName: "volumeLevel"
        visible: volumeShown.running
        x: 8
        y: 8
        z: 2
        width: parent.width - 16
        height: 48
        radius: 8
        color: Theme.background
        border.color: Theme.separator

        Accessible.role: Accessible.ProgressBar
        Accessible.name: root.store.volumeText
        Accessible.ignored: !visible

        Timer { id: volumeShown; interval: 1500 }
        Connections {
            target: root.store
            function onVolumeChanged() { volumeShown.restart() }
        }

        Text {
            objectName: "volumeText"
            x: 12
            y: 7
            text: root.store.volumeText
            Accessible.ignored: true
            font.pixelSize: 12
            color: Theme.primary
        }
        Rectangle {
            x: 12
            y: 30
            width: parent.width - 24
            height: 6
            radius: 3
            color: Theme.separator
            Rectangle {
                anchors.left: parent.left
                width: parent.width * root.store.volumePercent / 100
                height: parent.height
                radius: 3
                color: Theme.accent
            }
        }
    }

    Announcer {}
}
