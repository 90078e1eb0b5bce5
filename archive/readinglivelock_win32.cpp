#include "archive/readinglivelock.h"

#include "archive/archiveerror.h"

#include <wx/intl.h>

#include <windows.h>

// The file is opened unshared and goes with its last handle: whoever else
// opens it while the reading lives is refused, and it is gone with the
// program, however the program ends.
ReadingLiveLock::ReadingLiveLock(const wxString& archive, const wxString& uuid)
    : m_path(PathOf(archive, uuid))
{
    const HANDLE file = ::CreateFileW(m_path.wc_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw ArchiveError(wxString::Format(_("cannot write in the archive's folder (%s)"),
                                            wxString::Format("error %lu", ::GetLastError())));
    m_handle = reinterpret_cast<long long>(file);
}

ReadingLiveLock::~ReadingLiveLock() { ::CloseHandle(reinterpret_cast<HANDLE>(m_handle)); }

bool ReadingLiveLock::IsHeld(const wxString& archive, const wxString& uuid)
{
    const HANDLE file = ::CreateFileW(PathOf(archive, uuid).wc_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return ::GetLastError() == ERROR_SHARING_VIOLATION;
    ::CloseHandle(file);
    return false;
}
