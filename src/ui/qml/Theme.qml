pragma Singleton
import QtQuick

// Colours and type sizes shared by the views, taken from the desktop's
// palette so the panel follows light and dark themes.
QtObject {
    readonly property SystemPalette palette: SystemPalette { colorGroup: SystemPalette.Active }

    // Text in every shade keeps 4.5:1 against the background, light or dark.
    readonly property color primary: palette.windowText
    readonly property color secondary: Qt.rgba(primary.r, primary.g, primary.b, 0.72)
    readonly property color tertiary: Qt.rgba(primary.r, primary.g, primary.b, 0.66)
    readonly property color accent: palette.highlight
    readonly property color background: palette.window
    readonly property bool dark: background.hslLightness < 0.5
    readonly property color separator: Qt.rgba(primary.r, primary.g, primary.b, 0.15)
    readonly property color hoverFill: Qt.rgba(primary.r, primary.g, primary.b, 0.08)
    readonly property color gray: "#8e8e93"
    readonly property color red: dark ? "#ff6b5e" : "#c42b1c"

    // The body text size of the views, in device-independent pixels.
    readonly property int bodySize: 13
    readonly property string monospaceFamily: "monospace"

    // The source of a symbol image tinted in a colour.
    function symbol(name, tint) {
        return "image://symbol/" + name + "?color=" + encodeURIComponent(String(tint))
    }
}
