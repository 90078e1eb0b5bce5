#include "archive/readingrecorder.h"

#include "archive/readinguuid.h"

#include "archive/archiveerror.h"

#include <wx/intl.h>

ReadingRecorder::ReadingRecorder() = default;

ReadingRecorder::ReadingRecorder(const wxString& path, const ReadingFacts& facts)
{
    try {
        m_archive = OpenArchive(path, ReadingArchive::Access::Write);
        m_reading = m_archive->BeginReading(facts, NewReadingUuid(), wxDateTime::Now());
    } catch (const ArchiveError& e) {
        m_archive.reset();
        m_failure = e.reason();
        return;
    }
    m_keeping = true;
    m_committer = std::thread(&ReadingRecorder::CommitLoop, this);
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
    const std::lock_guard<std::mutex> archiveLock(m_archiveMutex);
    m_archive.reset();
}

void ReadingRecorder::Fail(const wxString& reason)
{
    if (!m_failure)
        m_failure = reason;
    m_keeping = false;
    m_tables.clear();
    m_records.clear();
}

bool ReadingRecorder::IsKeeping() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_keeping;
}

wxString ReadingRecorder::Warning() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_failure ? wxString::Format(_("The reading was not kept in the archive: %s"), *m_failure) : wxString();
}

void ReadingRecorder::Table(const ArchivedTable& table)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_keeping)
        m_tables.push_back(table);
}

void ReadingRecorder::Record(unsigned table, unsigned index, const wxString& text)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_keeping)
        m_records.push_back(ArchivedRecord{table, index, text});
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

// The connection's lock is held from taking the pending batch to its
// commit, so that batches reach the archive in the order they were taken.
void ReadingRecorder::CommitPending()
{
    const std::lock_guard<std::mutex> archiveLock(m_archiveMutex);
    std::vector<ArchivedTable> tables;
    std::vector<ArchivedRecord> records;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_archive || !m_keeping || (m_tables.empty() && m_records.empty()))
            return;
        tables.swap(m_tables);
        records.swap(m_records);
    }
    try {
        m_archive->Store(m_reading, tables, records);
    } catch (const ArchiveError& e) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        Fail(e.reason());
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
    std::vector<ArchivedTable> tables;
    std::vector<ArchivedRecord> records;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_archive || m_ended || !m_keeping)
            return;
        m_ended = true;
        tables.swap(m_tables);
        records.swap(m_records);
    }
    // What is left and how the reading ended, in one commit.
    try {
        m_archive->EndReading(m_reading, tables, records, end, error, wxDateTime::Now());
    } catch (const ArchiveError& e) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        Fail(e.reason());
    }
}

std::optional<ReadingArchive::EarlierTable> ReadingRecorder::FindEarlierTable(unsigned number,
                                                                               const wxString& header,
                                                                               unsigned maxCount)
{
    const std::lock_guard<std::mutex> archiveLock(m_archiveMutex);
    if (!m_archive || !IsKeeping())
        return std::nullopt;
    try {
        return m_archive->FindEarlierTable(number, header, maxCount, m_reading);
    } catch (const ArchiveError& e) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        Fail(e.reason());
        return std::nullopt;
    }
}

std::vector<wxString> ReadingRecorder::EarlierRecords(const ReadingArchive::EarlierTable& table, unsigned number)
{
    const std::lock_guard<std::mutex> archiveLock(m_archiveMutex);
    if (!m_archive || !IsKeeping())
        return {};
    try {
        return m_archive->Records(table.reading, number, table.count);
    } catch (const ArchiveError& e) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        Fail(e.reason());
        return {};
    }
}
