#include "web/webserver.h"

#include "archive/archiveerror.h"
#include "insight/keptrecordtable.h"
#include "web/apianswers.h"
#include "web/boundedtaskqueue.h"
#include "web/markup.h"
#include "web/pageframe.h"
#include "web/pagelanguage.h"
#include "web/readingdownload.h"
#include "web/readingpage.h"
#include "web/readingslistpage.h"
#include "web/tlscredentials.h"
#include "web/webquery.h"

#include <httplib.h>

#include <wx/translation.h>

#include <algorithm>
#include <stdexcept>

namespace {

// The highest reading and table numbers a path may name.
constexpr std::int64_t MaxReading = 999999999999999999;
constexpr std::int64_t MaxTable = 4096;

const char* const HtmlType = "text/html; charset=utf-8";
const char* const JsonType = "application/json";

bool isApi(const httplib::Request& request) { return request.path.rfind("/api/", 0) == 0; }

// A reading or table that is not there, a path that names nothing.
struct NotThere : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::int64_t pathNumber(const std::string& segment, std::int64_t max)
{
    const std::optional<std::int64_t> number = PathNumber(segment, max);
    if (!number)
        throw NotThere("There is no such page.");
    return *number;
}

// Runs `work` on an archive of the pool; one that fails is not lent again.
template <typename Work>
void withArchive(ArchivePool& pool, Work work)
{
    ArchivePool::Loan loan = pool.Borrow();
    try {
        work(*loan);
    } catch (const ArchiveError&) {
        loan.Spoil();
        throw;
    }
}

ReadingSummary findReading(const ReadingArchive& archive, std::int64_t number)
{
    const std::optional<ReadingSummary> reading = archive.Find(number);
    if (!reading)
        throw NotThere(wxString::Format(_("The archive holds no reading number %lld."), static_cast<long long>(number))
                           .utf8_string());
    return *reading;
}

// The kept table that the operator's number (counted from 1) names.
const ReadingArchive::KeptTable& findTable(const std::vector<ReadingArchive::KeptTable>& tables,
                                           std::int64_t reading, unsigned number)
{
    const auto found = std::find_if(tables.begin(), tables.end(),
                                    [&](const ReadingArchive::KeptTable& table) { return table.number + 1 == number; });
    if (found == tables.end())
        throw NotThere(wxString::Format(_("Reading %lld has no table %u."), static_cast<long long>(reading), number)
                           .utf8_string());
    return *found;
}

ReadingView viewOf(const PartQuery& part, unsigned table)
{
    ReadingView view;
    view.table = table;
    view.since = part.since;
    view.until = part.until;
    view.sinceText = part.sinceText;
    view.untilText = part.untilText;
    view.series = part.series;
    view.column.lowerName = "lower";
    view.column.upperName = "upper";
    return view;
}

// The readings a list's query asks for; its since is midnight, local time.
ReadingFilter filterOf(const ListQuery& query)
{
    ReadingFilter filter;
    filter.station = wxString::FromUTF8(query.station.c_str());
    filter.port = wxString::FromUTF8(query.port.c_str());
    if (query.since)
        filter.since.ParseISODate(wxString::FromUTF8(query.since->c_str()));
    return filter;
}

void sendJson(httplib::Response& response, const nlohmann::json& answer)
{
    response.set_content(answer.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace), JsonType);
}

} // namespace

WebServer::WebServer(const ServePlan& plan, const wxString& archivePlace, WebServerLimits limits)
    : m_plan(plan)
    , m_limits(limits)
    , m_archives(archivePlace, limits.threads, &m_stop)
    , m_gate(plan.passwordHash)
{
    if (plan.Https()) {
        const TlsCredentials credentials(plan.certificate, plan.key);
        m_server = std::make_unique<httplib::SSLServer>(
            [&credentials](SSL_CTX& context) { return credentials.Apply(context); });
        if (!m_server->is_valid())
            throw std::runtime_error("HTTPS cannot be set up with the certificate and key given");
    } else {
        m_server = std::make_unique<httplib::Server>();
    }
    const std::size_t threads = limits.threads;
    const std::size_t queued = limits.queued;
    m_server->new_task_queue = [threads, queued] { return new BoundedTaskQueue(threads, queued); };
    m_server->set_payload_max_length(limits.maxBody);
    m_server->set_read_timeout(limits.readSeconds, 0);
    m_server->set_write_timeout(limits.writeSeconds, 0);
    m_server->set_keep_alive_max_count(1000);
    m_server->set_keep_alive_timeout(5);
    // An answer goes out at once: without it the second write of an answer
    // on a kept-alive connection waits for the client's delayed ACK (40 ms).
    m_server->set_tcp_nodelay(true);
    httplib::Headers headers{{"Content-Security-Policy", PageFrame::Policy},
                             {"X-Content-Type-Options", "nosniff"},
                             {"X-Frame-Options", "DENY"},
                             {"Referrer-Policy", "no-referrer"},
                             {"Cache-Control", "no-store"}};
    if (plan.Https())
        headers.emplace("Strict-Transport-Security", "max-age=31536000");
    m_server->set_default_headers(std::move(headers));
    Route();
}

