// Tunara: an internet-radio player that lives in the system tray.

#include "AppDelegate.h"
#include "AppEnvironment.h"
#include "SingleInstance.h"
#include "TerminationSignals.h"
#include "TunaraApp.h"
#include "WaylandInput.h"
#include "model/Store.h"

#include <QApplication>
#include <QIcon>
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

    Store::provideSharedEnvironment(makeAppEnvironment);
    Store& store = Store::shared();

    TunaraApp app(store);
    QObject::connect(&app, &TunaraApp::quitRequested, &application, &QCoreApplication::quit);
    QObject::connect(&instance, &SingleInstance::activationRequested, &app, &TunaraApp::showPanel);
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &app,
                     [&store] { AppDelegate::applicationWillTerminate(store); });
    connectRemoteApplicationCommands([&app] { app.quit(); }, [&app] { app.showPanel(); });

    app.start(TunaraApp::presentationForThisDesktop());
    const int result = application.exec();
    // Work still running on other threads (artwork being drawn, a file being
    // read) ends before the application, whose fonts it may use.
    QThreadPool::globalInstance()->waitForDone();
    return result;
}
