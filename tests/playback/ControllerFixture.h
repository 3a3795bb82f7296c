#pragma once

#include "playback/PlaybackController.h"
#include "support/FakePlatform.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace tunara::testing {

// A controller on the fake platform, recording every status change, track
// change and publication.
class ControllerTest : public ::testing::Test {
protected:
    ControllerTest()
    {
        QObject::connect(&controller, &PlaybackController::statusChanged,
                         [this](PlayingStatus status) { statuses.push_back(status); });
        QObject::connect(&controller, &PlaybackController::trackChanged,
                         [this] { tracks.push_back(controller.track()); });
        QObject::connect(&controller, &PlaybackController::nowPlayingChanged,
                         [this] { published.push_back(controller.nowPlaying()); });
    }

    const QUrl url{QStringLiteral("https://radio.example/stream")};
    const QString name{QStringLiteral("Radio Example")};

    void start(bool resetRetryState = true) { controller.play(url, name, resetRetryState); }
    FakeSession& session() { return platform.backend.session(); }
    void report(const SessionEvent& event) { session().report(event); }

    // A fresh start that reaches playing through the usual reports.
    void startPlaying()
    {
        start();
        report(SessionState::buffering);
        report(SessionState::playing);
        ASSERT_EQ(controller.status(), PlayingStatus::playing);
    }
    // The latest publication: the track's title or else the station's, and
    // whether it plays; "cleared" after a stop.
    std::pair<QString, bool> lastPublished() const
    {
        const auto& last = published.back();
        if (!last)
            return {QStringLiteral("cleared"), false};
        return {last->track ? last->track->title : last->station, last->playing};
    }

    FakePlatform platform;
    PlaybackController controller{platform.environment()};
    std::vector<PlayingStatus> statuses;
    std::vector<std::optional<Track>> tracks;
    std::vector<std::optional<NowPlaying>> published;
};

} // namespace tunara::testing
