#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <memory>

namespace tunara {

// Turns SIGINT, SIGTERM and SIGHUP (Ctrl+C, kill, the end of the session)
// into a Qt signal on the main thread, so that they end the program
// through the same termination path as the Quit command. One instance per
// process.
class TerminationSignals final : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void terminationRequested(int signalNumber);

private:
    void drain();

    int pipe_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace tunara
