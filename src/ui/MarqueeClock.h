#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <QtQml/qqmlregistration.h>

namespace tunara {

// The time source of a marquee: a monotonic reading in seconds and one
// pending wake-up. Between wake-ups nothing runs, so a text that stands
// still costs nothing.
class MarqueeClock : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("A time source is provided by C++")

public:
    using QObject::QObject;

    virtual double now() const = 0;
    // Replaces any pending wake-up.
    virtual void wakeAfter(double seconds) = 0;
    virtual void cancelWake() = 0;

signals:
    void woke();
};

// The real clock: the monotonic clock and a precise one-shot timer.
class SteadyMarqueeClock final : public MarqueeClock {
    Q_OBJECT

public:
    explicit SteadyMarqueeClock(QObject* parent = nullptr);

    double now() const override;
    void wakeAfter(double seconds) override;
    void cancelWake() override;

private:
    QElapsedTimer elapsed_;
    QTimer timer_;
};

} // namespace tunara
