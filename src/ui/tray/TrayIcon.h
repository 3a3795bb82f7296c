#pragma once

#include <QIcon>
#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>

class QDBusConnection;
class QMenu;

namespace tunara {

// What the icon in the desktop's tray shows.
struct TrayLook {
    bool playing = false;
    // Under the program's name in the tooltip: the station and its track, the
    // status, or the volume for a moment; empty when nothing is selected.
    QString toolTipText;

    friend bool operator==(const TrayLook&, const TrayLook&) = default;
};

// One entry of the tray's menu; a separator has no label.
struct TrayMenuItem {
    QString label;
    std::function<void()> trigger;
    bool enabled = true;
    bool radio = false; // one of a set, of which the checked one is chosen
    bool checked = false;
    QKeySequence shortcut;

    bool isSeparator() const { return label.isEmpty(); }
    // What a host shows; the trigger is not compared.
    bool sameLook(const TrayMenuItem& other) const
    {
        return label == other.label && enabled == other.enabled && radio == other.radio && checked == other.checked
               && shortcut == other.shortcut;
    }
};
using TrayMenu = QList<TrayMenuItem>;

// Hosts disagree on what a wheel notch is: Qt's (KDE Plasma) send the
// wheel's angle, 120 a notch, upwards positive, a touchpad parts of one;
// GTK's (xfce4-panel, waybar) send one a notch, downwards positive. A host
// that has sent a whole multiple of 120 is taken to send angles.
// A tray that hands over Qt wheel events counts in angles from the start.
class ScrollNotches {
public:
    explicit ScrollNotches(bool angles = false) : angles_(angles) {}
    // The whole notches the wheel has turned, upwards positive.
    int add(int delta);

private:
    bool angles_;
    int remainder_ = 0;
};

// The program's icon in the desktop's tray, whichever way the tray speaks:
// the StatusNotifierItem protocol over D-Bus, or XEmbed. The rest of the
// program sets what it shows and follows what the user does with it.
class TrayIcon : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    virtual void setLook(const TrayLook& look) = 0;
    virtual void setMenu(const TrayMenu& menu) = 0;
    // Where the icon is on the screen, when the tray tells; empty otherwise.
    virtual QRect geometry() const { return {}; }

signals:
    // The primary click.
    void activated();
    // The middle click.
    void secondaryActivated();
    // The wheel over the icon, in whole notches, upwards positive.
    void volumeNotches(int notches);
};

namespace tray {

// The name shown as the tooltip's title and as the item's title.
QString programName();
// The themed icon for the look, installed in hicolor with a -symbolic
// variant, and the image for trays that take pictures, drawn in the
// palette's text colour, which the desktop's tray contrasts with.
QString iconName(const TrayLook& look);
QIcon drawnIcon(const TrayLook& look);
// A menu made of the entries, triggering them.
void fillMenu(QMenu& menu, const TrayMenu& items);

} // namespace tray

// The icon as an XEmbed tray shows it, through QSystemTrayIcon.
std::unique_ptr<TrayIcon> makeXEmbedTrayIcon();
// A StatusNotifierItem where a host shows them, else an XEmbed icon where
// there is such a tray; none without a tray.
std::unique_ptr<TrayIcon> makeTrayIcon(const QDBusConnection& bus);

} // namespace tunara
