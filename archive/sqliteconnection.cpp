#include "archive/sqliteconnection.h"

#include "archive/archiveerror.h"

#include <sqlite3.h>

SqliteConnection::SqliteConnection(const wxString& path, Mode mode, int busyTimeoutMs)
{
    int flags = SQLITE_OPEN_NOMUTEX;
    switch (mode) {
    case Mode::ReadOnly: flags |= SQLITE_OPEN_READONLY; break;
    case Mode::ReadWrite: flags |= SQLITE_OPEN_READWRITE; break;
    case Mode::ReadWriteCreate: flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE; break;
    }
    const int code = sqlite3_open_v2(path.utf8_str(), &m_db, flags, nullptr);
    if (code != SQLITE_OK) {
        const ArchiveError error = ArchiveError::FromSqlite(code, m_db ? sqlite3_system_errno(m_db) : 0, m_db ? sqlite3_errmsg(m_db) : nullptr);
        sqlite3_close(m_db);
        throw error;
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, busyTimeoutMs);
}

SqliteConnection::~SqliteConnection() { sqlite3_close_v2(m_db); }

void SqliteConnection::Execute(const char* sql) const
{
    Check(sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr));
}

bool SqliteConnection::ExecuteUnlessBusy(const char* sql) const
{
    const int code = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
    if ((code & 0xFF) == SQLITE_BUSY)
        return false;
    Check(code);
    return true;
}

void SqliteConnection::Check(int code) const
{
    if (code != SQLITE_OK && code != SQLITE_ROW && code != SQLITE_DONE)
        throw ArchiveError::FromSqlite(code, sqlite3_system_errno(m_db), sqlite3_errmsg(m_db));
}

bool SqliteConnection::IsReadOnly() const { return sqlite3_db_readonly(m_db, "main") == 1; }

long long SqliteConnection::LastInsertId() const { return sqlite3_last_insert_rowid(m_db); }
