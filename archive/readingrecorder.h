#ifndef MORVA_ARCHIVE_READINGRECORDER_H
#define MORVA_ARCHIVE_READINGRECORDER_H

#include "archive/archivedreading.h"
#include "archive/archivedtable.h"
#include "archive/readingarchive.h"

#include <wx/string.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class BackgroundSync;
class FileArchive;
class ServerArchive;

// Keeps one reading as it goes: in the station's own archive file, and,
// where one is named, in the archive server that stations share. The
// reading hands over its tables and records; a thread of the recorder's
// own commits them every `CommitPeriod` to the file, then to the server,
// so that a reading killed keeps all but its last moments and the reading
// itself never waits for the disk or the network. The recorder never
// throws: the first failure of the file ends its keeping there, the first
// failure of the server its keeping there, and Warning() tells the
// operator. A reading the server missed stays marked as not yet sent in
// the file, whence ArchiveSync sends it later; once the server is
// reached, the recorder sends earlier such readings beside the reading.
class ReadingRecorder {
public:
    static constexpr std::chrono::milliseconds CommitPeriod{250};

    // Keeps nothing and warns of nothing: the archive is turned off.
    ReadingRecorder();
    // Begins a reading in the archive file at `path` and, unless `server`
    // is empty, in the archive server it names.
    ReadingRecorder(const wxString& path, const ReadingFacts& facts, const wxString& server = wxString());
    ~ReadingRecorder();
    ReadingRecorder(const ReadingRecorder&) = delete;
    ReadingRecorder& operator=(const ReadingRecorder&) = delete;

    void Table(const ArchivedTable& table);
    void Record(unsigned table, unsigned index, const wxString& text);
    // Commits what is left, marks how the reading ended and lets go of the
    // archives: the reading's thread does this work before it reports that
    // it is done, not in its last moments.
    void End(ReadingEnd end, const wxString& error = wxString());

    // True while an archive takes the reading.
    bool IsKeeping() const;
    // The end time kept by End, which the reading's report carries; invalid
    // when no archive kept the end.
    wxDateTime Ended() const;
    // The reading's number in the archive file; 0 when none.
    std::int64_t ReadingId() const { return m_localReading; }
    // What the operator is told once the reading is over, a line each:
    // "The reading was not kept in the archive: <reason>" and "The reading
    // was kept on this computer; it will be sent to the archive server
    // later: <reason>"; empty when all went well.
    wxString Warning() const;

    // The earlier kept table that records of this table may be taken from
    // (see ReadingArchive::FindEarlierTable): the server's, where it is
    // reached, so that a unit read at another station is known here; and
    // its first records.
    std::optional<ReadingArchive::EarlierTable> FindEarlierTable(unsigned number, const wxString& header,
                                                                 unsigned maxCount);
    std::vector<wxString> EarlierRecords(const ReadingArchive::EarlierTable& table, unsigned number);

private:
    // A table handed over, with where its taken records come from and
    // their texts, for the archive that cannot refer to them.
    struct PendingTable {
        ArchivedTable table;
        bool takenFromServer = false;
        std::vector<wxString> taken;
    };
    struct Batch {
        std::vector<PendingTable> tables;
        std::vector<ArchivedRecord> records;
    };

    void BeginOnServer(const wxString& server, const ReadingFacts& facts, const wxString& uuid);
    void StoreEnd(ReadingEnd end, const wxString& error);
    // Ends the committing and sending threads and closes the archives.
    void Close();
    void CommitLoop();
    // Commits the pending tables and records. The reading hands over more
    // meanwhile: it never waits for the disk.
    void CommitPending();
    // The batch as the file or the server keeps it: tables that take
    // records from the other archive hold those records themselves.
    static Batch ForArchive(const Batch& batch, bool server);
    Batch TakePending();
    static std::vector<ArchivedTable> TablesOf(const Batch& batch);
    // Give up keeping in the file or on the server; call with m_mutex held.
    void FailLocal(const wxString& reason);
    void FailServer(const wxString& reason);

    // Guards the archives' connections; taken before m_mutex.
    mutable std::mutex m_archiveMutex;
    std::unique_ptr<FileArchive> m_local;
    std::int64_t m_localReading = 0;
    std::unique_ptr<ServerArchive> m_server;
    std::int64_t m_serverReading = 0;

    // Guards what follows.
    mutable std::mutex m_mutex;
    std::optional<wxString> m_localFailure;
    std::optional<wxString> m_serverFailure;
    bool m_keepingLocal = false;
    bool m_keepingServer = false;
    std::condition_variable m_wake;
    Batch m_pending;
    // The texts of the records last taken for a table, and whether from
    // the server, by table number: handed over with the table.
    std::map<unsigned, std::pair<bool, std::vector<wxString>>> m_taken;
    bool m_stop = false;
    bool m_ended = false;
    wxDateTime m_endedAt;
    std::thread m_committer;

    // Sends the file's earlier unsent readings to the server meanwhile.
    std::unique_ptr<BackgroundSync> m_sender;
};

#endif
