#ifndef MORVA_WEB_ARCHIVEPOOL_H
#define MORVA_WEB_ARCHIVEPOOL_H

#include "archive/readingarchive.h"

#include <wx/string.h>

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

// The archive opened for reading, once per request that needs it at the
// same time: a request borrows an open archive and hands it back, so that
// the file or the server is not opened again for every page.
class ArchivePool {
public:
    // An archive lent to one request; handed back when the loan ends,
    // unless it failed meanwhile or found no archive where it looked.
    class Loan {
    public:
        Loan(ArchivePool& pool, std::unique_ptr<ReadingArchive> archive);
        Loan(Loan&&) = default;
        Loan& operator=(Loan&&) = delete;
        ~Loan();

        const ReadingArchive& operator*() const { return *m_archive; }
        const ReadingArchive* operator->() const { return m_archive.get(); }
        // The archive failed: it is closed instead of handed back.
        void Spoil() { m_spoilt = true; }

    private:
        ArchivePool* m_pool;
        std::unique_ptr<ReadingArchive> m_archive;
        bool m_spoilt = false;
    };

    // `stop` ends any wait for the server when the program is stopped.
    ArchivePool(wxString place, std::size_t keep, const std::atomic<bool>* stop);

    // Throws ArchiveError when the archive cannot be opened.
    Loan Borrow();
    const wxString& Place() const { return m_place; }

private:
    void HandBack(std::unique_ptr<ReadingArchive> archive);

    const wxString m_place;
    const std::size_t m_keep;
    const std::atomic<bool>* m_stop;
    std::mutex m_mutex;
    std::vector<std::unique_ptr<ReadingArchive>> m_idle;
};

#endif
