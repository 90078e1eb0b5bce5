#include "archive/archiveerror.h"

#include <wx/intl.h>

#include <sqlite3.h>

#include <cerrno>

ArchiveError::ArchiveError(const wxString& reason, Kind kind)
    : std::runtime_error(reason.utf8_string())
    , m_reason(reason)
    , m_kind(kind)
{
}

ArchiveError ArchiveError::FromSqlite(int code, int systemError, const char* detail)
{
    // A write that found no room may come back as an I/O error.
    if (systemError == ENOSPC)
        return ArchiveError(_("the disk is full"));
    switch (code & 0xFF) {
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return ArchiveError(_("the archive cannot be written (read-only)"));
    case SQLITE_FULL:
        return ArchiveError(_("the disk is full"));
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return ArchiveError(_("the archive is locked by another program"));
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return ArchiveError(_("the archive is damaged"));
    case SQLITE_CANTOPEN:
        return ArchiveError(_("the archive cannot be opened"));
    default:
        return ArchiveError(wxString::FromUTF8(detail ? detail : sqlite3_errstr(code)));
    }
}
