import QtQuick

// A symbol image drawn at a type size, in a colour.
Image {
    property string name
    property color tint: Theme.primary
    property real pointSize: 12

    source: name === "" ? "" : Theme.symbol(name, tint)
    sourceSize: Qt.size(Math.ceil(pointSize * 1.25), Math.ceil(pointSize * 1.25))
    width: sourceSize.width
    height: sourceSize.height
    smooth: true
}