WebServer::~WebServer() { Stop(); }

bool WebServer::Bind(wxString& error)
{
    const std::string& host = m_plan.listen.host;
    m_port = m_plan.listen.port == 0 ? m_server->bind_to_any_port(host)
        : m_server->bind_to_port(host, m_plan.listen.port) ? m_plan.listen.port
                                                           : -1;
    if (m_port <= 0) {
        error = wxString::Format(_("Cannot listen on %s: the address is not this computer's, or the port is taken."),
                                 wxString::FromUTF8(m_plan.listen.Text().c_str()));
        return false;
    }
    return true;
}

void WebServer::Run() { m_server->listen_after_bind(); }

void WebServer::Stop()
{
    m_stop = true;
    if (m_server)
        m_server->stop();
}

PageText WebServer::TextFor(const httplib::Request& request) const
{
    return m_catalogs.For(PageLanguage(request.get_header_value("Accept-Language")));
}

bool WebServer::LoggedIn(const httplib::Request& request) const
{
    return m_gate.NeedsPassword() && request.has_header("Cookie")
        && m_gate.Session(request.get_header_value("Cookie")) == LoginGate::Verdict::Admitted;
}

void WebServer::Route()
{
    m_server->set_pre_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
        if (request.headers.size() > m_limits.maxHeaders) {
            response.status = 431;
            response.set_content("Too many header lines.\n", "text/plain");
            return httplib::Server::HandlerResponse::Handled;
        }
        if (request.path == "/login" || Admitted(request, response))
            return httplib::Server::HandlerResponse::Unhandled;
        return httplib::Server::HandlerResponse::Handled;
    });
    m_server->set_exception_handler([this](const httplib::Request& request, httplib::Response& response,
                                           std::exception_ptr failure) { Failed(request, response, failure); });
    m_server->set_error_handler(httplib::Server::HandlerWithResponse(
        [this](const httplib::Request& request, httplib::Response& response) {
            if (!response.body.empty())
                return httplib::Server::HandlerResponse::Unhandled;
            NotFound(request, response);
            return httplib::Server::HandlerResponse::Handled;
        }));
    const auto bind = [this](void (WebServer::*handler)(const httplib::Request&, httplib::Response&)) {
        return [this, handler](const httplib::Request& request, httplib::Response& response) {
            (this->*handler)(request, response);
        };
    };
    m_server->Get("/", [](const httplib::Request&, httplib::Response& response) {
        response.set_redirect("/readings", 303);
    });
    m_server->Get("/readings", bind(&WebServer::ReadingsPage));
    m_server->Get(R"(/readings/([^/]+))", bind(&WebServer::ReadingPage));
    m_server->Get(R"(/readings/([^/]+)/report\.([a-z]+))", bind(&WebServer::Download));
    m_server->Get("/api/readings", bind(&WebServer::ApiReadings));
    m_server->Get(R"(/api/readings/([^/]+))", bind(&WebServer::ApiReading));
    m_server->Get(R"(/api/readings/([^/]+)/tables/([^/]+)/records)", bind(&WebServer::ApiRecords));
    m_server->Get("/login", [this](const httplib::Request& request, httplib::Response& response) {
        LoginPage(request, response, 200);
    });
    m_server->Post("/login", bind(&WebServer::LogIn));
    m_server->Post("/logout", bind(&WebServer::LogOut));
}

