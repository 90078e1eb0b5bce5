#ifndef MORVA_ARCHIVE_BACKGROUNDSYNC_H
#define MORVA_ARCHIVE_BACKGROUNDSYNC_H

#include <wx/string.h>

#include <atomic>
#include <cstdint>
#include <thread>

// Sends the archive server what this computer's archive file holds and the
// server lacks (see ArchiveSync), on a thread and connections of its own,
// so that whoever starts it goes on at once. Quiet: what cannot be sent
// now is sent another time. Ends with the object, after the reading being
// sent, if any.
class BackgroundSync {
public:
    // Sends every unsent reading of `file` but `excluding` to `server`.
    BackgroundSync(const wxString& file, const wxString& server, std::int64_t excluding = 0);
    ~BackgroundSync();
    BackgroundSync(const BackgroundSync&) = delete;
    BackgroundSync& operator=(const BackgroundSync&) = delete;

private:
    void Send(wxString file, wxString server, std::int64_t excluding);

    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

#endif
