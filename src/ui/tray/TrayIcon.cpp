#include "TrayIcon.h"

#include "StatusWording.h"

#include <QAction>
#include <QActionGroup>
#include <QCursor>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPalette>
#include <QSvgRenderer>
#include <QSystemTrayIcon>
#include <QToolTip>
#include <QWheelEvent>

namespace tunara {

int ScrollNotches::add(int delta)
{
    constexpr int notch = 120;
    if (delta != 0 && delta % notch == 0)
        angles_ = true;
    if (!angles_)
        return -delta;
    remainder_ += delta;
    const int notches = remainder_ / notch;
    remainder_ -= notches * notch;
    return notches;
}

namespace tray {

QString programName()
{
    return QStringLiteral("Tunara");
}

QString iconName(const TrayLook& look)
{
    return look.playing ? QStringLiteral("tunara-tray-playing") : QStringLiteral("tunara-tray");
}

QIcon drawnIcon(const TrayLook& look)
{
    static QHash<QString, QIcon> drawn; // one per image and colour for the run
    const QString colour = QGuiApplication::palette().color(QPalette::WindowText).name();
    const QString resource = StatusWording::trayIconPath(look.playing ? PlayingStatus::playing : PlayingStatus::paused);
    const QString key = resource + colour;
    if (const auto found = drawn.constFind(key); found != drawn.constEnd())
        return *found;
    QFile file(resource);
    file.open(QIODevice::ReadOnly);
    QSvgRenderer renderer(file.readAll().replace("#8a8a8a", colour.toLatin1()));
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return *drawn.insert(key, icon);
}

void fillMenu(QMenu& menu, const TrayMenu& items)
{
    menu.clear();
    auto* stations = new QActionGroup(&menu);
    for (const TrayMenuItem& item : items) {
        if (item.isSeparator()) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(item.label);
        action->setEnabled(item.enabled);
        action->setShortcut(item.shortcut);
        action->setShortcutVisibleInContextMenu(true);
        if (item.radio) {
            action->setCheckable(true);
            action->setChecked(item.checked);
            action->setActionGroup(stations);
        }
        QObject::connect(action, &QAction::triggered, &menu, item.trigger);
    }
}

} // namespace tray

namespace {

class XEmbedTrayIcon final : public TrayIcon {
public:
    XEmbedTrayIcon()
    {
        icon_.setContextMenu(&menu_);
        icon_.installEventFilter(this);
        connect(&icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                emit activated();
            else if (reason == QSystemTrayIcon::MiddleClick)
                emit secondaryActivated();
        });
        icon_.setIcon(tray::drawnIcon({}));
        icon_.setToolTip(tray::programName());
        icon_.show();
    }

    void setLook(const TrayLook& look) override
    {
        icon_.setIcon(tray::drawnIcon(look));
        icon_.setToolTip(look.toolTipText.isEmpty() ? tray::programName()
                                                    : tray::programName() + u'\n' + look.toolTipText);
    }
    void setMenu(const TrayMenu& items) override { tray::fillMenu(menu_, items); }
    QRect geometry() const override { return icon_.geometry(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The tray hands wheel events over the icon to the icon.
        if (watched == &icon_ && event->type() == QEvent::Wheel) {
            if (const int notches = notches_.add(static_cast<QWheelEvent*>(event)->angleDelta().y())) {
                emit volumeNotches(notches);
                // The new level, where the pointer is.
                if (icon_.geometry().isValid())
                    QToolTip::showText(QCursor::pos(), icon_.toolTip());
            }
            return true;
        }
        return TrayIcon::eventFilter(watched, event);
    }

private:
    QMenu menu_;
    QSystemTrayIcon icon_;
    ScrollNotches notches_{true};
};

} // namespace

std::unique_ptr<TrayIcon> makeXEmbedTrayIcon()
{
    return std::make_unique<XEmbedTrayIcon>();
}

} // namespace tunara
