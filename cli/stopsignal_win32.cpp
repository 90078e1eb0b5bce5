#include "stopsignal.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <windows.h>

// The console calls its handler on a thread of its own, without a way to
// hand it anything: the one watch of the program is where the handler finds
// it. The handler only wakes the watch's thread, which calls `stop`.
struct StopSignal::Watch {
    std::mutex mutex;
    std::condition_variable wake;
    bool asked = false;
    bool ending = false;
    std::thread thread;
};

namespace {

std::atomic<StopSignal::Watch*> g_watch{nullptr};

BOOL WINAPI onConsoleEvent(DWORD)
{
    StopSignal::Watch* watch = g_watch.load();
    if (!watch)
        return FALSE;
    {
        const std::lock_guard<std::mutex> lock(watch->mutex);
        watch->asked = true;
    }
    watch->wake.notify_all();
    return TRUE;
}

} // namespace

StopSignal::StopSignal(std::function<void()> stop)
    : m_watch(std::make_unique<Watch>())
{
    Watch& watch = *m_watch;
    watch.thread = std::thread([&watch, stop = std::move(stop)] {
        std::unique_lock<std::mutex> lock(watch.mutex);
        for (;;) {
            watch.wake.wait(lock, [&watch] { return watch.asked || watch.ending; });
            if (watch.ending)
                return;
            watch.asked = false;
            lock.unlock();
            stop();
            lock.lock();
        }
    });
    g_watch = &watch;
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

StopSignal::~StopSignal()
{
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    g_watch = nullptr;
    {
        const std::lock_guard<std::mutex> lock(m_watch->mutex);
        m_watch->ending = true;
    }
    m_watch->wake.notify_all();
    m_watch->thread.join();
}
