#include "MarqueeScroller.h"

#include <algorithm>

namespace tunara {

MarqueeScroller::MarqueeScroller(QObject* parent)
    : QObject(parent)
{
    setClock(&steadyClock_);
}

void MarqueeScroller::setClock(MarqueeClock* clock)
{
    if (!clock)
        clock = &steadyClock_;
    if (clock == clock_)
        return;
    if (clock_) {
        clock_->cancelWake();
        disconnect(clock_, nullptr, this, nullptr);
    }
    clock_ = clock;
    connect(clock_, &MarqueeClock::woke, this, &MarqueeScroller::advance);
    emit clockChanged();
    restart();
}

void MarqueeScroller::setText(const QString& text)
{
    if (text == text_)
        return;
    text_ = text;
    emit textChanged();
    setOffset(0);
    restart();
}

void MarqueeScroller::setTextWidth(double width)
{
    if (width == textWidth_)
        return;
    setWidths(width, containerWidth_);
    emit textWidthChanged();
}

void MarqueeScroller::setContainerWidth(double width)
{
    if (width == containerWidth_)
        return;
    setWidths(textWidth_, width);
    emit containerWidthChanged();
}

void MarqueeScroller::setWidths(double textWidth, double containerWidth)
{
    const bool scrolledBefore = needsScrolling();
    textWidth_ = textWidth;
    containerWidth_ = containerWidth;
    if (needsScrolling() == scrolledBefore)
        return;
    emit needsScrollingChanged();
    // Only the change to scrolling restarts; a running loop goes on when
    // the text comes to fit.
    if (needsScrolling())
        restart();
}

void MarqueeScroller::setActive(bool active)
{
    if (active == active_)
        return;
    active_ = active;
    emit activeChanged();
    // Appearing starts from the leading edge; going away ends the loop.
    setOffset(0);
    restart();
}

void MarqueeScroller::restart()
{
    if (clock_)
        clock_->cancelWake();
    if (!active_ || !needsScrolling() || !clock_) {
        setPhase(Phase::idle);
        return;
    }
    standStill();
}

void MarqueeScroller::standStill()
{
    setPhase(Phase::standingStill);
    clock_->wakeAfter(pauseDuration_);
}

void MarqueeScroller::beginPass()
{
    // Read the measurement now, so each pass uses the latest width.
    passDistance_ = textWidth_ + spacing_;
    passDuration_ = speed_ > 0 ? passDistance_ / speed_ : 0;
    passFrom_ = offset_;
    passStart_ = clock_->now();
    setPhase(Phase::moving);
    advance();
}

void MarqueeScroller::advance()
{
    switch (phase_) {
    case Phase::idle:
        return;
    case Phase::standingStill:
        beginPass();
        return;
    case Phase::moving: {
        const double elapsed = clock_->now() - passStart_;
        if (elapsed >= passDuration_) {
            setOffset(0);
            standStill();
            return;
        }
        const double target = -passDistance_;
        setOffset(passFrom_ + (target - passFrom_) * (elapsed / passDuration_));
        clock_->wakeAfter(std::min(frameInterval(), passDuration_ - elapsed));
        return;
    }
    }
}

double MarqueeScroller::frameInterval() const
{
    // About one point per frame: smooth at any speed without drawing more
    // frames than the movement needs.
    return std::clamp(1.0 / std::max(speed_, 1.0), 1.0 / 60.0, 1.0 / 15.0);
}

void MarqueeScroller::setPhase(Phase phase)
{
    if (phase == phase_)
        return;
    phase_ = phase;
    emit phaseChanged();
}

void MarqueeScroller::setOffset(double offset)
{
    if (offset == offset_)
        return;
    offset_ = offset;
    emit offsetChanged();
}

} // namespace tunara
