#ifndef MORVA_WEB_WEBSERVER_H
#define MORVA_WEB_WEBSERVER_H

#include "web/archivepool.h"
#include "web/logingate.h"
#include "web/pagecatalogs.h"
#include "web/servescratch.h"
#include "web/serveplan.h"

#include <atomic>
#include <memory>
#include <string>

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

// The bounds of the web server.
struct WebServerLimits {
    std::size_t threads = 64;          // connections served at once
    std::size_t queued = 256;          // accepted, waiting for a thread
    std::size_t maxBody = 16 * 1024;   // a request's body (the log-in form)
    std::size_t maxHeaders = 64;       // header lines of a request
    int readSeconds = 10;              // waiting for a request's bytes
    int writeSeconds = 30;             // waiting for the client to take an answer
};

// The archive served read-only to browsers and scripts: the pages, the
// interface under /api and the downloads, behind the log-in where a
// password is set; every request bounded in size, time and number.
class WebServer {
public:
    // Throws std::runtime_error with the reason when HTTPS cannot be set up.
    WebServer(const ServePlan& plan, const wxString& archivePlace, WebServerLimits limits = WebServerLimits());
    ~WebServer();

    // Binds the address; false, with the reason, when it cannot.
    bool Bind(wxString& error);
    // The port bound (the one asked, or the one the system chose for 0).
    int Port() const { return m_port; }
    // Serves until Stop; returns when every connection is closed.
    void Run();
    // From any thread: ends Run within the read timeout of a request
    // being read, at once when idle.
    void Stop();

private:
    void Route();
    bool Admitted(const httplib::Request& request, httplib::Response& response);
    void ReadingsPage(const httplib::Request& request, httplib::Response& response);
    void ReadingPage(const httplib::Request& request, httplib::Response& response);
    void Download(const httplib::Request& request, httplib::Response& response);
    void ApiReadings(const httplib::Request& request, httplib::Response& response);
    void ApiReading(const httplib::Request& request, httplib::Response& response);
    void ApiRecords(const httplib::Request& request, httplib::Response& response);
    void LoginPage(const httplib::Request& request, httplib::Response& response, int status,
                   const char* message = nullptr);
    void LogIn(const httplib::Request& request, httplib::Response& response);
    void LogOut(const httplib::Request& request, httplib::Response& response);
    // Answers what a handler threw: a bad query, an archive that failed.
    void Failed(const httplib::Request& request, httplib::Response& response, std::exception_ptr failure);
    void NotFound(const httplib::Request& request, httplib::Response& response);
    // The error's answer for its status: JSON for the interface, else a page.
    void SendError(const httplib::Request& request, httplib::Response& response, const std::string& message);
    PageText TextFor(const httplib::Request& request) const;
    bool LoggedIn(const httplib::Request& request) const;

    const ServePlan m_plan;
    const WebServerLimits m_limits;
    std::atomic<bool> m_stop{false};
    ArchivePool m_archives;
    LoginGate m_gate;
    PageCatalogs m_catalogs;
    ServeScratch m_scratch;
    std::unique_ptr<httplib::Server> m_server;
    int m_port = 0;
};

#endif
