#pragma once

#include "MarqueeClock.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace tunara {

// The scrolling logic of MarqueeText. Given the measured widths it decides
// whether the text scrolls and runs the loop: stand still for the pause,
// move left by the text width plus the spacing at constant speed, snap back
// to 0, stand still, and so on. A new text, a text that starts needing to
// scroll, or the view appearing again starts the loop afresh; the view
// going away (inactive) ends it.
class MarqueeScroller : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged)
    Q_PROPERTY(double textWidth READ textWidth WRITE setTextWidth NOTIFY textWidthChanged)
    Q_PROPERTY(double containerWidth READ containerWidth WRITE setContainerWidth NOTIFY containerWidthChanged)
    Q_PROPERTY(double spacing MEMBER spacing_ NOTIFY parametersChanged)
    Q_PROPERTY(double speed MEMBER speed_ NOTIFY parametersChanged)
    Q_PROPERTY(double pauseDuration MEMBER pauseDuration_ NOTIFY parametersChanged)
    Q_PROPERTY(bool active READ active WRITE setActive NOTIFY activeChanged)
    Q_PROPERTY(tunara::MarqueeClock* clock READ clock WRITE setClock NOTIFY clockChanged)
    Q_PROPERTY(double offset READ offset NOTIFY offsetChanged)
    Q_PROPERTY(bool needsScrolling READ needsScrolling NOTIFY needsScrollingChanged)
    Q_PROPERTY(bool moving READ moving NOTIFY phaseChanged)

public:
    explicit MarqueeScroller(QObject* parent = nullptr);

    const QString& text() const { return text_; }
    void setText(const QString& text);
    double textWidth() const { return textWidth_; }
    void setTextWidth(double width);
    double containerWidth() const { return containerWidth_; }
    void setContainerWidth(double width);
    bool active() const { return active_; }
    void setActive(bool active);
    MarqueeClock* clock() const { return clock_; }
    void setClock(MarqueeClock* clock);

    double offset() const { return offset_; }
    bool needsScrolling() const { return textWidth_ > containerWidth_ && containerWidth_ > 0; }
    bool moving() const { return phase_ == Phase::moving; }

signals:
    void textChanged();
    void textWidthChanged();
    void containerWidthChanged();
    void parametersChanged();
    void activeChanged();
    void clockChanged();
    void offsetChanged();
    void needsScrollingChanged();
    void phaseChanged();

private:
    enum class Phase { idle, standingStill, moving };

    void setWidths(double textWidth, double containerWidth);
    void restart();
    void setPhase(Phase phase);
    void setOffset(double offset);
    void advance();
    void beginPass();
    void standStill();
    double frameInterval() const;

    QString text_;
    double textWidth_ = 0;
    double containerWidth_ = 0;
    double spacing_ = 40;
    double speed_ = 30;
    double pauseDuration_ = 2;
    bool active_ = false;
    double offset_ = 0;

    Phase phase_ = Phase::idle;
    double passStart_ = 0;
    double passFrom_ = 0;
    double passDistance_ = 0;
    double passDuration_ = 0;

    SteadyMarqueeClock steadyClock_;
    QPointer<MarqueeClock> clock_;
};

} // namespace tunara
