#include "archive/pgconnection.h"

#include "archive/archiveerror.h"
#include "archive/serverplace.h"

#include <libpq-fe.h>

#include <wx/intl.h>

#include "archive/socketwait.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

// libpq's message without its trailing line break; the first lines only, as
// the server's detail can run long.
wxString MessageOf(const char* text)
{
    wxString message = wxString::FromUTF8(text ? text : "");
    message.Replace("\t", " ");
    message.Trim().Trim(false);
    message.Replace("\n", "; ");
    while (message.Replace("  ", " ") > 0) {
    }
    return message;
}

// SQLSTATE classes that mean the server is gone or the line to it broke,
// rather than a fault of the statement.
bool IsConnectionLoss(const char* state)
{
    return state && (std::string(state).rfind("08", 0) == 0 || std::string(state).rfind("57P", 0) == 0);
}

// Statements the server gave up at its limits or for its load, which may
// well go through later: a lock held too long (lock_timeout), a statement
// run too long (statement_timeout), too little room, a conflict between
// transactions.
bool IsBusy(const char* state)
{
    const std::string code = state;
    return code == "55P03" || code == "57014" || code.rfind("53", 0) == 0 || code.rfind("40", 0) == 0;
}

} // namespace

void PgResult::Clear::operator()(pg_result* result) const { PQclear(result); }

PgResult::PgResult(pg_result* result)
    : m_result(result)
{
}

int PgResult::Rows() const { return PQntuples(m_result.get()); }

bool PgResult::IsNull(int row, int column) const { return PQgetisnull(m_result.get(), row, column) != 0; }

std::int64_t PgResult::Integer(int row, int column) const
{
    return std::strtoll(PQgetvalue(m_result.get(), row, column), nullptr, 10);
}

wxString PgResult::Text(int row, int column) const
{
    // The server sends UTF-8 (client_encoding), checked on its side.
    return wxString::FromUTF8Unchecked(PQgetvalue(m_result.get(), row, column),
                                       PQgetlength(m_result.get(), row, column));
}

PgConnection::PgConnection(const wxString& place, const std::atomic<bool>* stop, Limits limits)
    : m_stop(stop)
    , m_limits(limits)
{
    // Parsed before anything else: libpq's own parse errors quote the
    // place, password and all.
    const wxString refusal = ServerPlace(place).TlsRefusal(HasTls());
    if (!refusal.empty())
        throw ArchiveError(refusal);
    Connect(place);
    try {
        Prepare();
    } catch (...) {
        if (m_connection)
            PQfinish(m_connection);
        m_connection = nullptr;
        throw;
    }
}

void PgConnection::Connect(const wxString& place)
{
    const std::string conninfo(place.utf8_str());
    // Ours unless the place says otherwise: keepalives, so that a network
    // that dropped the server is noticed, and our name in its activity;
    // the text always travels as UTF-8.
    const char* const keywords[] = {"connect_timeout", "tcp_user_timeout", "keepalives_idle", "keepalives_interval",
                                    "keepalives_count", "application_name", "dbname", "client_encoding", nullptr};
    const std::string connectSeconds = std::to_string(
        std::max<long long>(2, std::chrono::duration_cast<std::chrono::seconds>(m_limits.connect).count()));
    const char* const values[] = {connectSeconds.c_str(), "15000", "10", "5", "3", "MORVA_Reporter",
                                  conninfo.c_str(), "UTF8", nullptr};
    m_connection = PQconnectStartParams(keywords, values, 1);
    if (!m_connection)
        throw ArchiveError(_("the archive server cannot be reached: out of memory"), ArchiveError::Kind::Unreachable);
    const Clock::time_point deadline = Clock::now() + m_limits.connect;
    // As if the first poll had asked to write.
    for (PostgresPollingStatusType state = PGRES_POLLING_WRITING; state != PGRES_POLLING_OK;) {
        if (state == PGRES_POLLING_FAILED || PQstatus(m_connection) == CONNECTION_BAD) {
            const wxString message = MessageOf(PQerrorMessage(m_connection));
            PQfinish(m_connection);
            m_connection = nullptr;
            throw ArchiveError(wxString::Format(_("the archive server cannot be reached: %s"), message),
                               ArchiveError::Kind::Unreachable);
        }
        Wait(state == PGRES_POLLING_WRITING, deadline);
        state = PQconnectPoll(m_connection);
    }
}

void PgConnection::Prepare()
{
    // Our statements are small and many: compiling them would cost more
    // than it saves.
    const std::string settings = "SET statement_timeout = " + std::to_string(m_limits.statement.count())
        + "; SET lock_timeout = " + std::to_string(m_limits.lock.count()) + "; SET jit = off";
    Run(settings.c_str());
    CheckEncoding();
}