bool WebServer::Admitted(const httplib::Request& request, httplib::Response& response)
{
    if (!m_gate.NeedsPassword())
        return true;
    if (LoggedIn(request))
        return true;
    const std::string& client = request.remote_addr;
    if (request.has_header("Authorization")) {
        switch (m_gate.Basic(request.get_header_value("Authorization"), client)) {
        case LoginGate::Verdict::Admitted:
            return true;
        case LoginGate::Verdict::Throttled:
            response.status = 429;
            response.set_header("Retry-After", std::to_string(m_gate.RetryAfter(client).count()));
            response.set_content("Too many failed log-ins: try again later.\n", "text/plain");
            return false;
        case LoginGate::Verdict::Refused:
            break;
        }
    }
    if (isApi(request) || request.has_header("Authorization")) {
        response.status = 401;
        response.set_header("WWW-Authenticate", "Basic realm=\"MORVA_Reporter\", charset=\"UTF-8\"");
        sendJson(response, ApiAnswers::Error("A password is needed."));
        return false;
    }
    response.set_redirect("/login", 303);
    return false;
}

void WebServer::ReadingsPage(const httplib::Request& request, httplib::Response& response)
{
    const ListQuery query = ListQuery::From(request.params);
    const ReadingFilter filter = filterOf(query);
    const std::int64_t skip = static_cast<std::int64_t>(query.page - 1) * query.perPage;
    withArchive(m_archives, [&](const ReadingArchive& archive) {
        const ReadingArchive::Page page = archive.ListPage(filter, skip, query.perPage);
        response.set_content(ReadingsListPage::Write(page, query, TextFor(request), LoggedIn(request)), HtmlType);
    });
}

void WebServer::ReadingPage(const httplib::Request& request, httplib::Response& response)
{
    const std::int64_t number = pathNumber(request.matches[1], MaxReading);
    const ChartQuery query = ChartQuery::From(request.params);
    ReadingView view = viewOf(query.part, query.table);
    view.column.column = query.column;
    view.column.by = query.by;
    if (query.lower)
        view.column.lower = query.lower->text;
    if (query.upper)
        view.column.upper = query.upper->text;
    view.page = query.page;
    const PageText text = TextFor(request);
    withArchive(m_archives, [&](const ReadingArchive& archive) {
        const ReadingSummary reading = findReading(archive, number);
        const std::vector<ReadingArchive::KeptTable> tables = archive.KeptTables(number);
        const class ReadingPage page(reading, tables, view, text);
        if (tables.empty()) {
            response.set_content(page.Write(nullptr, LoggedIn(request)), HtmlType);
            return;
        }
        const TypedTable table(KeptRecordTable::Load(archive, number, findTable(tables, number, view.table)));
        response.set_content(page.Write(&table, LoggedIn(request)), HtmlType);
    });
}

void WebServer::Download(const httplib::Request& request, httplib::Response& response)
{
    const std::int64_t number = pathNumber(request.matches[1], MaxReading);
    const std::optional<int> format = ReportFormatOf(request.matches[2]);
    if (!format)
        throw NotThere("There is no such page.");
    const ReportQuery query = ReportQuery::From(request.params);
    const std::optional<unsigned> table = query.table;
    withArchive(m_archives, [&](const ReadingArchive& archive) {
        const ReadingSummary reading = findReading(archive, number);
        std::optional<unsigned> position;
        if (table) {
            const std::vector<ReadingArchive::KeptTable> tables = archive.KeptTables(number);
            position = static_cast<unsigned>(&findTable(tables, number, *table) - tables.data()) + 1;
        }
        const ReadingDownload download = ReadingDownload::Make(archive, reading, query.part.ToPart(position), *format,
                                                                 m_scratch);
        if (!download.ok)
            throw NotThere(download.message.utf8_string());
        response.set_header("Content-Disposition", AttachmentHeader(download.fileName));
        response.set_content(download.bytes, download.contentType.c_str());
    });
}

void WebServer::ApiReadings(const httplib::Request& request, httplib::Response& response)
{
    const ListQuery query = ListQuery::From(request.params);
    const ReadingFilter filter = filterOf(query);
    const std::int64_t skip = static_cast<std::int64_t>(query.page - 1) * query.perPage;
    withArchive(m_archives, [&](const ReadingArchive& archive) {
        sendJson(response, ApiAnswers::Readings(archive.ListPage(filter, skip, query.perPage), query.page,
                                                query.perPage));
    });
}

void WebServer::ApiReading(const httplib::Request& request, httplib::Response& response)
{
    const std::int64_t number = pathNumber(request.matches[1], MaxReading);
    if (!request.params.empty())
        throw BadQuery("This address takes no parameters.");
    withArchive(m_archives, [&](const ReadingArchive& archive) {
        const ReadingSummary reading = findReading(archive, number);
        const std::vector<ReadingArchive::KeptTable> kept = archive.KeptTables(number);
        std::vector<TypedTable> tables;
        for (const ReadingArchive::KeptTable& table : kept)
            tables.emplace_back(KeptRecordTable::Load(archive, number, table));
        sendJson(response, ApiAnswers::Reading(reading, kept, tables));
    });
}

