#include "archive/pgconnection.h"

#include "archive/archiveerror.h"
#include "archive/serverplace.h"

#include <libpq-fe.h>

#include <wx/intl.h>

#include <cstdlib>

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

PgConnection::PgConnection(const wxString& place)
{
    // Parsed before anything else: libpq's own parse errors quote the
    // place, password and all.
    const wxString refusal = ServerPlace(place).TlsRefusal(HasTls());
    if (!refusal.empty())
        throw ArchiveError(refusal);
    const std::string conninfo(place.utf8_str());
    // Ours unless the place says otherwise: bounded waits for the server,
    // when connecting and when a network that dropped it leaves a
    // statement unanswered, and our name in its activity; the text always
    // travels as UTF-8.
    const char* const keywords[] = {"connect_timeout", "tcp_user_timeout", "keepalives_idle", "keepalives_interval",
                                    "keepalives_count", "application_name", "dbname", "client_encoding", nullptr};
    const char* const values[] = {"10", "15000", "10", "5", "3", "MORVA_Reporter", conninfo.c_str(), "UTF8",
                                  nullptr};
    m_connection = PQconnectdbParams(keywords, values, 1);
    if (!m_connection)
        throw ArchiveError(_("the archive server cannot be reached: out of memory"));
    if (PQstatus(m_connection) != CONNECTION_OK) {
        const wxString message = MessageOf(PQerrorMessage(m_connection));
        PQfinish(m_connection);
        m_connection = nullptr;
        throw ArchiveError(wxString::Format(_("the archive server cannot be reached: %s"), message));
    }
    // Our statements are small and many: compiling them would cost more
    // than it saves.
    Run("SET jit = off");
}

PgConnection::~PgConnection()
{
    if (m_connection)
        PQfinish(m_connection);
}

PgResult PgConnection::Execute(const char* sql, const std::vector<Value>& values) const
{
    std::vector<const char*> texts;
    texts.reserve(values.size());
    for (const Value& value : values)
        texts.push_back(value ? value->c_str() : nullptr);
    return Checked(PQexecParams(m_connection, sql, static_cast<int>(texts.size()), nullptr, texts.data(), nullptr,
                                nullptr, 0));
}

void PgConnection::Run(const char* sql) const { Checked(PQexec(m_connection, sql)); }

void PgConnection::Send(const char* sql) const
{
    if (PQsendQuery(m_connection, sql) != 1)
        Checked(nullptr);
}

PgResult PgConnection::Receive() const
{
    pg_result* result = PQgetResult(m_connection);
    // The statement's end: libpq hands over no more after its one result.
    while (pg_result* more = PQgetResult(m_connection))
        PQclear(more);
    return Checked(result);
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
                                            message.empty() ? MessageOf(PQerrorMessage(m_connection)) : message));
    throw ArchiveError(wxString::Format(_("the archive server refused it: %s"), message));
}

bool PgConnection::HasTls() { return PQsslAttribute(nullptr, "library") != nullptr; }
