import QtQuick

// A one-pixel horizontal separator line.
Rectangle {
    implicitHeight: 1
    color: Theme.separator
}
