#pragma once

#include "playback/PlaybackController.h"
#include "support/FakePlatform.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace tunara::testing {

// A controller on the fake platform, with a delegate that records every
// status and metadata report.
class ControllerTest : public ::testing::Test, public PlaybackControllerDelegate {
protected:
    ControllerTest() { controller.setDelegate(this); }
    ~ControllerTest() override { controller.setDelegate(nullptr); }

    void didChangeStatus(PlayingStatus status) override { statuses.push_back(status); }
    void didChangeMetadata(const ParsedMetadata& metadata) override { metadataReports.push_back(metadata); }

    const QUrl url{QStringLiteral("https://radio.example/stream")};
    const QString name{QStringLiteral("Radio Example")};

    void start(bool resetRetryState = true) { controller.play(url, name, resetRetryState); }
    FakePlayerItem& item() { return platform.backend.item(); }
    FakePlayer& player() { return platform.backend.player(); }
    void settle() { platform.clock.runPending(); }

    // A fresh start that reaches playing through the usual reports.
    void startPlaying()
    {
        start();
        item().becomeReady();
        player().reportTimeControlStatus(TimeControlStatus::waitingToPlayAtSpecifiedRate);
        player().reportTimeControlStatus(TimeControlStatus::playing);
        settle();
        ASSERT_EQ(controller.status(), PlayingStatus::playing);
    }

    FakePlatform platform;
    PlaybackController controller{platform.environment()};
    std::vector<PlayingStatus> statuses;
    std::vector<ParsedMetadata> metadataReports;
};

} // namespace tunara::testing
