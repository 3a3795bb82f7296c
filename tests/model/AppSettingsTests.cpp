// The settings file and the volume the Store keeps in it.

#include "model/AppSettings.h"
#include "model/Store.h"
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
    QJsonObject stored() const
    {
        QFile file(url().toLocalFile());
        return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object() : QJsonObject();
    }

    QTemporaryDir dir;
};

struct StoredVolume {
    const char* name;
    QByteArray file; // empty: no file at all
    double volume;
};

class StoredVolumeTest : public SettingsFileTest, public ::testing::WithParamInterface<StoredVolume> {};

TEST_P(StoredVolumeTest, ReadsAsTheVolumeOrTheDefault)
{
    if (!GetParam().file.isNull())
        write(GetParam().file);
    StdoutCapture out;
    EXPECT_EQ(AppSettings::loadVolume(url()), GetParam().volume);
    EXPECT_TRUE(out.lines().isEmpty()) << "never a message for a file that cannot be used";
}

INSTANTIATE_TEST_SUITE_P(
    Files, StoredVolumeTest,
    ::testing::Values(StoredVolume{"Missing", QByteArray(), 1.0}, StoredVolume{"Stored", R"({"volume": 0.4})", 0.4},
                      StoredVolume{"TooLoud", R"({"volume": 7})", 1.0},
                      StoredVolume{"Negative", R"({"volume": -1})", 0.0},
                      StoredVolume{"NotANumber", R"({"volume": "loud"})", 1.0},
                      StoredVolume{"NotAnObject", "[0.4]", 1.0}, StoredVolume{"Corrupt", "{\"volume\": 0.", 1.0},
                      StoredVolume{"Empty", "", 1.0},
                      StoredVolume{"Huge", "{\"volume\": 0.4, \"x\": \"" + QByteArray(100 * 1024, 'x') + "\"}", 1.0}),
    [](const ::testing::TestParamInfo<StoredVolume>& param) { return param.param.name; });

TEST_F(SettingsFileTest, SavingKeepsWhatItDoesNotKnowAndFailsWithoutHarm)
{
    write(R"({"future": "kept"})");
    EXPECT_FALSE(AppSettings::saveVolume(url(), 0.3));
    EXPECT_EQ(stored().value("future").toString(), "kept");
    EXPECT_EQ(stored().value("volume").toDouble(), 0.3);
    EXPECT_EQ(QDir(dir.filePath("tunara")).entryList(QDir::Files | QDir::Hidden), QStringList{"settings.json"});

    UnprivilegedFileAccess::openUp(dir.path());
    QFile::setPermissions(dir.filePath("tunara"), QFileDevice::ReadOwner | QFileDevice::ExeOwner
                                                     | QFileDevice::ReadOther | QFileDevice::ExeOther);
    StdoutCapture out;
    {
        UnprivilegedFileAccess asUser;
        EXPECT_TRUE(AppSettings::saveVolume(url(), 0.8));
    }
    ASSERT_EQ(out.lines().size(), 1);
    EXPECT_TRUE(out.lines()[0].startsWith("Failed to save settings: "));
    EXPECT_EQ(stored().value("volume").toDouble(), 0.3);
}

class StoreVolumeTest : public SettingsFileTest {
protected:
    std::unique_ptr<Store> makeStore()
    {
        auto store = std::make_unique<Store>(platform.environment(), QUrl::fromLocalFile(dir.filePath("database.json")),
                                             url());
        QObject::connect(store.get(), &Store::volumeChanged, [this] { ++notifications; });
        return store;
    }

    FakePlatform platform;
    int notifications = 0;
};

TEST_F(StoreVolumeTest, TheStoredVolumeIsTheBackendsBeforeAnythingPlays)
{
    write(R"({"volume": 0.3})");
    const auto store = makeStore();
    EXPECT_EQ(store->volume(), 0.3);
    EXPECT_EQ(platform.backend.volume(), 0.3);
    EXPECT_TRUE(platform.backend.players.empty());
}

TEST_F(StoreVolumeTest, ChangesReachTheBackendAndTheFileOnceSettled)
{
    const auto store = makeStore();
    store->setVolume(0.5);
    store->setVolume(0.5); // no change, no notification
    store->changeVolume(-Store::volumeStep);
    store->setVolume(-3);
    EXPECT_EQ(store->volume(), 0.0);
    EXPECT_EQ(platform.backend.volume(), 0.0);
    EXPECT_EQ(notifications, 3);

    // Written once the changes have settled for half a second.
    platform.clock.advance(0.499);
    EXPECT_TRUE(stored().isEmpty());
    platform.clock.advance(0.001);
    EXPECT_EQ(stored().value("volume").toDouble(), 0.0);

    // The desktop's mixer moves it; a step from there lands on a whole percent.
    platform.backend.reportVolumeFromOutside(0.333);
    EXPECT_EQ(store->volume(), 0.333);
    EXPECT_EQ(notifications, 4);
    store->changeVolume(Store::volumeStep);
    EXPECT_EQ(store->volume(), 0.38);
    // At the end of the program a settling change is written at once.
    store->saveSettingsNow();
    EXPECT_EQ(stored().value("volume").toDouble(), 0.38);
}

} // namespace
