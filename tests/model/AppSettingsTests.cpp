// The settings file and the volume the Store keeps in it.

#include "model/AppSettings.h"
#include "model/Store.h"
#include "playback/PlaybackController.h"
#include "support/FakePlatform.h"
#include "support/QtPrinters.h"
#include "support/StdoutCapture.h"
#include "support/UnprivilegedFileAccess.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tunara;
using namespace tunara::testing;

namespace {

class SettingsFileTest : public ::testing::Test {
protected:
    QUrl url() const { return QUrl::fromLocalFile(dir.filePath("tunara/settings.json")); }
    void write(const QByteArray& bytes) const
    {
        QDir(dir.path()).mkpath("tunara");
        QFile file(url().toLocalFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    double stored() const { return AppSettings::loadVolume(url()); }

    QTemporaryDir dir;
};

TEST_F(SettingsFileTest, StoredVolumeIsClampedAndAnUnusableFileMeansFullVolumeSilently)
{
    const std::pair<QByteArray, double> cases[] = {
        {{}, 1.0}, // no file at all
        {R"({"volume": 0.4})", 0.4},
        {R"({"volume": 7})", 1.0},
        {R"({"volume": -1})", 0.0},
        {R"({"volume": "loud"})", 1.0},
        {"{\"volume\": 0.", 1.0},
        {"{\"volume\": 0.4, \"x\": \"" + QByteArray(100 * 1024, 'x') + "\"}", 1.0},
    };
    StdoutCapture out;
    for (const auto& [bytes, volume] : cases) {
        if (!bytes.isNull())
            write(bytes);
        EXPECT_EQ(AppSettings::loadVolume(url()), volume) << bytes.left(40).constData();
    }
    EXPECT_TRUE(out.lines().isEmpty());
}

TEST_F(SettingsFileTest, TheStoreVolumeReachesTheBackendAndTheFileOnceSettledKeepingTheRest)
{
    write(R"({"future": "kept", "volume": 0.3})");
    FakePlatform platform;
    PlaybackController player(platform.environment());
    Store store(player, QUrl::fromLocalFile(dir.filePath("database.json")), url(), platform.clock);
    int notifications = 0;
    QObject::connect(&store, &Store::volumeChanged, [&] { ++notifications; });
    // From the first sample on.
    EXPECT_EQ(store.volume(), 0.3);
    store.playStation(store.stations().at(0).id);
    EXPECT_EQ(platform.backend.session().volume, 0.3);

    store.setVolume(0.5);
    store.setVolume(0.5); // no change, no notification
    store.changeVolume(-0.05);
    EXPECT_EQ(store.volume(), 0.45);
    store.setVolume(1.5);
    EXPECT_EQ(store.volume(), 1.0);
    store.setVolume(-3);
    EXPECT_EQ(store.volume(), 0.0);
    EXPECT_EQ(platform.backend.session().volume, 0.0);
    EXPECT_EQ(notifications, 4);

    // Written once the changes have settled for half a second.
    platform.clock.advance(0.499);
    EXPECT_EQ(stored(), 0.3);
    platform.clock.advance(0.001);
    EXPECT_EQ(stored(), 0.0);

    // The desktop's mixer moves it; a step from there lands on a whole percent.
    platform.backend.session().report(MixerVolume{0.333});
    EXPECT_EQ(store.volume(), 0.333);
    EXPECT_EQ(notifications, 5);
    store.changeVolume(0.05);
    EXPECT_EQ(store.volume(), 0.38);
    // At the end of the program a settling change is written at once,
    // keeping what the file holds that this player does not know.
    store.saveSettingsNow();
    QFile file(url().toLocalFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QJsonDocument::fromJson(file.readAll()).object(), QJsonObject({{"future", "kept"}, {"volume", 0.38}}));
    EXPECT_EQ(QDir(dir.filePath("tunara")).entryList(QDir::Files | QDir::Hidden), QStringList{"settings.json"});

    // A save that fails is printed and leaves the file as it was.
    UnprivilegedFileAccess::openUp(dir.path());
    QFile::setPermissions(dir.filePath("tunara"), QFileDevice::ReadOwner | QFileDevice::ExeOwner
                                                     | QFileDevice::ReadOther | QFileDevice::ExeOther);
    store.setVolume(0.8);
    StdoutCapture out;
    {
        UnprivilegedFileAccess asUser;
        store.saveSettingsNow();
    }
    EXPECT_EQ(out.lines().filter("Failed to save settings: ").size(), 1);
    EXPECT_EQ(stored(), 0.38);
}

} // namespace
