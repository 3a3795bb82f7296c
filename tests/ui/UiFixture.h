#pragma once

// A Store on the fake platform, with its library in a temporary folder, and
// the application shell around it; helpers to show the windows and find
// their items.

#include "TunaraApp.h"
#include "model/Store.h"
#include "support/FakePlatform.h"

#include <QQuickItem>
#include <QQuickView>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace tunara::testing {

class UiHarness {
public:
    UiHarness();

    // Replaces the station list by stations with these names and loopback URLs.
    void setStations(const QStringList& names);
    const AudioStream& station(int index) const { return store->streams().at(index); }
    // Selects a station and makes the Store report a status and metadata, as
    // the controller would.
    void present(int index, PlayingStatus status, const ParsedMetadata& metadata = {});
    QString libraryPath() const;

    QQuickView& showPanel();
    QQuickView& showSettings();

    // Popups and dialogs live in the window's overlay, beside the root.
    static QQuickItem* find(QQuickView& view, const QString& objectName) { return find(view.contentItem(), objectName); }
    static QQuickItem* find(QQuickItem* root, const QString& objectName);
    // Every item below root in the visual tree, depth first.
    static QList<QQuickItem*> descendants(QQuickItem* root);
    // The delegate of a ListView's row, scrolled into view first (rows are
    // made only while in view).
    static QQuickItem* listRow(QQuickItem* list, int index);
    // How many delegates a ListView has made (rows in view and a few more).
    static int madeRows(QQuickItem* list);
    // The item's centre in window coordinates.
    static QPoint centreOf(QQuickItem* item);

    FakePlatform platform;
    QTemporaryDir directory;
    std::unique_ptr<Store> store;
    std::unique_ptr<TunaraApp> app;
};

ParsedMetadata metadata(const QString& title, std::optional<QString> artist = std::nullopt);

class UiTest : public ::testing::Test {
protected:
    UiHarness ui;
};

} // namespace tunara::testing
