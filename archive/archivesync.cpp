#include "archive/archivesync.h"

#include "archive/archiveerror.h"
#include "archive/filearchive.h"
#include "archive/serverarchive.h"

#include <algorithm>


ArchiveSync::Outcome ArchiveSync::SendUnsent(FileArchive& local, ServerArchive& server, const std::atomic<bool>& stop,
                                             std::int64_t excluding)
{
    Outcome outcome;
    std::vector<std::int64_t> unsent = local.Unsent();
    unsent.erase(std::remove(unsent.begin(), unsent.end(), excluding), unsent.end());
    outcome.left = static_cast<unsigned>(unsent.size());
    for (const std::int64_t reading : unsent) {
        if (stop)
            break;
        try {
            Send(local, reading, server);
        } catch (const ArchiveError& e) {
            outcome.error = e.reason();
            break;
        }
        ++outcome.sent;
        --outcome.left;
    }
    return outcome;
}

void ArchiveSync::Send(FileArchive& local, std::int64_t reading, ServerArchive& server)
{
    const std::optional<ReadingSummary> summary = local.Find(reading);
    if (!summary)
        return;
    // Records taken from earlier readings are written out: the server need
    // not hold those readings, nor know them by this archive's numbers.
    std::vector<ArchivedTable> tables;
    std::vector<ArchivedRecord> records;
    for (const ReadingArchive::KeptTable& table : local.KeptTables(reading)) {
        tables.push_back(ArchivedTable{table.number, table.header, table.unitCount});
        local.EachRecord(reading, table.number, static_cast<unsigned>(table.kept),
                         [&](std::int64_t index, const wxString& text) {
                             records.push_back(ArchivedRecord{table.number, static_cast<unsigned>(index), text});
                         });
    }
    server.Keep(*summary, tables, records);
    if (summary->end != ReadingEnd::Interrupted)
        local.MarkSent(reading);
}
