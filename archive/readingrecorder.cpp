#include "archive/readingrecorder.h"

#include "archive/archiveerror.h"
#include "archive/backgroundsync.h"
#include "archive/filearchive.h"
#include "archive/readinguuid.h"
#include "archive/serverarchive.h"

#include <wx/intl.h>

#include <algorithm>

ReadingRecorder::ReadingRecorder() = default;

ReadingRecorder::ReadingRecorder(const wxString& path, const ReadingFacts& facts, const wxString& server)
{
    const wxString uuid = NewReadingUuid();
    const wxDateTime started = wxDateTime::Now();
    if (!path.empty()) {
        try {
            m_local = std::make_unique<FileArchive>(path, ReadingArchive::Access::Write);
            m_localReading = m_local->BeginReading(facts, uuid, started);
            m_keepingLocal = true;
        } catch (const ArchiveError& e) {
            m_local.reset();
            m_localFailure = e.reason();
        }
    }
    if (!server.empty())
        BeginOnServer(server, facts, uuid);
    if (!m_keepingLocal && !m_keepingServer)
        return;
    m_committer = std::thread(&ReadingRecorder::CommitLoop, this);
    if (m_keepingLocal && m_keepingServer)
        m_sender = std::make_unique<BackgroundSync>(path, server, m_localReading);
}

void ReadingRecorder::BeginOnServer(const wxString& server, const ReadingFacts& facts, const wxString& uuid)
{
    try {
        m_server = std::make_unique<ServerArchive>(server, ReadingArchive::Access::Write);
        m_serverReading = m_server->BeginReading(facts, uuid, wxDateTime::Now());
        m_keepingServer = true;
    } catch (const ArchiveError& e) {
        m_server.reset();
        m_serverFailure = e.reason();
    }
}

ReadingRecorder::~ReadingRecorder()
{
    // A reading that never ended keeps its records and stays "interrupted".
    Close();
}

void ReadingRecorder::Close()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_committer.joinable())
        m_committer.join();
    CommitPending();
    m_sender.reset();
    const std::lock_guard<std::mutex> archiveLock(m_archiveMutex);
    m_local.reset();
    m_server.reset();
}

void ReadingRecorder::FailLocal(const wxString& reason)
{
    if (!m_localFailure)
        m_localFailure = reason;
    m_keepingLocal = false;
}

void ReadingRecorder::FailServer(const wxString& reason)
{
    if (!m_serverFailure)
        m_serverFailure = reason;
    m_keepingServer = false;
}

bool ReadingRecorder::IsKeeping() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_keepingLocal || m_keepingServer;
}

wxDateTime ReadingRecorder::Ended() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_endedAt;
}

wxString ReadingRecorder::Warning() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    wxString warning;
    if (m_localFailure)
        warning = wxString::Format(_("The reading was not kept in the archive: %s"), *m_localFailure);
    else if (m_serverFailure && !m_keepingLocal)
        // No file of this computer's to keep it in.
        warning = wxString::Format(_("The reading was not kept in the archive: %s"), *m_serverFailure);
    if (m_serverFailure && m_keepingLocal) {
        if (!warning.empty())
            warning += "\n";
        warning += wxString::Format(
            _("The reading was kept on this computer; it will be sent to the archive server later: %s"),
            *m_serverFailure);
    }
    return warning;
}

void ReadingRecorder::Table(const ArchivedTable& table)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_keepingLocal && !m_keepingServer)
        return;
    PendingTable pending{table, false, {}};
    const auto taken = m_taken.find(table.number);
    if (table.taken > 0 && taken != m_taken.end()) {
        pending.takenFromServer = taken->second.first;
        pending.taken = std::move(taken->second.second);
        m_taken.erase(taken);
    }
    m_pending.tables.push_back(std::move(pending));
}

void ReadingRecorder::Record(unsigned table, unsigned index, const wxString& text)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_keepingLocal || m_keepingServer)
        m_pending.records.push_back(ArchivedRecord{table, index, text});
}

void ReadingRecorder::CommitLoop()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stop) {
        m_wake.wait_for(lock, CommitPeriod, [this] { return m_stop; });
        lock.unlock();
        CommitPending();
        lock.lock();
    }
}

ReadingRecorder::Batch ReadingRecorder::TakePending()
{
    Batch batch;
    std::swap(batch, m_pending);
    return batch;
}

ReadingRecorder::Batch ReadingRecorder::ForArchive(const Batch& batch, bool server)
{
    Batch kept;
    kept.records = batch.records;
    for (const PendingTable& pending : batch.tables) {
        PendingTable table = pending;
        if (pending.table.taken > 0 && pending.takenFromServer != server) {
            table.table.earlierReading = 0;
            table.table.taken = 0;
            const unsigned count = std::min<unsigned>(pending.table.taken, static_cast<unsigned>(pending.taken.size()));
            for (unsigned i = 0; i < count; ++i)
                kept.records.push_back(ArchivedRecord{pending.table.number, i, pending.taken[i]});
        }
        kept.tables.push_back(std::move(table));
    }
    return kept;
}

