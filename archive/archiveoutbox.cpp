#include "archive/archiveoutbox.h"

#include "archive/archiveerror.h"
#include "archive/archivesync.h"
#include "archive/filearchive.h"
#include "archive/serverarchive.h"

#include <wx/filename.h>
#include <wx/intl.h>

#include <algorithm>

namespace {

// After a failure the server is tried again after 1, 2, 4 ... seconds, at
// most a minute.
std::chrono::milliseconds Backoff(unsigned failures)
{
    const unsigned doublings = std::min(failures, 7u) - 1;
    return std::min<std::chrono::milliseconds>(std::chrono::seconds(1) * (1u << doublings), std::chrono::minutes(1));
}

} // namespace

ArchiveOutbox::ArchiveOutbox(const wxString& file, const wxString& server)
    : m_file(file)
    , m_server(server)
    , m_thread(&ArchiveOutbox::Run, this)
{
}

ArchiveOutbox::~ArchiveOutbox()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void ArchiveOutbox::Nudge()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_nudged = true;
    }
    m_wake.notify_all();
}

void ArchiveOutbox::Keeping(std::int64_t reading, bool going)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (going)
            m_goingOn.insert(reading);
        else
            m_goingOn.erase(reading);
        m_nudged = true;
    }
    m_wake.notify_all();
}

bool ArchiveOutbox::WaitUntilSent(std::int64_t reading, std::chrono::milliseconds wait)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_sent.count(reading))
        return true;
    // Asked for: tried once more now, whatever failed before.
    m_nudged = m_urgent = true;
    m_wake.notify_all();
    const unsigned next = m_started + 1;
    const auto sent = [&] {
        return m_sent.count(reading) || (m_finished >= next && m_unsentKnown && !m_unsent.count(reading));
    };
    m_passed.wait_for(lock, wait, [&] {
        return sent() || m_refused.count(reading) || (m_finished >= next && !m_failure.empty());
    });
    return sent();
}

wxString ArchiveOutbox::Failure(std::int64_t reading) const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    const auto refused = m_refused.find(reading);
    return refused != m_refused.end() ? refused->second : m_failure;
}

bool ArchiveOutbox::WaitForWork()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        if (m_stop)
            return false;
        if (m_urgent || (m_nudged && Clock::now() >= m_notBefore))
            break;
        if (m_nudged)
            m_wake.wait_until(lock, m_notBefore);
        else
            m_wake.wait(lock);
    }
    m_nudged = m_urgent = false;
    ++m_started;
    return true;
}

void ArchiveOutbox::Run()
{
    while (WaitForWork()) {
        const bool ok = Pass();
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            ++m_finished;
            if (ok) {
                m_failures = 0;
                m_failure.clear();
            } else if (!m_stop) {
                m_notBefore = Clock::now() + Backoff(++m_failures);
            }
        }
        m_passed.notify_all();
    }
}

bool ArchiveOutbox::Pass()
{
    try {
        // A file not made yet holds nothing to send: the outbox never makes
        // it, beside a recorder making it.
        if (!m_local && !wxFileName::FileExists(m_file)) {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_unsent.clear();
            m_unsentKnown = true;
            return true;
        }
        if (!m_local)
            m_local = std::make_unique<FileArchive>(m_file, FileArchive::Access::Write);
        const std::vector<std::int64_t> unsent = m_local->Unsent();
        {
            // What is not unsent is on the server, whoever sent it.
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_unsent = std::set<std::int64_t>(unsent.begin(), unsent.end());
            m_unsentKnown = true;
        }
        if (unsent.empty())
            return true;
        if (!m_shared)
            m_shared = std::make_unique<ServerArchive>(m_server, ReadingArchive::Access::Write, &m_stop);
        const std::set<std::int64_t> goingOn = [this] {
            const std::lock_guard<std::mutex> lock(m_mutex);
            return m_goingOn;
        }();
        const ArchiveSync::Outcome outcome = m_sync.SendUnsent(*m_local, *m_shared, unsent, m_stop, goingOn);
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_sent.insert(outcome.sent.begin(), outcome.sent.end());
        for (const std::int64_t reading : outcome.sent)
            m_unsent.erase(reading);
        for (const ArchiveSync::Refusal& refusal : outcome.refused)
            m_refused[refusal.reading] = refusal.reason;
        if (outcome.error.empty())
            return true;
        m_failure = outcome.error;
    } catch (const ArchiveError& e) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_failure = e.reason();
        m_unsentKnown = false;
    }
    // Connected afresh next time: nothing of a failed connection is kept.
    m_shared.reset();
    m_local.reset();
    return false;
}
