#ifndef MORVA_ARCHIVE_SQLITECONNECTION_H
#define MORVA_ARCHIVE_SQLITECONNECTION_H

#include <wx/string.h>

struct sqlite3;

// One open SQLite database file, closed with the object. Every failure
// throws ArchiveError.
class SqliteConnection {
public:
    enum class Mode { ReadOnly, ReadWrite, ReadWriteCreate };

    // Waits up to `busyTimeoutMs` for a lock another connection holds.
    SqliteConnection(const wxString& path, Mode mode, int busyTimeoutMs);
    ~SqliteConnection();
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    // Runs statements that return nothing the caller needs.
    void Execute(const char* sql) const;
    // The same, but false where another connection held the file and
    // SQLite gave up at once (some changes, such as the journal's mode, are
    // never waited for); every other failure throws.
    bool ExecuteUnlessBusy(const char* sql) const;
    // Throws ArchiveError for a result code that is not `SQLITE_OK`.
    void Check(int code) const;
    bool IsReadOnly() const;
    long long LastInsertId() const;

    sqlite3* handle() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
};

#endif
