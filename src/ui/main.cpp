// Tunara: an internet-radio player that lives in the system tray.

#include "Autostart.h"
#include "ColorScheme.h"
#include "MediaBackendModule.h"
#include "SingleInstance.h"
#include "TerminationSignals.h"
#include "Translations.h"
#include "TunaraApp.h"
#include "WaylandInput.h"
#include "model/AppSettings.h"
#include "model/StationLibrary.h"
#include "model/Store.h"
#include "model/TrackHistory.h"
#include "playback/PlaybackController.h"
#include "playback/QtScheduler.h"

#ifdef TUNARA_HAVE_GSTREAMER
#include "playback/gstreamer/GioNetworkMonitor.h"
#include "playback/gstreamer/LogindWakeNotifier.h"
#endif
#ifdef TUNARA_HAVE_NOWPLAYING
#include "common/DisplayText.h"
#include "nowplaying/MprisService.h"
#include "nowplaying/SuspendInhibitor.h"
#include "nowplaying/TrackNotifications.h"
#endif

#include <QApplication>
#include <QDBusConnection>
#include <QIcon>
#include <QQuickView>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QThreadPool>
#include <QtQml/QQmlExtensionPlugin>

#include <cstdio>
#ifdef __GLIBC__
#include <malloc.h>
#endif

Q_IMPORT_QML_PLUGIN(TunaraPlugin)

int main(int argc, char* argv[])
{
    using namespace tunara;

#ifdef __GLIBC__
    // glibc gives threads heaps of their own, up to eight per core, and each
    // station brings new streaming threads: their freed memory would stay
    // spread over many heaps. Two heaps serve a player's few threads.
    mallopt(M_ARENA_MAX, 2);
#endif
    // The panel is small and mostly still: Qt Quick's software renderer
    // draws it at a fraction of the memory of the OpenGL stack.
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    avoidSeatlessWaylandTextInput();

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tunara"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tunara"));
    QApplication::setDesktopFileName(QStringLiteral("tunara"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tunara/icons/tunara.svg")));
    const Translations translations{QLocale()};
    // Hiding the panel or closing Settings must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);

    SingleInstance instance(SingleInstance::defaultSocketPath());
    if (!instance.claim()) {
        if (!instance.activateRunningInstance())
            std::printf("Tunara is already running\n");
        return 0;
    }

    TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &TerminationSignals::terminationRequested, &application,
                     &QCoreApplication::quit);

    // The program's parts, each made after what it uses. Without GStreamer
    // nothing can play, the network is taken as always there and the
    // machine as never sleeping.
    QtScheduler scheduler;
    MediaBackendModule mediaBackend(scheduler);
    PlaybackEnvironment playback{&scheduler, &mediaBackend, nullptr, nullptr};
#ifdef TUNARA_HAVE_GSTREAMER
    LogindWakeNotifier wakeNotifier;
    playback.makeNetworkMonitor = [] { return std::make_unique<GioNetworkMonitor>(); };
    playback.wakeNotifier = &wakeNotifier;
#endif
    PlaybackController player(playback);
    Store store(player, StationLibrary::defaultFileURL(), AppSettings::settingsFileURL(), scheduler);
    ColorScheme colorScheme(QDBusConnection::sessionBus());
    TrackHistory history(HistoryFile::defaultFileURL());
    history.follow(store);
    TunaraApp app(store, history);
#ifdef TUNARA_HAVE_NOWPLAYING
    const auto mpris = MprisService::publish(store, scheduler, QDBusConnection::sessionBus());
    if (mpris) {
        mpris->setQuitHandler([&app] { app.quit(); });
        mpris->setRaiseHandler([&app] { app.showPanel(); });
        mpris->setLogos(&app.logos());
    }
    // A notification for each new track while the panel is not in front, and no
    // idle suspend while sound plays, as the settings say.
    TrackNotifications notifications(QDBusConnection::sessionBus());
    QObject::connect(&store, &Store::trackChanged, &notifications, [&] {
        const std::optional<Track> track = store.track();
        if (!store.desktopOptions().notifiesTracks || !track || !store.selectedStation()
            || (app.hasPanel() && app.panel().isActive()))
            return;
        const QUrl picture(mpris ? mpris->metadata().value(QStringLiteral("mpris:artUrl")).toString() : QString());
        notifications.show({track->title, track->artist.value_or(QString()), cleanDisplayText(store.selectedStation()->name),
                            picture.isLocalFile() ? picture.toLocalFile() : QString()});
    });
    QObject::connect(&store, &Store::desktopOptionsChanged, &notifications, [&] {
        if (!store.desktopOptions().notifiesTracks)
            notifications.withdraw();
    });
    SuspendInhibitor inhibitor(QDBusConnection::sessionBus(), QCoreApplication::translate("main", "Playing a radio station"));
    const auto followPlayback = [&] {
        const PlayingStatus status = store.playingStatus();
        inhibitor.setInhibited(store.desktopOptions().keepsAwakeWhilePlaying
                               && (status == PlayingStatus::playing || status == PlayingStatus::buffering));
    };
    QObject::connect(&store, &Store::playingStatusChanged, &inhibitor, followPlayback);
    QObject::connect(&store, &Store::desktopOptionsChanged, &inhibitor, followPlayback);
#endif

    // The panel is open: a station is likely to be played.
    QObject::connect(&app, &TunaraApp::panelShown, &app, [&mediaBackend] { mediaBackend.prepare(); });
    QObject::connect(&app, &TunaraApp::quitRequested, &application, &QCoreApplication::quit);
    QObject::connect(&instance, &SingleInstance::activationRequested, &app, &TunaraApp::showPanel);
    // However the program ends (Quit, the desktop's media controls, a
    // signal, the end of the session).
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &store, &Store::shutDown);

    // Started at login: in the tray, or without one minimised, taking no focus.
    const bool atLogin = QCoreApplication::arguments().contains(QLatin1String(Autostart::loginArgument));
    app.start(makeTrayIcon(QDBusConnection::sessionBus()), atLogin);
    store.resumeAtStart();
    const int result = application.exec();
    // Work still running on other threads (artwork being drawn, a file being
    // read) ends before the application, whose fonts it may use.
    QThreadPool::globalInstance()->waitForDone();
    return result;
}
