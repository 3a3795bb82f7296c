import QtQuick

// Where a screen reader hears what the program announces (see
// Announcement.cpp): a notification that draws nothing, named and shown
// anew for each announcement.
Item {
    objectName: "announcer"
    width: 1
    height: 1
    visible: false
    Accessible.role: Accessible.Notification
    Accessible.name: ""
}
