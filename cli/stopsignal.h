#ifndef MORVA_STOPSIGNAL_H
#define MORVA_STOPSIGNAL_H

#include <functional>
#include <memory>

// Calls `stop` once when the operator or the system asks the program to end:
// Ctrl-C or SIGTERM (on Windows the console's Ctrl-C, Ctrl-Break, close,
// log-off and shut-down). `stop` runs on a thread of its own, never in a
// signal handler. Until it goes, those requests end nothing else.
class StopSignal {
public:
    explicit StopSignal(std::function<void()> stop);
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;
    ~StopSignal();

    // What the platform watches with.
    struct Watch;

private:
    std::unique_ptr<Watch> m_watch;
};

#endif
