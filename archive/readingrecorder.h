#ifndef MORVA_ARCHIVE_READINGRECORDER_H
#define MORVA_ARCHIVE_READINGRECORDER_H

#include "archive/archivedreading.h"
#include "archive/archivedtable.h"
#include "archive/readingarchive.h"

#include <wx/string.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// Keeps one reading in the archive as it goes. The reading hands over its
// tables and records; a thread of the recorder's own commits them every
// `CommitPeriod`, so that a reading killed keeps all but its last moments
// and the reading itself never waits for the disk. The recorder never
// throws: the first failure of the archive ends its keeping, and Warning()
// tells the operator why.
class ReadingRecorder {
public:
    static constexpr std::chrono::milliseconds CommitPeriod{250};

    // Keeps nothing and warns of nothing: the archive is turned off.
    ReadingRecorder();
    // Begins a reading in the archive at `path`.
    ReadingRecorder(const wxString& path, const ReadingFacts& facts);
    ~ReadingRecorder();
    ReadingRecorder(const ReadingRecorder&) = delete;
    ReadingRecorder& operator=(const ReadingRecorder&) = delete;

    void Table(const ArchivedTable& table);
    void Record(unsigned table, unsigned index, const wxString& text);
    // Commits what is left, marks how the reading ended and lets go of the
    // archive: the reading's thread does this work before it reports that
    // it is done, not in its last moments.
    void End(ReadingEnd end, const wxString& error = wxString());

    // True while the archive takes the reading.
    bool IsKeeping() const;
    // The reading's number in the archive; 0 when none.
    std::int64_t ReadingId() const { return m_reading; }
    // "The reading was not kept in the archive: <reason>", or empty.
    wxString Warning() const;

    // The earlier kept table that records of this table may be taken from
    // (see ReadingArchive::FindEarlierTable), and its first records.
    std::optional<ReadingArchive::EarlierTable> FindEarlierTable(unsigned number, const wxString& header,
                                                                 unsigned maxCount);
    std::vector<wxString> EarlierRecords(const ReadingArchive::EarlierTable& table, unsigned number);

private:
    void StoreEnd(ReadingEnd end, const wxString& error);
    // Ends the committing thread and closes the archive's connection.
    void Close();
    void CommitLoop();
    // Commits the pending tables and records. The reading hands over more
    // meanwhile: it never waits for the disk.
    void CommitPending();
    // Gives up keeping; call with m_mutex held.
    void Fail(const wxString& reason);

    // Guards the archive's connection; taken before m_mutex.
    mutable std::mutex m_archiveMutex;
    std::unique_ptr<ReadingArchive> m_archive;
    std::int64_t m_reading = 0;

    // Guards what follows.
    mutable std::mutex m_mutex;
    std::optional<wxString> m_failure;
    bool m_keeping = false;
    std::condition_variable m_wake;
    std::vector<ArchivedTable> m_tables;
    std::vector<ArchivedRecord> m_records;
    bool m_stop = false;
    bool m_ended = false;
    std::thread m_committer;
};

#endif
