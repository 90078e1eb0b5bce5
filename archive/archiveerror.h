#ifndef MORVA_ARCHIVE_ARCHIVEERROR_H
#define MORVA_ARCHIVE_ARCHIVEERROR_H

#include <wx/string.h>

#include <stdexcept>

// Why the archive of readings cannot be opened or written, as a translated
// reason for the operator ("the archive is read-only", ...).
class ArchiveError : public std::runtime_error {
public:
    // Whether trying again later may succeed: the archive server was not
    // reached, its line broke, it was busy past our bounds or we stopped
    // waiting for it; else the archive refused what was asked of it.
    enum class Kind { Refused, Unreachable };

    explicit ArchiveError(const wxString& reason, Kind kind = Kind::Refused);

    // The reason for an SQLite result code and the system's error number
    // behind it; `detail` is SQLite's own text, used where no reason of
    // ours fits.
    static ArchiveError FromSqlite(int code, int systemError, const char* detail);

    const wxString& reason() const { return m_reason; }
    bool IsUnreachable() const { return m_kind == Kind::Unreachable; }

private:
    wxString m_reason;
    Kind m_kind;
};

#endif
