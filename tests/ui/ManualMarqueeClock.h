#pragma once

#include "MarqueeClock.h"

#include <optional>

namespace tunara::testing {

// A marquee clock the test advances by hand; wake-ups that fall inside an
// advance fire at their own time, in order.
class ManualMarqueeClock final : public MarqueeClock {
public:
    double now() const override { return now_; }
    void wakeAfter(double seconds) override { wakeAt_ = now_ + seconds; }
    void cancelWake() override { wakeAt_.reset(); }

    bool hasPendingWake() const { return wakeAt_.has_value(); }

    void advance(double seconds)
    {
        const double target = now_ + seconds;
        while (wakeAt_ && *wakeAt_ <= target + 1e-9) {
            now_ = *wakeAt_;
            wakeAt_.reset();
            emit woke();
        }
        now_ = target;
    }

private:
    double now_ = 1000;
    std::optional<double> wakeAt_;
};

} // namespace tunara::testing
