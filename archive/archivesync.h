#ifndef MORVA_ARCHIVE_ARCHIVESYNC_H
#define MORVA_ARCHIVE_ARCHIVESYNC_H

#include <wx/string.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <set>
#include <vector>

class FileArchive;
class ServerArchive;

// Sends the archive server what a station's own archive holds and the
// server lacks, oldest reading first: a reading still going on as far as
// it has come, one that has ended, or was cut off for good (see
// ReadingLiveLock), to its end. Each send is one transaction of the server,
// records taken from earlier readings written out; the server knows a
// reading by its uuid, so that what is sent twice, or by two stations at
// once, is kept once. A reading the server holds to its end is marked sent
// and never sent again.
//
// The object remembers how far each reading went, so that a reading that
// grows is sent piece by piece, and which readings the server refused: a
// refused reading is passed over, and the next one sent.
class ArchiveSync {
public:
    struct Refusal {
        std::int64_t reading = 0;
        wxString reason;
    };
    struct Outcome {
        std::vector<std::int64_t> sent; // readings the server now holds to their end
        unsigned left = 0;              // readings still to send
        std::vector<Refusal> refused;   // refused in this pass
        wxString error;                 // why sending stopped: the server is out of reach
    };

    // One pass over the unsent readings, until each is sent or refused, the
    // server is out of reach or `stop` is set (looked at between readings).
    // `goingOn` names readings that this program is keeping, which are
    // live whatever their lock says: on a network folder a lock may be
    // this program's own for every descriptor of it.
    Outcome SendUnsent(FileArchive& local, ServerArchive& server, const std::atomic<bool>& stop,
                       const std::set<std::int64_t>& goingOn = {});
    // The same for `unsent`, the file's unsent readings as read already.
    Outcome SendUnsent(FileArchive& local, ServerArchive& server, std::vector<std::int64_t> unsent,
                       const std::atomic<bool>& stop, const std::set<std::int64_t>& goingOn);
    // Sends what the server lacks of one reading; true once the server
    // holds it to its end. Throws ArchiveError.
    bool Send(FileArchive& local, ServerArchive& server, std::int64_t reading, bool goingOn = false);

private:
    // How far each table of a reading is on the server, by reading.
    std::map<std::int64_t, std::map<unsigned, unsigned>> m_shipped;
    std::map<std::int64_t, wxString> m_refused;
};

#endif
