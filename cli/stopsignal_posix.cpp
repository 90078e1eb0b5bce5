#include "stopsignal.h"

#include <csignal>
#include <thread>

#include <pthread.h>

// The signals are blocked in every thread the program starts from here on
// and taken by one thread that waits for them; its end is asked for with
// SIGUSR1, which it waits for too.
struct StopSignal::Watch {
    sigset_t signals{};
    sigset_t before{};
    std::thread thread;
};

StopSignal::StopSignal(std::function<void()> stop)
    : m_watch(std::make_unique<Watch>())
{
    Watch& watch = *m_watch;
    sigemptyset(&watch.signals);
    sigaddset(&watch.signals, SIGINT);
    sigaddset(&watch.signals, SIGTERM);
    sigaddset(&watch.signals, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &watch.signals, &watch.before);
    watch.thread = std::thread([&watch, stop = std::move(stop)] {
        int signal = 0;
        while (sigwait(&watch.signals, &signal) == 0) {
            if (signal == SIGUSR1)
                return;
            stop();
        }
    });
}

StopSignal::~StopSignal()
{
    pthread_kill(m_watch->thread.native_handle(), SIGUSR1);
    m_watch->thread.join();
    pthread_sigmask(SIG_SETMASK, &m_watch->before, nullptr);
}
