#include "archive/sqlitestatement.h"

#include "archive/sqliteconnection.h"

#include <sqlite3.h>

SqliteStatement::SqliteStatement(const SqliteConnection& connection, const char* sql)
    : m_connection(connection)
{
    m_connection.Check(sqlite3_prepare_v2(connection.handle(), sql, -1, &m_statement, nullptr));
}

SqliteStatement::~SqliteStatement() { sqlite3_finalize(m_statement); }

SqliteStatement& SqliteStatement::Bind(int index, std::int64_t value)
{
    m_connection.Check(sqlite3_bind_int64(m_statement, index, value));
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, const wxString& text)
{
    const wxScopedCharBuffer utf8 = text.utf8_str();
    m_connection.Check(
        sqlite3_bind_text(m_statement, index, utf8.data(), static_cast<int>(utf8.length()), SQLITE_TRANSIENT));
    return *this;
}

SqliteStatement& SqliteStatement::BindNull(int index)
{
    m_connection.Check(sqlite3_bind_null(m_statement, index));
    return *this;
}

bool SqliteStatement::Step()
{
    const int code = sqlite3_step(m_statement);
    if (code == SQLITE_ROW)
        return true;
    if (code != SQLITE_DONE) {
        sqlite3_reset(m_statement);
        m_connection.Check(code);
    }
    return false;
}

void SqliteStatement::Run()
{
    while (Step()) {
    }
    Reset();
}

void SqliteStatement::Reset()
{
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
}

std::int64_t SqliteStatement::Integer(int column) const { return sqlite3_column_int64(m_statement, column); }

wxString SqliteStatement::Text(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    const int size = sqlite3_column_bytes(m_statement, column);
    return text ? wxString::FromUTF8(text, static_cast<std::size_t>(size)) : wxString();
}

bool SqliteStatement::IsNull(int column) const { return sqlite3_column_type(m_statement, column) == SQLITE_NULL; }
