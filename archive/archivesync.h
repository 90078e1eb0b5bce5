#ifndef MORVA_ARCHIVE_ARCHIVESYNC_H
#define MORVA_ARCHIVE_ARCHIVESYNC_H

#include <wx/string.h>

#include <atomic>
#include <cstdint>

class FileArchive;
class ServerArchive;

// Sends the readings that a station's own archive holds and the archive
// server lacks, oldest first. Each goes whole in one transaction of the
// server, its taken records written out, and is known there by its uuid:
// a send cut off is sent again whole, and a reading sent twice, or by two
// stations at once, is kept once. A reading is marked sent once it has
// ended and the server holds it.
class ArchiveSync {
public:
    struct Outcome {
        unsigned sent = 0; // readings the server now holds
        unsigned left = 0; // readings still to send
        wxString error;    // why sending stopped; empty when nothing failed
    };

    // Sends until every unsent reading but `excluding` is sent, one fails,
    // or `stop` is set (looked at between readings).
    static Outcome SendUnsent(FileArchive& local, ServerArchive& server, const std::atomic<bool>& stop,
                              std::int64_t excluding = 0);
    // Sends one reading; throws ArchiveError.
    static void Send(FileArchive& local, std::int64_t reading, ServerArchive& server);
};

#endif