std::vector<ArchivedTable> ReadingRecorder::TablesOf(const Batch& batch)
{
    std::vector<ArchivedTable> tables;
    for (const PendingTable& pending : batch.tables)
        tables.push_back(pending.table);
    return tables;
}

// The connections' lock is held from taking the pending batch to its
// commit, so that batches reach the archives in the order they were taken.
// The file first: whatever the server does, the file holds the batch.
void ReadingRecorder::CommitPending()
{
    const std::lock_guard<std::mutex> archiveLock(m_archiveMutex);
    Batch batch;
    bool local = false, server = false;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        local = m_keepingLocal && !m_ended;
        server = m_keepingServer && !m_ended;
        if ((!local && !server) || (m_pending.tables.empty() && m_pending.records.empty()))
            return;
        batch = TakePending();
    }
    if (local) {
        const Batch kept = ForArchive(batch, false);
        try {
            m_local->Store(m_localReading, TablesOf(kept), kept.records);
        } catch (const ArchiveError& e) {
            const std::lock_guard<std::mutex> lock(m_mutex);
            FailLocal(e.reason());
        }
    }
    if (server) {
        const Batch kept = ForArchive(batch, true);
        try {
            m_server->Store(m_serverReading, TablesOf(kept), kept.records);
        } catch (const ArchiveError& e) {
            const std::lock_guard<std::mutex> lock(m_mutex);
            FailServer(e.reason());
        }
    }
}

void ReadingRecorder::End(ReadingEnd end, const wxString& error)
{
    StoreEnd(end, error);
    Close();
}

void ReadingRecorder::StoreEnd(ReadingEnd end, const wxString& error)
{
    const std::lock_guard<std::mutex> archiveLock(m_archiveMutex);
    Batch batch;
    bool local = false, server = false;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_ended)
            return;
        m_ended = true;
        local = m_keepingLocal;
        server = m_keepingServer;
        batch = TakePending();
    }
    // What is left and how the reading ended, in one commit each.
    const wxDateTime ended = wxDateTime::Now();
    if (local) {
        const Batch kept = ForArchive(batch, false);
        try {
            m_local->EndReading(m_localReading, TablesOf(kept), kept.records, end, error, ended);
        } catch (const ArchiveError& e) {
            const std::lock_guard<std::mutex> lock(m_mutex);
            FailLocal(e.reason());
            local = false;
        }
    }
    if (server) {
        const Batch kept = ForArchive(batch, true);
        try {
            m_server->EndReading(m_serverReading, TablesOf(kept), kept.records, end, error, ended);
        } catch (const ArchiveError& e) {
            const std::lock_guard<std::mutex> lock(m_mutex);
            FailServer(e.reason());
            server = false;
        }
    }
    if (local || server) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_endedAt = ended;
    }
    // The server holds the whole reading: the file need not send it.
    if (local && server) {
        try {
            m_local->MarkSent(m_localReading);
        } catch (const ArchiveError&) {
            // Sent again later, and kept once there.
        }
    }
}

std::optional<ReadingArchive::EarlierTable> ReadingRecorder::FindEarlierTable(unsigned number,
                                                                               const wxString& header,
                                                                               unsigned maxCount)
{
    const std::lock_guard<std::mutex> archiveLock(m_archiveMutex);
    bool local = false, server = false;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        local = m_keepingLocal;
        server = m_keepingServer;
        m_taken.erase(number);
    }
    if (server) {
        try {
            auto earlier = m_server->FindEarlierTable(number, header, maxCount, m_serverReading);
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_taken[number].first = true;
            return earlier;
        } catch (const ArchiveError& e) {
            const std::lock_guard<std::mutex> lock(m_mutex);
            FailServer(e.reason());
        }
    }
    if (!local)
        return std::nullopt;
    try {
        auto earlier = m_local->FindEarlierTable(number, header, maxCount, m_localReading);
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_taken[number].first = false;
        return earlier;
    } catch (const ArchiveError& e) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        FailLocal(e.reason());
        return std::nullopt;
    }
}

std::vector<wxString> ReadingRecorder::EarlierRecords(const ReadingArchive::EarlierTable& table, unsigned number)
{
    const std::lock_guard<std::mutex> archiveLock(m_archiveMutex);
    bool fromServer = false;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        const auto found = m_taken.find(number);
        if (found == m_taken.end())
            return {};
        fromServer = found->second.first;
        if (fromServer ? !m_keepingServer : !m_keepingLocal)
            return {};
    }
    try {
        const ReadingArchive& archive = fromServer ? static_cast<const ReadingArchive&>(*m_server) : *m_local;
        std::vector<wxString> texts = archive.Records(table.reading, number, table.count);
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_taken[number].second = texts;
        return texts;
    } catch (const ArchiveError&) {
        // Kept records that cannot be read whole are not taken: the table
        // is read whole from the unit, and the reading is kept as before.
        return {};
    }
}