void PgConnection::CheckEncoding() const
{
    // The unit's texts are any Unicode: a database that keeps another
    // character set would refuse some readings, or change them.
    const PgResult encoding = Execute("SHOW server_encoding");
    const wxString name = encoding.Text(0, 0);
    if (name != "UTF8" && name != "SQL_ASCII")
        throw ArchiveError(wxString::Format(_("the archive server's database keeps its texts as %s, which cannot "
                                              "hold every reading; it must be made with the encoding UTF8"),
                                            name));
}

PgConnection::~PgConnection()
{
    if (m_connection)
        PQfinish(m_connection);
}

void PgConnection::RequireOpen() const
{
    if (!m_connection)
        throw ArchiveError(_("the archive server cannot be reached: the connection was given up"),
                           ArchiveError::Kind::Unreachable);
}

void PgConnection::Wait(bool forWrite, Clock::time_point deadline) const
{
    constexpr std::chrono::milliseconds Slice{100};
    for (;;) {
        if (m_stop && m_stop->load())
            Abandon(_("the program stopped waiting for it"));
        const Clock::time_point now = Clock::now();
        if (now >= deadline)
            Abandon(_("it did not answer in time"));
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
        if (WaitForSocket(PQsocket(m_connection), forWrite ? SocketDirection::Write : SocketDirection::Read,
                          std::min(left + std::chrono::milliseconds(1), Slice)))
            return;
    }
}

void PgConnection::Abandon(const wxString& why) const
{
    // The server is asked to end what it is doing for us at once, else it
    // does so at its own limits. The request waits for a connection of its
    // own, which a dead network may hold up: it goes on a thread of its
    // own, which needs nothing of ours and ends with the process at the
    // latest.
    if (PGcancel* cancel = PQgetCancel(m_connection)) {
        std::thread([cancel] {
            char error[256];
            PQcancel(cancel, error, sizeof error);
            PQfreeCancel(cancel);
        }).detach();
    }
    PQfinish(m_connection);
    m_connection = nullptr;
    throw ArchiveError(wxString::Format(_("the archive server cannot be reached: %s"), why),
                       ArchiveError::Kind::Unreachable);
}

PgResult PgConnection::Execute(const char* sql, const std::vector<Value>& values) const
{
    RequireOpen();
    std::vector<const char*> texts;
    texts.reserve(values.size());
    for (const Value& value : values)
        texts.push_back(value ? value->c_str() : nullptr);
    if (PQsendQueryParams(m_connection, sql, static_cast<int>(texts.size()), nullptr, texts.data(), nullptr, nullptr,
                          0)
        != 1)
        Checked(nullptr);
    return Await();
}

void PgConnection::Run(const char* sql) const
{
    Send(sql);
    Await();
}

void PgConnection::Send(const char* sql) const
{
    RequireOpen();
    if (PQsendQuery(m_connection, sql) != 1)
        Checked(nullptr);
}

PgResult PgConnection::Receive() const { return Await(); }

PgResult PgConnection::Await() const
{
    RequireOpen();
    const Clock::time_point deadline = Clock::now() + m_limits.answer;
    for (int flushed = PQflush(m_connection); flushed != 0; flushed = PQflush(m_connection)) {
        if (flushed < 0)
            Checked(nullptr);
        Wait(true, deadline);
    }
    pg_result* kept = nullptr;
    for (;;) {
        while (PQisBusy(m_connection) == 1) {
            Wait(false, deadline);
            if (PQconsumeInput(m_connection) != 1) {
                PQclear(kept);
                Checked(nullptr);
            }
        }
        pg_result* next = PQgetResult(m_connection);
        if (!next)
            break;
        const bool keptFailed = kept && PQresultStatus(kept) != PGRES_COMMAND_OK
            && PQresultStatus(kept) != PGRES_TUPLES_OK;
        if (keptFailed) {
            PQclear(next);
        } else {
            PQclear(kept);
            kept = next;
        }
    }
    return Checked(kept);
}

PgResult PgConnection::Checked(pg_result* raw) const
{
    PgResult result(raw);
    const ExecStatusType status = raw ? PQresultStatus(raw) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
        return result;
    const char* state = raw ? PQresultErrorField(raw, PG_DIAG_SQLSTATE) : nullptr;
    const wxString message = MessageOf(raw ? PQresultErrorMessage(raw) : PQerrorMessage(m_connection));
    if (!state || IsConnectionLoss(state) || PQstatus(m_connection) != CONNECTION_OK)
        throw ArchiveError(wxString::Format(_("the archive server cannot be reached: %s"),
                                            message.empty() ? MessageOf(PQerrorMessage(m_connection)) : message),
                           ArchiveError::Kind::Unreachable);
    if (IsBusy(state))
        throw ArchiveError(wxString::Format(_("the archive server is busy: %s"), message),
                           ArchiveError::Kind::Unreachable);
    throw ArchiveError(wxString::Format(_("the archive server refused it: %s"), message));
}

bool PgConnection::HasTls() { return PQsslAttribute(nullptr, "library") != nullptr; }
