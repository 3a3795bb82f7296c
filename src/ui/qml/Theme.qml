pragma Singleton
import QtQuick

// Colours and type sizes shared by the views, taken from the desktop's
// palette so the panel follows light and dark themes.
QtObject {
    readonly property SystemPalette palette: SystemPalette { colorGroup: SystemPalette.Active }

    readonly property color primary: palette.windowText
    readonly property color secondary: Qt.rgba(primary.r, primary.g, primary.b, 0.55)
    readonly property color tertiary: Qt.rgba(primary.r, primary.g, primary.b, 0.3)
    readonly property color accent: palette.highlight
    readonly property color background: palette.window
    readonly property color separator: Qt.rgba(primary.r, primary.g, primary.b, 0.15)
    readonly property color hoverFill: Qt.rgba(primary.r, primary.g, primary.b, 0.08)
    readonly property color gray: "#8e8e93"
    readonly property color red: "#ff3b30"

    // The body text size of the views, in device-independent pixels.
    readonly property int bodySize: 13
    readonly property string monospaceFamily: "monospace"

    // The source of a symbol image tinted in a colour.
    function symbol(name, tint) {
        return "image://symbol/" + name + "?color=" + encodeURIComponent(String(tint))
    }
}
