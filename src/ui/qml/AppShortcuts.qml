import QtQuick
import Tunara

// The keyboard commands of both windows: Ctrl+1 … Ctrl+9 play the first
// nine stations, Ctrl+, opens Settings, Ctrl+Q quits.
Item {
    id: root
    required property StoreViewModel store
    required property AppCommands app

    Shortcut { sequence: "Ctrl+1"; onActivated: root.store.playStationAt(0) }
    Shortcut { sequence: "Ctrl+2"; onActivated: root.store.playStationAt(1) }
    Shortcut { sequence: "Ctrl+3"; onActivated: root.store.playStationAt(2) }
    Shortcut { sequence: "Ctrl+4"; onActivated: root.store.playStationAt(3) }
    Shortcut { sequence: "Ctrl+5"; onActivated: root.store.playStationAt(4) }
    Shortcut { sequence: "Ctrl+6"; onActivated: root.store.playStationAt(5) }
    Shortcut { sequence: "Ctrl+7"; onActivated: root.store.playStationAt(6) }
    Shortcut { sequence: "Ctrl+8"; onActivated: root.store.playStationAt(7) }
    Shortcut { sequence: "Ctrl+9"; onActivated: root.store.playStationAt(8) }
    Shortcut { sequence: "Ctrl+,"; onActivated: root.app.openSettings() }
    Shortcut { sequence: "Ctrl+Q"; onActivated: root.app.quit() }
}
