#include "archive/backgroundsync.h"

#include "archive/archiveerror.h"
#include "archive/archivesync.h"
#include "archive/filearchive.h"
#include "archive/serverarchive.h"

BackgroundSync::BackgroundSync(const wxString& file, const wxString& server, std::int64_t excluding)
    : m_thread(&BackgroundSync::Send, this, file, server, excluding)
{
}

BackgroundSync::~BackgroundSync()
{
    m_stop = true;
    m_thread.join();
}

void BackgroundSync::Send(wxString file, wxString server, std::int64_t excluding)
{
    try {
        FileArchive local(file, ReadingArchive::Access::Write);
        if (local.Unsent().empty())
            return;
        ServerArchive shared(server, ReadingArchive::Access::Write);
        ArchiveSync::SendUnsent(local, shared, m_stop, excluding);
    } catch (const ArchiveError&) {
        // Sent another time: with the next reading, or by "archive sync".
    }
}
