#ifndef MORVA_ARCHIVE_ARCHIVEOUTBOX_H
#define MORVA_ARCHIVE_ARCHIVEOUTBOX_H

#include "archive/archivesync.h"

#include <wx/string.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <cstdint>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

// Feeds the archive server from this computer's archive file, on a thread
// and connections of its own: a reading as it grows, and whole readings the
// server missed before (see ArchiveSync). One per program. Nothing that
// reads a unit ever waits for it: readings are kept in the file, and what
// the server has not taken stays there, marked unsent, for the next sender
// or "archive sync".
//
// Every wait for the server is bounded (see PgConnection), and ends within
// a tenth of a second when the outbox is destroyed. After a failure the
// server is tried again later, sooner when asked for a reading.
class FileArchive;
class ServerArchive;

class ArchiveOutbox {
public:
    // How long whoever wants to know whether the server took a reading
    // waits for it, at most.
    static constexpr std::chrono::milliseconds ShortWait{2000};

    // Sends nothing until nudged: a reading's recorder nudges it once its
    // reading is in the file, the window at its start.
    ArchiveOutbox(const wxString& file, const wxString& server);
    ~ArchiveOutbox();
    ArchiveOutbox(const ArchiveOutbox&) = delete;
    ArchiveOutbox& operator=(const ArchiveOutbox&) = delete;

    const wxString& File() const { return m_file; }
    const wxString& Server() const { return m_server; }

    // Something new is in the file.
    void Nudge();
    // A reading of this program's is being kept in the file, or no longer.
    void Keeping(std::int64_t reading, bool going);
    // Waits at most `wait` until the server holds the file's reading
    // `reading` to its end; false when it does not, at once when the server
    // failed it since the call.
    bool WaitUntilSent(std::int64_t reading, std::chrono::milliseconds wait);
    // Why the server took nothing the last time it was tried, or refused
    // `reading`; empty when all went well.
    wxString Failure(std::int64_t reading = 0) const;

private:
    using Clock = std::chrono::steady_clock;

    void Run();
    // Sends what there is to send; false when the server failed it.
    bool Pass();
    // Waits until there is something to send, sooner or later after a
    // failure; false when the outbox is to stop.
    bool WaitForWork();

    const wxString m_file;
    const wxString m_server;
    std::atomic<bool> m_stop{false};

    // Guards what follows.
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_passed;
    bool m_nudged = false;
    bool m_urgent = false;
    Clock::time_point m_notBefore;
    unsigned m_failures = 0;
    unsigned m_started = 0;  // passes begun
    unsigned m_finished = 0; // passes ended
    wxString m_failure;
    std::set<std::int64_t> m_sent;
    // The file's unsent readings as the last pass left them.
    std::set<std::int64_t> m_unsent;
    bool m_unsentKnown = false;
    std::set<std::int64_t> m_goingOn;
    std::map<std::int64_t, wxString> m_refused;

    // The sending thread's own.
    ArchiveSync m_sync;
    std::unique_ptr<FileArchive> m_local;
    std::unique_ptr<ServerArchive> m_shared;

    std::thread m_thread;
};

#endif
