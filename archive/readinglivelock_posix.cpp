#include "archive/readinglivelock.h"

#include "archive/archiveerror.h"

#include <wx/intl.h>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

// flock, not fcntl's locks: those belong to the process, so that this
// program would never see its own readings' locks as held, and would drop
// them on closing any descriptor of the file.
ReadingLiveLock::ReadingLiveLock(const wxString& archive, const wxString& uuid)
    : m_path(PathOf(archive, uuid))
{
    const int file = ::open(m_path.fn_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (file < 0)
        throw ArchiveError(wxString::Format(_("cannot write in the archive's folder (%s)"), wxString(strerror(errno))));
    if (::flock(file, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(file);
        throw ArchiveError(wxString::Format(_("cannot write in the archive's folder (%s)"), wxString(strerror(error))));
    }
    m_handle = file;
}

ReadingLiveLock::~ReadingLiveLock()
{
    // Removed while still held: whoever looks finds the lock or no file.
    ::unlink(m_path.fn_str());
    ::close(static_cast<int>(m_handle));
}

bool ReadingLiveLock::IsHeld(const wxString& archive, const wxString& uuid)
{
    const wxString path = PathOf(archive, uuid);
    const int file = ::open(path.fn_str(), O_RDWR | O_CLOEXEC);
    if (file < 0)
        return false;
    if (::flock(file, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(file);
        return held;
    }
    ::unlink(path.fn_str());
    ::close(file);
    return false;
}
