#ifndef MORVA_ARCHIVE_ARCHIVELOADER_H
#define MORVA_ARCHIVE_ARCHIVELOADER_H

#include "archive/archivedreading.h"
#include "report/reportformater.h"

#include <wx/string.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <vector>

// Reads from an archive on a thread of its own, so that whoever asked (a
// window) never waits for a slow or stalled server: the kept readings
// (List) or the report lines of one (ReadLines).
//
// The handlers run on the loader's thread, one at a time; they should only
// hand what they get over to their own thread. Once Abandon() (or the
// destructor) has returned, no handler runs again, and the thread touches
// nothing but what it shares with no one else: it ends on its own as soon
// as the archive answers, stopping at the next row.
class ArchiveLoader {
public:
    // A batch of readings, in the archive's order (newest first).
    using Rows = std::function<void(std::vector<ReadingSummary>&& rows)>;
    using Lines = std::function<void(ReportLines&& lines)>;
    // The end of the work: empty when it went well, else why not.
    using Finished = std::function<void(const wxString& failure)>;

    // The first batch holds at most this many readings, so that a list can
    // show its first screen early; later ones up to Batch.
    static constexpr std::size_t FirstBatch = 100;
    static constexpr std::size_t Batch = 2000;

    // Lists the readings kept at `place` (see OpenArchive).
    static std::unique_ptr<ArchiveLoader> List(const wxString& place, Rows rows, Finished finished);
    // Reads the report lines of reading `reading` kept at `place`.
    static std::unique_ptr<ArchiveLoader> ReadLines(const wxString& place, std::int64_t reading, Lines lines,
                                                    Finished finished);

    ~ArchiveLoader();
    ArchiveLoader(const ArchiveLoader&) = delete;
    ArchiveLoader& operator=(const ArchiveLoader&) = delete;

    // No handler runs once this returns.
    void Abandon();
    // Ready once the thread has ended its work and let go of the archive.
    std::shared_future<void> Gone() const { return m_gone; }

private:
    class State;
    struct Handlers {
        Rows rows;
        Lines lines;
        Finished finished;
    };
    using Work = std::function<void(const class ReadingArchive& archive, State& state)>;

    ArchiveLoader(const wxString& place, Handlers handlers, Work work);

    std::shared_ptr<State> m_state;
    std::shared_future<void> m_gone;
};

#endif
