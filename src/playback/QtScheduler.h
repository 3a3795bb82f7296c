#pragma once

#include "Scheduler.h"

#include <QObject>

namespace tunara {

// Scheduler on the Qt (and so GLib) main loop of the thread that creates it.
class QtScheduler final : public Scheduler {
public:
    QtScheduler();
    ~QtScheduler() override;

    void post(Task task) override;
    std::unique_ptr<OneShotTimer> startTimer(double seconds, Task task) override;

private:
    QObject* context_;
};

} // namespace tunara
