#ifndef MORVA_ARCHIVE_PGCONNECTION_H
#define MORVA_ARCHIVE_PGCONNECTION_H

#include <wx/string.h>

#include <atomic>
#include <chrono>
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

// How long a connection waits for the server (see PgConnection).
struct PgConnectionLimits {
    std::chrono::milliseconds connect{10000};
    // How long the server runs one statement of ours, and waits for a
    // lock that another session holds, before it gives up.
    std::chrono::milliseconds statement{60000};
    std::chrono::milliseconds lock{5000};
    // How long we wait for the answer: past the statement's limit, so
    // that the server's own word on it comes first.
    std::chrono::milliseconds answer{70000};
};

// One connection to a PostgreSQL server through libpq, closed with the
// object. `place` is anything libpq takes: a "postgresql://" URL or
// key=value pairs, with libpq's own ways to fill the rest (PG* environment
// variables, service files, .pgpass), parsed as a ServerPlace first. Every
// failure throws ArchiveError whose reason never holds the password.
//
// No wait is unbounded: connecting, and each statement's answer, end at
// their limits, and within a tenth of a second once `stop` is set; the
// server itself gives up a statement, or a wait for a lock, of ours at its
// limits. A connection that stopped waiting is closed, and every later
// statement fails as unreachable.
class PgConnection {
public:
    // A parameter of a statement: text, or SQL NULL.
    using Value = std::optional<std::string>;

    using Limits = PgConnectionLimits;

    // `stop`, when given, outlives the connection.
    explicit PgConnection(const wxString& place, const std::atomic<bool>* stop = nullptr, Limits limits = Limits());
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
    using Clock = std::chrono::steady_clock;

    void Connect(const wxString& place);
    // What every session of ours runs under, and the database's text.
    void Prepare();
    void CheckEncoding() const;
    // The result of the statement sent, once all of it has come: the
    // first that failed, else the last.
    PgResult Await() const;
    // Until the socket is ready, the deadline passes or `stop` is set; the
    // connection is abandoned then.
    void Wait(bool forWrite, Clock::time_point deadline) const;
    [[noreturn]] void Abandon(const wxString& why) const;
    void RequireOpen() const;
    // The result when the statement succeeded; else throws.
    PgResult Checked(pg_result* result) const;

    mutable pg_conn* m_connection = nullptr;
    const std::atomic<bool>* m_stop;
    Limits m_limits;
};

#endif
