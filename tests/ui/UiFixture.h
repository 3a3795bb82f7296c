#pragma once

// A Store and its player on the fake platform, with the library in a
// temporary folder, and the application shell around them; helpers to show
// the windows, find their items and drive them.

#include "TunaraApp.h"
#include "model/Store.h"
#include "model/TrackHistory.h"
#include "playback/PlaybackController.h"
#include "support/FakePlatform.h"
#include "support/QtPrinters.h"
#include "support/StationNames.h"

#include <QQuickItem>
#include <QQuickView>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace tunara::testing {

class UiHarness {
public:
    UiHarness();

    // Replaces the station list by stations with these names and loopback URLs.
    void setStations(const QStringList& names);
    const Station& station(int index) const { return store->stations().at(index); }
    // A station's id as the views give it.
    QString id(int index) const { return station(index).id.toString(QUuid::WithoutBraces); }
    QStringList names() const { return testing::names(store->stations()); }
    // Plays a station and has its session report what leads to a status
    // and a track.
    void present(int index, PlayingStatus status, const std::optional<Track>& track = std::nullopt);
    QString libraryPath() const;

    QQuickView& showPanel();
    QQuickView& showSettings();

    // The first item of that name below root, depth first. Popups and
    // dialogs live in the window's overlay, beside the root.
    static QQuickItem* find(QQuickView& view, const QString& objectName) { return find(view.contentItem(), objectName); }
    static QQuickItem* find(QQuickItem* root, const QString& objectName);
    // The delegate of a ListView's row, scrolled into view first (rows are
    // made only while in view).
    static QQuickItem* listRow(QQuickItem* list, int index);
    // The row is made and wholly inside the list's viewport.
    static bool inView(QQuickItem* list, int index);
    // How many delegates a ListView has made (rows in view and a few more).
    static int madeRows(QQuickItem* list);
    // The item's centre in window coordinates.
    static QPoint centreOf(QQuickItem* item);

    FakePlatform platform;
    QTemporaryDir directory;
    PlaybackController player{platform.environment()};
    std::unique_ptr<Store> store;
    TrackHistory history{std::nullopt};
    std::unique_ptr<TunaraApp> app;
};

std::optional<Track> metadata(const QString& title, std::optional<QString> artist = std::nullopt);

// The contrast of each text drawn in the window, read from its picture as
// WCAG measures it: the text's most contrasting pixel against the colour
// most of its box has. "text: ratio" for each below the minimum.
QStringList lowContrastTexts(QQuickView& view, double minimum = 4.5);
// The keyboard's ring against the window showing through just inside it,
// read from the window's picture; 0 when no ring is shown.
double focusRingContrast(QQuickView& view);
// "Station 0", "Station 1", ... from first on.
QStringList numberedStations(int count, int first = 0);

// Keys, clicks and lookups by object name in one window. Popups (menus,
// dialogs, sheets) are objects beside the items; they are shown while their
// "visible" holds.
class Window {
public:
    explicit Window(QQuickView& window) : view(window) {}

    QQuickItem* item(const QString& name) const { return UiHarness::find(view, name); }
    // A property of the item or object (a popup, a view model) of that name.
    QVariant get(const QString& name, const char* property) const;
    QString text(const QString& name, const char* property = "text") const { return get(name, property).toString(); }
    // The texts of several items, to compare in one go.
    QStringList texts(std::initializer_list<const char*> names) const;
    bool shown(const QString& name) const { return get(name, "visible").toBool(); }
    bool waitShown(const QString& name, bool shown = true) const
    {
        return QTest::qWaitFor([&] { return this->shown(name) == shown; });
    }
    // Escape, and the popup gone.
    bool escape(const QString& popup) const
    {
        press(Qt::Key_Escape);
        return waitShown(popup, false);
    }
    bool focused(const QString& name) const { return item(name)->hasActiveFocus(); }
    QString selection() const { return view.rootObject()->property("selection").toString(); }
    QQuickItem* row(int index, const char* list = "stationList") const { return UiHarness::listRow(item(list), index); }

    void press(QKeyCombination key) const { QTest::keyClick(&view, key.key(), key.keyboardModifiers()); }
    void press(std::initializer_list<QKeyCombination> keys) const { std::ranges::for_each(keys, [this](auto key) { press(key); }); }
    void type(const QString& characters) const
    {
        for (const QChar character : characters)
            QTest::keyClick(&view, character.toLatin1());
    }
    void click(QQuickItem* target, Qt::MouseButton button = Qt::LeftButton) const
    {
        QTest::mouseClick(&view, button, {}, UiHarness::centreOf(target));
    }
    void click(const QString& name) const { click(item(name)); }
    // Presses on one point and moves the pointer to another in steps, the
    // button held.
    void drag(QPoint from, QPoint to, int steps) const;

    QQuickView& view;
};

class UiTest : public ::testing::Test {
protected:
    UiHarness ui;
};

} // namespace tunara::testing
