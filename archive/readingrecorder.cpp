#include "archive/readingrecorder.h"

#include "archive/archiveerror.h"
#include "archive/archiveoutbox.h"
#include "archive/filearchive.h"
#include "archive/keptrecordslookup.h"
#include "archive/readinglivelock.h"
#include "archive/readinguuid.h"

#include <wx/intl.h>

#include <algorithm>

ReadingRecorder::ReadingRecorder() = default;

ReadingRecorder::ReadingRecorder(const wxString& path, const ReadingFacts& facts,
                                 std::shared_ptr<ArchiveOutbox> outbox)
    : m_outbox(std::move(outbox))
{
    if (path.empty()) {
        m_failure = _("there is no folder to keep it in");
        return;
    }
    const wxString uuid = NewReadingUuid();
    try {
        m_file = std::make_unique<FileArchive>(path, ReadingArchive::Access::Write);
        // Held from before the reading is in the file until its end is;
        // those of killed programs go.
        ReadingLiveLock::RemoveStale(path);
        m_live = std::make_unique<ReadingLiveLock>(path, uuid);
        m_reading = m_file->BeginReading(facts, uuid, wxDateTime::Now());
        m_keeping = true;
    } catch (const ArchiveError& e) {
        m_file.reset();
        m_live.reset();
        m_failure = e.reason();
        return;
    }
    m_lookup = std::make_unique<KeptRecordsLookup>(path, m_outbox ? m_outbox->Server() : wxString(), m_reading);
    m_committer = std::thread(&ReadingRecorder::CommitLoop, this);
    if (m_outbox)
        m_outbox->Keeping(m_reading, true);
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
    {
        const std::lock_guard<std::mutex> fileLock(m_fileMutex);
        m_file.reset();
        // Let go of only once the file holds the reading's end, if it has one.
        m_live.reset();
    }
    if (m_outbox && m_reading != 0)
        m_outbox->Keeping(m_reading, false);
}

void ReadingRecorder::Fail(const wxString& reason)
{
    if (!m_failure)
        m_failure = reason;
    m_keeping = false;
}

bool ReadingRecorder::IsKeeping() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_keeping;
}

wxDateTime ReadingRecorder::Ended() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_endTime;
}

wxString ReadingRecorder::Warning(std::chrono::milliseconds serverWait) const
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_failure)
            return wxString::Format(_("The reading was not kept in the archive: %s"), *m_failure);
    }
    if (!m_outbox || m_reading == 0 || m_outbox->WaitUntilSent(m_reading, serverWait))
        return wxString();
    wxString reason = m_outbox->Failure(m_reading);
    if (reason.empty() && serverWait == std::chrono::milliseconds::zero())
        return wxString(); // on its way
    if (reason.empty())
        reason = _("it did not answer in time");
    return wxString::Format(
        _("The reading was kept on this computer; it will be sent to the archive server later: %s"), reason);
}

void ReadingRecorder::Table(const ArchivedTable& table)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_keeping)
        return;
    ArchivedTable kept = table;
    const auto onServer = m_foundOnServer.find(table.number);
    if (table.taken > 0 && onServer != m_foundOnServer.end() && onServer->second) {
        // Taken from the server's reading, which the file does not hold.
        kept.earlierReading = 0;
        kept.taken = 0;
        const std::vector<wxString>& texts = m_takenFromServer[table.number];
        const auto count = std::min<std::size_t>(table.taken, texts.size());
        for (std::size_t i = 0; i < count; ++i)
            m_pending.records.push_back(ArchivedRecord{table.number, static_cast<unsigned>(i), texts[i]});
        m_takenFromServer.erase(table.number);
    }
    m_pending.tables.push_back(std::move(kept));
}

void ReadingRecorder::Record(unsigned table, unsigned index, const wxString& text)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_keeping)
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

// The file's lock is held from taking the pending batch to its commit, so
// that batches reach the file in the order they were taken.
void ReadingRecorder::CommitPending()
{
    const std::lock_guard<std::mutex> fileLock(m_fileMutex);
    Batch batch;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_keeping || m_ended || (m_pending.tables.empty() && m_pending.records.empty()))
            return;
        std::swap(batch, m_pending);
    }
    try {
        m_file->Store(m_reading, batch.tables, batch.records);
    } catch (const ArchiveError& e) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        Fail(e.reason());
        return;
    }
    if (m_outbox)
        m_outbox->Nudge();
}

void ReadingRecorder::End(ReadingEnd end, const wxString& error)
{
    {
        const std::lock_guard<std::mutex> fileLock(m_fileMutex);
        Batch batch;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            if (m_ended)
                return;
            m_ended = true;
            if (!m_keeping)
                return;
            std::swap(batch, m_pending);
        }
        // What is left and how the reading ended, in one commit.
        const wxDateTime ended = wxDateTime::Now();
        try {
            m_file->EndReading(m_reading, batch.tables, batch.records, end, error, ended);
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_endTime = ended;
        } catch (const ArchiveError& e) {
            const std::lock_guard<std::mutex> lock(m_mutex);
            Fail(e.reason());
        }
    }
    Close();
}

std::optional<ReadingArchive::EarlierTable> ReadingRecorder::FindEarlierTable(unsigned number,
                                                                               const wxString& header,
                                                                               unsigned maxCount)
{
    if (!m_lookup || !IsKeeping())
        return std::nullopt;
    const std::optional<KeptRecordsLookup::Found> found = m_lookup->FindEarlierTable(number, header, maxCount);
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_takenFromServer.erase(number);
    m_foundOnServer[number] = found && found->onServer;
    if (!found)
        return std::nullopt;
    return found->table;
}

std::vector<wxString> ReadingRecorder::EarlierRecords(const ReadingArchive::EarlierTable& table, unsigned number)
{
    bool onServer = false;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        const auto found = m_foundOnServer.find(number);
        if (!m_lookup || found == m_foundOnServer.end())
            return {};
        onServer = found->second;
    }
    // An error here is no failure of the file's: the table is read whole.
    std::vector<wxString> texts = m_lookup->Records(KeptRecordsLookup::Found{table, onServer}, number);
    if (onServer) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_takenFromServer[number] = texts;
    }
    return texts;
}
