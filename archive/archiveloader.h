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
#include <optional>
#include <vector>

class ReadingArchive;

// Reads from an archive on a thread of its own, so that whoever asked (a
// window) never waits for a slow or stalled server: the kept readings
// (List), the report lines of one (ReadLines), or what a reader of the
// caller's makes of the archive (Read: a reading's tables cut into cells,
// for one).
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

    // Runs `read` with the archive kept at `place` on the loader's thread
    // and hands its result to `got`. `read` must touch nothing but the
    // archive and what it holds itself.
    template <class Result>
    static std::unique_ptr<ArchiveLoader> Read(const wxString& place,
                                               std::function<Result(const ReadingArchive& archive)> read,
                                               std::function<void(Result&& result)> got, Finished finished)
    {
        // The result passes from `read` to `got` on the loader's thread.
        auto result = std::make_shared<std::optional<Result>>();
        return Run(
            place, [read = std::move(read), result](const ReadingArchive& archive) { result->emplace(read(archive)); },
            [got = std::move(got), result] { got(std::move(**result)); }, std::move(finished));
    }

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
        std::function<void()> read;
        Finished finished;
    };
    using Work = std::function<void(const ReadingArchive& archive, State& state)>;

    static std::unique_ptr<ArchiveLoader> Run(const wxString& place, std::function<void(const ReadingArchive&)> read,
                                              std::function<void()> handOver, Finished finished);

    ArchiveLoader(const wxString& place, Handlers handlers, Work work);

    std::shared_ptr<State> m_state;
    std::shared_future<void> m_gone;
};

#endif
