import QtQuick

// Where a screen reader hears what the program announces (see
// Announcement.cpp): each announcement a notification of its own that draws
// nothing and shows once, so a reader that comes to one late still reads its
// own text, not the next one's. The last few are kept.
Item {
    objectName: "announcer"
    width: 1
    height: 1

    function say(text) {
        said.append({ text: text })
        if (said.count > 4)
            said.remove(0)
    }

    ListModel { id: said }

    Repeater {
        model: said
        Item {
            required property string text
            width: 1
            height: 1
            visible: false
            Accessible.role: Accessible.Notification
            Accessible.name: text
            Component.onCompleted: visible = true
        }
    }
}
