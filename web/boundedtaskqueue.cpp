#include "web/boundedtaskqueue.h"

BoundedTaskQueue::BoundedTaskQueue(std::size_t threads, std::size_t queued)
    : m_queued(queued)
{
    for (std::size_t i = 0; i < threads; ++i)
        m_threads.emplace_back([this] { Work(); });
}

BoundedTaskQueue::~BoundedTaskQueue() { shutdown(); }

void BoundedTaskQueue::enqueue(std::function<void()> task)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_room.wait(lock, [this] { return m_tasks.size() < m_queued || m_shutdown; });
    // A connection accepted as the server stops is still served (and
    // closed) before the threads end.
    m_tasks.push_back(std::move(task));
    lock.unlock();
    m_ready.notify_one();
}

void BoundedTaskQueue::shutdown()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_shutdown && m_threads.empty())
            return;
        m_shutdown = true;
    }
    m_ready.notify_all();
    m_room.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
    m_threads.clear();
}

void BoundedTaskQueue::Work()
{
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_ready.wait(lock, [this] { return !m_tasks.empty() || m_shutdown; });
            if (m_tasks.empty())
                return;
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        m_room.notify_one();
        task();
    }
}
