// When a live stream plays, waits and at which tempo, from the seconds of
// audio buffered in front of the sink.

#include "BufferPolicy.h"

#include <gtest/gtest.h>

namespace tunara::gst {
namespace {

struct Step {
    bool wantsToPlay;
    double level;
    bool inputEnded;
    bool render;
    double tempo;
};

constexpr double slow = 0.96;

TEST(BufferPolicyTest, RendersAndSetsTheTempoByTheBufferedSeconds)
{
    const std::vector<Step> scenarios[] = {
        // It starts on a small buffer and grows it playing slower.
        {{false, 0.0, false, false, slow}, // loading, not asked to play
         {true, 0.1, false, false, slow},  // asked, too little yet
         {true, 0.3, false, true, slow},   // start level reached
         {true, 0.1, false, true, slow},   // low but not dry: keeps playing
         {true, 2.9, false, true, slow},   // growing
         {true, 3.0, false, true, 1.0},    // target: normal tempo
         {true, 2.7, false, true, 1.0},    // within the hysteresis
         {true, 2.4, false, true, slow}},  // fell below it: slower again
        // Running dry, it waits until the resume level.
        {{true, 0.5, false, true, slow},
         {true, 0.0, false, false, slow}, // dry: stop rendering
         {true, 0.5, false, false, slow}, // refilling: more than the start level is needed now
         {true, 1.0, false, true, slow}}, // resume level
        // The stream's end plays out whatever is left.
        {{true, 0.1, true, true, slow}, {true, 0.0, true, true, slow}},
        // Pause stops rendering; resuming needs the resume level.
        {{true, 3.5, false, true, 1.0},
         {false, 4.0, false, false, slow}, // user pause
         {true, 4.0, false, true, 1.0},    // resumes at once on a full buffer
         {false, 0.2, false, false, slow},
         {true, 0.2, false, false, slow}}, // resumes only once refilled
    };
    for (size_t scenario = 0; scenario < std::size(scenarios); ++scenario) {
        BufferPolicy policy;
        for (size_t i = 0; i < scenarios[scenario].size(); ++i) {
            const Step& step = scenarios[scenario][i];
            const auto decision = policy.update(step.wantsToPlay, step.level, step.inputEnded);
            EXPECT_EQ(decision.render, step.render) << "scenario " << scenario << " step " << i;
            EXPECT_DOUBLE_EQ(decision.tempo, step.tempo) << "scenario " << scenario << " step " << i;
        }
    }
}

} // namespace
} // namespace tunara::gst
