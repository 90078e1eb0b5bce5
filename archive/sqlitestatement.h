#ifndef MORVA_ARCHIVE_SQLITESTATEMENT_H
#define MORVA_ARCHIVE_SQLITESTATEMENT_H

#include <wx/string.h>

#include <cstdint>

class SqliteConnection;
struct sqlite3_stmt;

// One prepared statement of a connection, finalised with the object. Binds
// are numbered from 1, columns from 0; texts are UTF-8 in the database.
class SqliteStatement {
public:
    SqliteStatement(const SqliteConnection& connection, const char* sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    SqliteStatement& Bind(int index, std::int64_t value);
    SqliteStatement& Bind(int index, const wxString& text);
    SqliteStatement& BindNull(int index);

    // Steps once: true when a row is there to read.
    bool Step();
    // Steps to the end and makes the statement ready for new binds.
    void Run();
    void Reset();

    std::int64_t Integer(int column) const;
    wxString Text(int column) const;
    bool IsNull(int column) const;

private:
    const SqliteConnection& m_connection;
    sqlite3_stmt* m_statement = nullptr;
};

#endif
