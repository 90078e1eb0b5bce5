#include "archive/archivesync.h"

#include "archive/archiveerror.h"
#include "archive/filearchive.h"
#include "archive/readinglivelock.h"
#include "archive/serverarchive.h"

#include <algorithm>
#include <optional>

ArchiveSync::Outcome ArchiveSync::SendUnsent(FileArchive& local, ServerArchive& server, const std::atomic<bool>& stop,
                                             const std::set<std::int64_t>& goingOn)
{
    return SendUnsent(local, server, local.Unsent(), stop, goingOn);
}

ArchiveSync::Outcome ArchiveSync::SendUnsent(FileArchive& local, ServerArchive& server,
                                             std::vector<std::int64_t> unsent, const std::atomic<bool>& stop,
                                             const std::set<std::int64_t>& goingOn)
{
    Outcome outcome;
    unsent.erase(std::remove_if(unsent.begin(), unsent.end(),
                                [this](std::int64_t reading) { return m_refused.count(reading) != 0; }),
                 unsent.end());
    outcome.left = static_cast<unsigned>(unsent.size());
    for (const std::int64_t reading : unsent) {
        if (stop)
            break;
        try {
            if (!Send(local, server, reading, goingOn.count(reading) != 0))
                continue;
        } catch (const ArchiveError& e) {
            if (e.IsUnreachable()) {
                outcome.error = e.reason();
                break;
            }
            // Its own fault, not the server's: the readings after it go on.
            m_refused[reading] = e.reason();
            m_shipped.erase(reading);
            outcome.refused.push_back({reading, e.reason()});
            --outcome.left;
            continue;
        }
        outcome.sent.push_back(reading);
        --outcome.left;
    }
    return outcome;
}

bool ArchiveSync::Send(FileArchive& local, ServerArchive& server, std::int64_t reading, bool goingOn)
{
    std::optional<ReadingSummary> summary = local.Find(reading);
    if (!summary)
        return false;
    // A reading is sent to its end once it has ended, or once nobody holds
    // its lock: then it was cut off for good, and stays "interrupted". Its
    // program lets go of the lock only after marking its end.
    bool whole = summary->end != ReadingEnd::Interrupted;
    if (!whole && !goingOn && !ReadingLiveLock::IsHeld(local.Path(), summary->uuid)) {
        summary = local.Find(reading);
        whole = true;
    }
    auto shipped = m_shipped.find(reading);
    if (shipped == m_shipped.end())
        shipped = m_shipped.emplace(reading, server.KeptCounts(summary->uuid)).first;
    std::map<unsigned, unsigned> reached = shipped->second;
    std::vector<ArchivedTable> tables;
    std::vector<ArchivedRecord> records;
    for (const ReadingArchive::KeptTable& table : local.KeptTables(reading)) {
        tables.push_back(ArchivedTable{table.number, table.header, table.unitCount});
        const unsigned from = reached[table.number];
        const unsigned to = static_cast<unsigned>(std::clamp<std::int64_t>(table.kept, 0, 0xFFFF));
        if (to <= from)
            continue;
        local.EachRecordFrom(reading, table.number, from, to, [&](std::int64_t index, const wxString& text) {
            records.push_back(ArchivedRecord{table.number, static_cast<unsigned>(index), text});
        });
        reached[table.number] = to;
    }
    if (whole || !records.empty() || reached.size() != shipped->second.size())
        server.Keep(*summary, tables, records);
    shipped->second = std::move(reached);
    if (!whole)
        return false;
    local.MarkSent(reading);
    m_shipped.erase(reading);
    return true;
}
