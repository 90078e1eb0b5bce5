#include "web/archivepool.h"

#include <utility>

ArchivePool::Loan::Loan(ArchivePool& pool, std::unique_ptr<ReadingArchive> archive)
    : m_pool(&pool)
    , m_archive(std::move(archive))
{
}

ArchivePool::Loan::~Loan()
{
    if (m_archive && !m_spoilt)
        m_pool->HandBack(std::move(m_archive));
}

ArchivePool::ArchivePool(wxString place, std::size_t keep, const std::atomic<bool>* stop)
    : m_place(std::move(place))
    , m_keep(keep)
    , m_stop(stop)
{
}

ArchivePool::Loan ArchivePool::Borrow()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_idle.empty()) {
            std::unique_ptr<ReadingArchive> archive = std::move(m_idle.back());
            m_idle.pop_back();
            return Loan(*this, std::move(archive));
        }
    }
    return Loan(*this, OpenArchive(m_place, ReadingArchive::Access::Read, m_stop));
}

void ArchivePool::HandBack(std::unique_ptr<ReadingArchive> archive)
{
    // One that found no archive is opened again next time: the archive
    // may be there by then.
    if (!archive->Found())
        return;
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_idle.size() < m_keep)
        m_idle.push_back(std::move(archive));
}
