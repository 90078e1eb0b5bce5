#ifndef MORVA_ARCHIVE_READINGRECORDER_H
#define MORVA_ARCHIVE_READINGRECORDER_H

#include "archive/archivedreading.h"
#include "archive/archivedtable.h"
#include "archive/readingarchive.h"

#include <wx/datetime.h>
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

class ArchiveOutbox;
class FileArchive;
class KeptRecordsLookup;
class ReadingLiveLock;

// Keeps one reading as it goes in the station's own archive file. The
// reading hands over its tables and records; a thread of the recorder's
// own commits them every `CommitPeriod`, so that a reading killed keeps all
// but its last moments, and the reading itself never waits for the disk.
// Nothing here waits for the network: where an archive server is named,
// the outbox feeds it from the file. The recorder never throws: the first
// failure of the file ends its keeping, and Warning() tells the operator.
class ReadingRecorder {
public:
    static constexpr std::chrono::milliseconds CommitPeriod{250};

    // Keeps nothing and warns of nothing: the archive is turned off.
    ReadingRecorder();
    // Begins a reading in the archive file at `path`; `outbox`, when given,
    // is told of each commit.
    ReadingRecorder(const wxString& path, const ReadingFacts& facts, std::shared_ptr<ArchiveOutbox> outbox = nullptr);
    ~ReadingRecorder();
    ReadingRecorder(const ReadingRecorder&) = delete;
    ReadingRecorder& operator=(const ReadingRecorder&) = delete;

    void Table(const ArchivedTable& table);
    void Record(unsigned table, unsigned index, const wxString& text);
    // Commits what is left, marks how the reading ended and lets go of the
    // file: the reading's thread does this work before it reports that it
    // is done, not in its last moments.
    void End(ReadingEnd end, const wxString& error = wxString());

    // True while the file takes the reading.
    bool IsKeeping() const;
    // The reading's number in the archive file; 0 when none.
    std::int64_t ReadingId() const { return m_reading; }
    // The time kept as the reading's end; invalid until it ended there.
    wxDateTime Ended() const;
    // What the operator is told once the reading is over, a line each:
    // "The reading was not kept in the archive: <reason>", or, where an
    // archive server is named and has not taken the reading within
    // `serverWait` (at once: only when it is known to have failed), "The
    // reading was kept on this computer; it will be sent to the archive
    // server later: <reason>"; empty when all went well.
    wxString Warning(std::chrono::milliseconds serverWait = std::chrono::milliseconds::zero()) const;

    // The earlier kept table that records of this table may be taken from
    // (see ReadingArchive::FindEarlierTable), and its first records.
    std::optional<ReadingArchive::EarlierTable> FindEarlierTable(unsigned number, const wxString& header,
                                                                 unsigned maxCount);
    std::vector<wxString> EarlierRecords(const ReadingArchive::EarlierTable& table, unsigned number);

private:
    struct Batch {
        std::vector<ArchivedTable> tables;
        std::vector<ArchivedRecord> records;
    };

    void Close();
    void CommitLoop();
    // Commits the pending tables and records. The reading hands over more
    // meanwhile: it never waits for the disk.
    void CommitPending();
    // Give up keeping; call with m_mutex held.
    void Fail(const wxString& reason);

    // Guards the file's connection; taken before m_mutex.
    std::mutex m_fileMutex;
    std::unique_ptr<FileArchive> m_file;
    std::unique_ptr<ReadingLiveLock> m_live;
    std::int64_t m_reading = 0;
    std::shared_ptr<ArchiveOutbox> m_outbox;
    // Used by the reading's own thread alone.
    std::unique_ptr<KeptRecordsLookup> m_lookup;

    // Guards what follows.
    mutable std::mutex m_mutex;
    std::optional<wxString> m_failure;
    bool m_keeping = false;
    std::condition_variable m_wake;
    Batch m_pending;
    // Records taken from the archive server, by table number: the file
    // cannot refer to them, and keeps them itself.
    std::map<unsigned, std::vector<wxString>> m_takenFromServer;
    std::map<unsigned, bool> m_foundOnServer;
    bool m_stop = false;
    bool m_ended = false;
    wxDateTime m_endTime;
    std::thread m_committer;
};

#endif
