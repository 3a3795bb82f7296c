#include "BufferPolicy.h"

namespace tunara::gst {

BufferPolicy::Decision BufferPolicy::update(bool wantsToPlay, double level, bool inputEnded)
{
    if (!wantsToPlay) {
        rendering_ = false;
    } else if (rendering_) {
        if (bufferEmpty(level, inputEnded))
            rendering_ = false;
    } else if (likelyToKeepUp(level, inputEnded)) {
        rendering_ = true;
        hasRendered_ = true;
    }

    if (!rendering_ || level < settings_.targetLevel - settings_.tempoHysteresis)
        tempo_ = settings_.slowTempo;
    else if (level >= settings_.targetLevel)
        tempo_ = 1.0;
    return {rendering_, tempo_};
}

bool BufferPolicy::likelyToKeepUp(double level, bool inputEnded) const
{
    if (rendering_ || inputEnded)
        return true;
    return level >= (hasRendered_ ? settings_.resumeLevel : settings_.startLevel);
}

} // namespace tunara::gst
