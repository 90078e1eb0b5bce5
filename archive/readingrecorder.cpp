#include "archive/readingrecorder.h"

#include "archive/archiveerror.h"

#include <wx/intl.h>

ReadingRecorder::ReadingRecorder() = default;

ReadingRecorder::ReadingRecorder(const wxString& path, const ReadingFacts& facts)
{
    try {
        m_archive = std::make_unique<ReadingArchive>(path, ReadingArchive::Access::Write);
        m_reading = m_archive->BeginReading(facts, wxDateTime::Now());
    } catch (const ArchiveError& e) {
        Fail(e.reason());
        return;
    }
    m_committer = std::thread(&ReadingRecorder::CommitLoop, this);
}

ReadingRecorder::~ReadingRecorder()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_committer.joinable())
        m_committer.join();
    // A reading that never ended keeps its records and stays "interrupted".
    const std::lock_guard<std::mutex> lock(m_mutex);
    CommitPending();
}

void ReadingRecorder::Fail(const wxString& reason)
{
    if (!m_failure)
        m_failure = reason;
    m_archive.reset();
    m_tables.clear();
    m_records.clear();
}

bool ReadingRecorder::IsKeeping() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_archive != nullptr;
}

wxString ReadingRecorder::Warning() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_failure ? wxString::Format(_("The reading was not kept in the archive: %s"), *m_failure) : wxString();
}

void ReadingRecorder::Table(const ArchivedTable& table)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_archive)
        m_tables.push_back(table);
}

void ReadingRecorder::Record(unsigned table, unsigned index, const wxString& text)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_archive)
        m_records.push_back(ArchivedRecord{table, index, text});
}

void ReadingRecorder::CommitLoop()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stop) {
        m_wake.wait_for(lock, CommitPeriod, [this] { return m_stop; });
        CommitPending();
    }
}

void ReadingRecorder::CommitPending()
{
    if (!m_archive || (m_tables.empty() && m_records.empty()))
        return;
    try {
        m_archive->Store(m_reading, m_tables, m_records);
        m_tables.clear();
        m_records.clear();
    } catch (const ArchiveError& e) {
        Fail(e.reason());
    }
}

void ReadingRecorder::End(ReadingEnd end, const wxString& error)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_ended)
        return;
    m_ended = true;
    CommitPending();
    if (!m_archive)
        return;
    try {
        m_archive->EndReading(m_reading, end, error, wxDateTime::Now());
    } catch (const ArchiveError& e) {
        Fail(e.reason());
    }
}

std::optional<ReadingArchive::EarlierTable> ReadingRecorder::FindEarlierTable(unsigned number,
                                                                               const wxString& header,
                                                                               unsigned maxCount)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_archive)
        return std::nullopt;
    try {
        return m_archive->FindEarlierTable(number, header, maxCount, m_reading);
    } catch (const ArchiveError& e) {
        Fail(e.reason());
        return std::nullopt;
    }
}

std::vector<wxString> ReadingRecorder::EarlierRecords(const ReadingArchive::EarlierTable& table, unsigned number)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_archive)
        return {};
    try {
        return m_archive->Records(table.reading, number, table.count);
    } catch (const ArchiveError& e) {
        Fail(e.reason());
        return {};
    }
}