void WebServer::ApiRecords(const httplib::Request& request, httplib::Response& response)
{
    const std::int64_t number = pathNumber(request.matches[1], MaxReading);
    const unsigned tableNumber = static_cast<unsigned>(pathNumber(request.matches[2], MaxTable));
    const RecordsQuery query = RecordsQuery::From(request.params);
    const ReadingView view = viewOf(query.part, tableNumber);
    withArchive(m_archives, [&](const ReadingArchive& archive) {
        findReading(archive, number);
        const std::vector<ReadingArchive::KeptTable> tables = archive.KeptTables(number);
        const TypedTable table(KeptRecordTable::Load(archive, number, findTable(tables, number, tableNumber)));
        sendJson(response, ApiAnswers::Records(number, tableNumber, table, view.PartOf(table), query.offset,
                                               query.limit));
    });
}

void WebServer::LoginPage(const httplib::Request& request, httplib::Response& response, int status,
                          const char* message)
{
    const PageText text = TextFor(request);
    std::string body;
    if (message)
        body += "<p class=\"error\">" + text.Html(message) + "</p>";
    if (!m_gate.NeedsPassword())
        body += "<p>" + text.Html(wxTRANSLATE("No password is needed here.")) + " <a href=\"/readings\">"
            + text.Html(wxTRANSLATE("Kept readings")) + "</a></p>";
    else
        body += "<form class=\"filter\" method=\"post\" action=\"/login\"><label>" + text.Html(wxTRANSLATE("Password"))
            + "<input name=\"password\" type=\"password\" autocomplete=\"current-password\" autofocus required>"
              "</label><button type=\"submit\">"
            + text.Html(wxTRANSLATE("Log in")) + "</button></form>";
    response.status = status;
    response.set_content(PageFrame::Page(text, text.Html(wxTRANSLATE("Log in")), body, false), HtmlType);
}

void WebServer::LogIn(const httplib::Request& request, httplib::Response& response)
{
    if (!m_gate.NeedsPassword()) {
        response.set_redirect("/readings", 303);
        return;
    }
    std::string cookie;
    const std::string password = request.get_param_value("password");
    switch (m_gate.LogIn(password, request.remote_addr, cookie)) {
    case LoginGate::Verdict::Admitted:
        response.set_header("Set-Cookie", cookie);
        response.set_redirect("/readings", 303);
        return;
    case LoginGate::Verdict::Throttled:
        response.set_header("Retry-After", std::to_string(m_gate.RetryAfter(request.remote_addr).count()));
        LoginPage(request, response, 429, wxTRANSLATE("Too many failed log-ins: try again in a minute."));
        return;
    case LoginGate::Verdict::Refused:
        LoginPage(request, response, 401, wxTRANSLATE("Wrong password."));
        return;
    }
}

void WebServer::LogOut(const httplib::Request& request, httplib::Response& response)
{
    response.set_header("Set-Cookie", m_gate.LogOut(request.get_header_value("Cookie")));
    response.set_redirect("/login", 303);
}

void WebServer::Failed(const httplib::Request& request, httplib::Response& response, std::exception_ptr failure)
{
    std::string message;
    try {
        std::rethrow_exception(failure);
    } catch (const BadQuery& bad) {
        response.status = 400;
        message = bad.what();
    } catch (const NotThere& missing) {
        response.status = 404;
        message = missing.what();
    } catch (const ArchiveError& error) {
        response.status = 503;
        message = CannotReadArchive(m_archives.Place(), error.reason()).utf8_string();
    } catch (const std::exception& error) {
        response.status = 500;
        message = error.what();
    } catch (...) {
        response.status = 500;
        message = "The server failed.";
    }
    SendError(request, response, message);
}

void WebServer::NotFound(const httplib::Request& request, httplib::Response& response)
{
    SendError(request, response, response.status == 404 ? "There is no such page." : "The request was refused.");
}

void WebServer::SendError(const httplib::Request& request, httplib::Response& response, const std::string& message)
{
    if (isApi(request))
        sendJson(response, ApiAnswers::Error(message));
    else
        response.set_content(PageFrame::Message(TextFor(request), std::to_string(response.status), message,
                                                LoggedIn(request)),
                             HtmlType);
}
