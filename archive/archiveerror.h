#ifndef MORVA_ARCHIVE_ARCHIVEERROR_H
#define MORVA_ARCHIVE_ARCHIVEERROR_H

#include <wx/string.h>

#include <stdexcept>

// Why the archive of readings cannot be opened or written, as a translated
// reason for the operator ("the archive is read-only", ...).
class ArchiveError : public std::runtime_error {
public:
    explicit ArchiveError(const wxString& reason);

    // The reason for an SQLite result code and the system's error number
    // behind it; `detail` is SQLite's own text, used where no reason of
    // ours fits.
    static ArchiveError FromSqlite(int code, int systemError, const char* detail);

    const wxString& reason() const { return m_reason; }

private:
    wxString m_reason;
};

#endif
