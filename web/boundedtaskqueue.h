#ifndef MORVA_WEB_BOUNDEDTASKQUEUE_H
#define MORVA_WEB_BOUNDEDTASKQUEUE_H

#include <httplib.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// The server's threads, each serving one connection at a time, and a
// queue of bounded length for the connections accepted meanwhile: when it
// is full, the server takes no more until one is served, and the system
// keeps (or refuses) the rest. So many connections at once cost no more
// than the threads and the queue.
class BoundedTaskQueue final : public httplib::TaskQueue {
public:
    BoundedTaskQueue(std::size_t threads, std::size_t queued);
    ~BoundedTaskQueue() override;

    void enqueue(std::function<void()> task) override;
    void shutdown() override;

private:
    void Work();

    const std::size_t m_queued;
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::condition_variable m_room;
    std::deque<std::function<void()>> m_tasks;
    bool m_shutdown = false;
    std::vector<std::thread> m_threads;
};

#endif
