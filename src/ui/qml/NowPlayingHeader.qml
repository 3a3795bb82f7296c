import QtQuick
import Tunara

// The header of the panel: what the player does for the selected station,
// the play/pause button, and the station's logo when it has one.
Item {
    id: root
    required property StoreViewModel store
    property bool isHoveringPlayButton: false

    readonly property int status: store.status
    readonly property bool isBusy: status === StoreViewModel.Connecting
    readonly property bool isWaiting: isBusy || status === StoreViewModel.Buffering
    readonly property bool showsPause: status === StoreViewModel.Buffering || status === StoreViewModel.Playing

    implicitWidth: 236
    implicitHeight: store.hasSelection ? Math.max(playButton.height, textColumn.implicitHeight) : 32

    Text {
        objectName: "selectStationText"
        visible: !root.store.hasSelection
        Accessible.role: Accessible.StaticText
        Accessible.name: text
        Accessible.ignored: !visible
        anchors.centerIn: parent
        text: qsTr("Select a stream")
        color: Theme.secondary
        font.pixelSize: Theme.bodySize
    }

    Item {
        id: playButton
        objectName: "playButton"
        visible: root.store.hasSelection
        width: 32
        height: 32
        anchors.left: parent.left
        anchors.verticalCenter: parent.verticalCenter
        scale: root.isHoveringPlayButton ? 1.05 : 1.0
        Behavior on scale { NumberAnimation { duration: 150; easing.type: Easing.InOutQuad } }

        readonly property string accessibilityLabel: root.store.playButtonName
        readonly property color circleColor: root.isBusy ? Theme.gray : Theme.accent
        readonly property string symbolName: root.isBusy ? "" : root.showsPause ? "pause.fill"
                                                             : root.status === StoreViewModel.Failed ? "arrow.clockwise"
                                                                                                     : "play.fill"

        activeFocusOnTab: true
        Keys.onReturnPressed: root.store.togglePlayPause()
        Keys.onEnterPressed: root.store.togglePlayPause()
        Keys.onSpacePressed: root.store.togglePlayPause()

        Accessible.role: Accessible.Button
        Accessible.name: accessibilityLabel
        Accessible.ignored: !visible
        Accessible.focusable: true
        Accessible.focused: activeFocus
        Accessible.onPressAction: root.store.togglePlayPause()

        Rectangle {
            anchors.fill: parent
            radius: width / 2
            color: playButton.circleColor
        }
        FocusRing {
            visible: playButton.activeFocus
            outset: 4
            radius: width / 2
        }
        Spinner {
            objectName: "spinner"
            Accessible.ignored: true
            visible: root.isBusy
            anchors.centerIn: parent
        }
        Symbol {
            objectName: "playSymbol"
            visible: !root.isBusy
            anchors.centerIn: parent
            name: playButton.symbolName
            tint: "white"
            pointSize: 12
        }
        MouseArea {
            anchors.fill: parent
            hoverEnabled: true
            onContainsMouseChanged: root.isHoveringPlayButton = containsMouse
            onClicked: root.store.togglePlayPause()
        }
    }

    Image {
        id: headerLogo
        objectName: "headerLogo"
        visible: root.store.hasSelection && root.store.selectedLogo !== ""
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        width: 32
        height: 32
        source: root.store.selectedLogo
        sourceSize: Qt.size(64, 64)
        fillMode: Image.PreserveAspectFit
        asynchronous: true
        Accessible.ignored: true
    }

    Column {
        id: textColumn
        objectName: "textColumn"
        visible: root.store.hasSelection
        anchors.left: parent.left
        anchors.leftMargin: playButton.width + 12
        width: Math.max(0, root.width - playButton.width - 12 - (headerLogo.visible ? headerLogo.width + 8 : 0))
        anchors.verticalCenter: parent.verticalCenter
        spacing: 2

        // A screen reader reads the column as one line: the title, the
        // artist and the station, or the station and what is happening.
        Accessible.role: Accessible.StaticText
        Accessible.ignored: !visible
        Accessible.name: root.store.spokenNowPlaying

        // error: a red line, and why under it.
        Text {
            objectName: "errorText"
            visible: root.status === StoreViewModel.Failed
            text: root.store.progressText
            color: Theme.red
            font.pixelSize: 13
        }
        Text {
            objectName: "failureReasonText"
            visible: root.status === StoreViewModel.Failed && text !== ""
            width: parent.width
            text: root.store.failureText
            textFormat: Text.PlainText
            font.pixelSize: 11
            color: Theme.secondary
            wrapMode: Text.Wrap
            maximumLineCount: 2
            elide: Text.ElideRight
        }

        // loading and buffering: the station above what is happening.
        Text {
            objectName: "stationTitleText"
            visible: root.isWaiting
            width: parent.width
            text: root.store.selectedName
            textFormat: Text.PlainText
            font.pixelSize: 13
            font.weight: Font.DemiBold
            color: Theme.primary
            maximumLineCount: 1
            elide: Text.ElideRight
        }
        Text {
            objectName: "progressText"
            visible: root.isWaiting
            text: root.store.progressText
            font.pixelSize: 11
            color: Theme.secondary
        }

        // playing: the title scrolls; paused: it stands, truncated.
        MarqueeText {
            objectName: "titleMarquee"
            visible: root.status === StoreViewModel.Playing
            width: parent.width
            height: 16
            text: root.store.title
            font.pixelSize: 13
            font.weight: Font.Medium
            speed: 30
            spacing: 40
            pauseDuration: 2
        }
        Text {
            objectName: "titleText"
            visible: root.status === StoreViewModel.Paused
            width: parent.width
            height: 16
            verticalAlignment: Text.AlignVCenter
            text: root.store.title
            textFormat: Text.PlainText
            font.pixelSize: 13
            font.weight: Font.Medium
            color: Theme.primary
            maximumLineCount: 1
            elide: Text.ElideRight
        }
        Row {
            id: detailLine
            objectName: "detailLine"
            visible: root.status === StoreViewModel.Playing || root.status === StoreViewModel.Paused
            width: parent.width
            spacing: 4

            // The station name keeps at least 40 % of the line when both
            // are too long; otherwise each text takes what it needs.
            readonly property real separatorSpace: root.store.hasArtist ? separator.implicitWidth + 2 * spacing : 0
            readonly property real textSpace: Math.max(0, width - separatorSpace)
            readonly property real stationWidth: Math.min(stationName.implicitWidth,
                                                          Math.max(textSpace * 0.4, textSpace - artistName.implicitWidth))

            Text {
                id: artistName
                objectName: "artistText"
                visible: root.store.hasArtist
                width: Math.min(implicitWidth, detailLine.textSpace - detailLine.stationWidth)
                text: root.store.artist
                textFormat: Text.PlainText
                font.pixelSize: 11
                color: Theme.primary
                maximumLineCount: 1
                elide: Text.ElideRight
            }
            Text {
                id: separator
                objectName: "artistSeparator"
                visible: root.store.hasArtist
                text: "·"
            Accessible.ignored: true
                font.pixelSize: 11
                // A dot this small needs the full text colour to be seen.
                color: Theme.primary
            }
            Text {
                id: stationName
                objectName: "stationNameText"
                width: detailLine.stationWidth
                text: root.store.selectedName
                textFormat: Text.PlainText
                font.pixelSize: 11
                color: Theme.secondary
                maximumLineCount: 1
                elide: Text.ElideRight
            }
        }
        // What the stream is, under what it plays.
        Text {
            objectName: "streamDetailsText"
            visible: (root.status === StoreViewModel.Playing || root.status === StoreViewModel.Paused) && text !== ""
            width: parent.width
            text: root.store.streamDetailsText
            textFormat: Text.PlainText
            font.pixelSize: 10
            color: Theme.secondary
            maximumLineCount: 1
            elide: Text.ElideRight
            Accessible.role: Accessible.StaticText
            Accessible.name: text
            Accessible.ignored: !visible
        }
    }
}
