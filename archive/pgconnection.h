#ifndef MORVA_ARCHIVE_PGCONNECTION_H
#define MORVA_ARCHIVE_PGCONNECTION_H

#include <wx/string.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct pg_conn;
struct pg_result;

// The rows of one statement's result, cleared with the object. Texts are
// UTF-8 on the wire.
class PgResult {
public:
    explicit PgResult(pg_result* result);
    pg_result* handle() const { return m_result.get(); }

    int Rows() const;
    bool IsNull(int row, int column) const;
    std::int64_t Integer(int row, int column) const;
    wxString Text(int row, int column) const;

private:
    struct Clear {
        void operator()(pg_result* result) const;
    };
    std::unique_ptr<pg_result, Clear> m_result;
};

// One connection to a PostgreSQL server through libpq, closed with the
// object. `place` is anything libpq takes: a "postgresql://" URL or
// key=value pairs, with libpq's own ways to fill the rest (PG* environment
// variables, service files, .pgpass), parsed as a ServerPlace first. Every
// failure throws ArchiveError whose reason never holds the password.
class PgConnection {
public:
    // A parameter of a statement: text, or SQL NULL.
    using Value = std::optional<std::string>;

    explicit PgConnection(const wxString& place);
    ~PgConnection();
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    // Runs one statement with its parameters ($1, $2, ...).
    PgResult Execute(const char* sql, const std::vector<Value>& values = {}) const;
    // Runs statements that take no parameters and return nothing needed.
    void Run(const char* sql) const;
    // Sends a statement without waiting for it; Receive waits for its
    // result. Meanwhile the connection takes no other statement.
    void Send(const char* sql) const;
    PgResult Receive() const;

    // Whether this program's libpq speaks TLS.
    static bool HasTls();

    static Value Of(const wxString& text) { return std::string(text.utf8_str()); }
    static Value Of(std::int64_t number) { return std::to_string(number); }

private:
    // The result when the statement succeeded; else throws.
    PgResult Checked(pg_result* result) const;

    pg_conn* m_connection = nullptr;
};

#endif
