#include "BufferPolicy.h"

#include <algorithm>

namespace tunara::gst {

BufferPolicy::Decision BufferPolicy::update(bool wantsToPlay, double level, bool inputEnded)
{
    if (!wantsToPlay) {
        rendering_ = false;
    } else if (rendering_) {
        if (isDry(level, inputEnded))
            rendering_ = false;
    } else if (holdsEnoughToPlay(level, inputEnded)) {
        rendering_ = true;
        hasRendered_ = true;
    }

    if (!rendering_ || level < settings_.targetLevel - settings_.tempoHysteresis)
        tempo_ = settings_.slowTempo;
    else if (level >= settings_.targetLevel)
        tempo_ = 1.0;
    return {rendering_, tempo_};
}

bool BufferPolicy::holdsEnoughToPlay(double level, bool inputEnded) const
{
    if (rendering_ || inputEnded)
        return true;
    return level >= (hasRendered_ ? settings_.resumeLevel : settings_.startLevel);
}

double BufferPolicy::nextCheck(double level) const
{
    if (!rendering_)
        return settings_.waitingCheckInterval;
    // Slow: only reaching the target changes the tempo, and reaching it a
    // little late costs nothing. Normal tempo: falling below the hysteresis.
    const double margin = tempo_ < 1.0 ? settings_.longestCheckInterval
                                       : level - (settings_.targetLevel - settings_.tempoHysteresis);
    return std::clamp(margin, settings_.waitingCheckInterval, settings_.longestCheckInterval);
}

} // namespace tunara::gst
