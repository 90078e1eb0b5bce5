#include "support/postgrescluster.h"

#include "support/certificateauthority.h"
#include "support/otheruser.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace morva_test {

namespace {

namespace fs = std::filesystem;

// The user and group "nobody" / "nogroup" that the server runs as under root.
constexpr uid_t NobodyUser = 65534;
constexpr gid_t NobodyGroup = 65534;
// pg_ctl's wait for the server to start or stop; generous for a loaded machine.
constexpr const char* WaitSeconds = "120";
// How much of a log a failure message quotes.
constexpr std::size_t LogTailBytes = 3000;

const char* const CommandLog = "commands.log";
const char* const ServerLog = "server.log";
// The TLS files, in the cluster's folder.
const char* const AuthorityName = "cluster-ca";
const char* const ServerCertificate = "server.crt";
const char* const ServerKey = "server.key";
// A TCP port found free may be taken by someone else before the server
// binds it: so many ports are tried.
constexpr int PortAttempts = 5;

struct ConnectionCloser {
    void operator()(PGconn* c) const { PQfinish(c); }
};
struct ResultClearer {
    void operator()(PGresult* r) const { PQclear(r); }
};

// A value of a libpq key=value connection string, quoted.
std::string quoted(const std::string& value)
{
    std::string out = "'";
    for (const char c : value) {
        if (c == '\'' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "'";
}

// A string literal of postgresql.conf.
std::string confQuoted(const std::string& value)
{
    std::string out = "'";
    for (const char c : value) {
        if (c == '\'')
            out += '\'';
        out += c;
    }
    return out + "'";
}

std::string fileTail(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "(no " + path + ")\n";
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (text.size() > LogTailBytes)
        text = "..." + text.substr(text.size() - LogTailBytes);
    return text;
}

bool isExecutable(const fs::path& path) { return ::access(path.c_str(), X_OK) == 0; }

// A TCP port of 127.0.0.1 that nobody listens on right now.
int freeTcpPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw std::runtime_error(std::string("cannot make a socket: ") + std::strerror(errno));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    const bool found = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
                       ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    const int error = errno;
    ::close(fd);
    if (!found)
        throw std::runtime_error(std::string("cannot find a free TCP port: ") + std::strerror(error));
    return ntohs(address.sin_port);
}

// The environment of the server's programs: the test's own, without PG*
// variables that could point them at another server, and with messages in
// English for the logs.
std::vector<std::string> serverEnvironment()
{
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e) {
        const std::string entry = *e;
        if (entry.rfind("PG", 0) != 0 && entry.rfind("LC_ALL=", 0) != 0 && entry.rfind("LANGUAGE=", 0) != 0)
            env.push_back(entry);
    }
    env.emplace_back("LC_ALL=C");
    return env;
}

std::vector<char*> pointers(std::vector<std::string>& strings)
{
    std::vector<char*> out;
    out.reserve(strings.size() + 1);
    for (std::string& s : strings)
        out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

} // namespace

std::string PostgresCluster::serverBinFolder(const std::string& serverRoot)
{
    std::error_code ec;
    fs::directory_iterator it(serverRoot, ec);
    if (ec)
        return {};
    int newest = -1;
    std::string found;
    for (const fs::directory_entry& entry : it) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        const fs::path bin = entry.path() / "bin";
        if (!isExecutable(bin / "initdb") || !isExecutable(bin / "pg_ctl") || !isExecutable(bin / "postgres"))
            continue;
        const int major = std::atoi(name.c_str());
        if (major > newest) {
            newest = major;
            found = bin.string();
        }
    }
    return found;
}

std::string PostgresCluster::unavailableReason(const std::string& serverRoot)
{
    if (serverBinFolder(serverRoot).empty())
        return "no PostgreSQL server is installed (no " + serverRoot +
               "/<version>/bin/initdb, pg_ctl and postgres; scripts/setup-debian.sh installs Debian's postgresql)";
    return {};
}

PostgresCluster::PostgresCluster(const std::string& serverRoot) : PostgresCluster(Listening::SocketOnly, serverRoot) {}

PostgresCluster::PostgresCluster(Listening listening, const std::string& serverRoot)
    : m_binFolder(serverBinFolder(serverRoot)), m_dropRoot(::geteuid() == 0),
      m_tls(listening == Listening::SocketAndTls)
{
    if (m_binFolder.empty())
        throw std::runtime_error(unavailableReason(serverRoot));
    char pattern[] = "/tmp/morva-pg-XXXXXX";
    if (!::mkdtemp(pattern))
        throw std::runtime_error(std::string("cannot make a folder for the PostgreSQL cluster: ") + std::strerror(errno));
    m_folder = pattern;
    // The socket lives in the cluster's own folder, so no two clusters can
    // meet whatever their ports; different ports only keep them apart in
    // logs and connection strings. 50000-59999 stays clear of 5432.
    m_port = 50000 + static_cast<int>(std::hash<std::string>{}(m_folder) % 10000);
    try {
        initialise();
        if (m_tls)
            startServerOnFreePort();
        else
            startServer();
        createRoleAndDatabase();
    } catch (...) {
        if (m_running) {
            try {
                stopServer("immediate");
            } catch (const std::exception& e) {
                std::cerr << "PostgresCluster: " << e.what() << '\n';
            }
        }
        removeFolder();
        throw;
    }
}

PostgresCluster::~PostgresCluster()
{
    if (m_running) {
        try {
            stopServer("immediate");
        } catch (const std::exception& e) {
            std::cerr << "PostgresCluster: " << e.what() << '\n';
        }
    }
    removeFolder();
}

void PostgresCluster::initialise()
{
    if (m_dropRoot && ::chown(m_folder.c_str(), NobodyUser, NobodyGroup) != 0)
        throw std::runtime_error("cannot give " + m_folder + " to nobody: " + std::strerror(errno));
    run("initdb", "initdb",
        {"--pgdata=" + dataFolder(), std::string("--username=") + SuperuserName, "--encoding=UTF8",
         "--no-locale", "--auth-local=trust", "--auth-host=reject", "--no-sync"});
    configure();
    if (m_tls)
        configureTls();
}

void PostgresCluster::configure() const
{
    // Appended settings win over initdb's.
    std::ofstream conf(dataFolder() + "/postgresql.conf", std::ios::app);
    conf << "\n# The test cluster: its own socket only, small and quick.\n"
         << "listen_addresses = ''\n"
         << "unix_socket_directories = " << confQuoted(m_folder) << '\n'
         << "port = " << m_port << '\n'
         << "password_encryption = scram-sha-256\n"
         << "max_connections = 50\n"
         << "shared_buffers = 16MB\n"
         << "fsync = off\n";
    // Truncating the file keeps its owner, the server's user.
    std::ofstream hba(dataFolder() + "/pg_hba.conf", std::ios::trunc);
    hba << "# TYPE  DATABASE  USER  METHOD\n"
        << "local   all       " << PasswordRoleName << "  scram-sha-256\n"
        << "local   all       all   trust\n";
    conf.close();
    hba.close();
    if (!conf || !hba)
        throw std::runtime_error("cannot write the configuration of the PostgreSQL cluster in " + dataFolder());
}

void PostgresCluster::configureTls() const
{
    const std::string certificate = m_folder + "/" + ServerCertificate;
    const std::string key = m_folder + "/" + ServerKey;
    const CertificateAuthority authority(m_folder, AuthorityName);
    authority.issueServerCertificate(certificate, key);
    // The server reads its key only when the key is its user's own.
    for (const std::string& file : {certificate, key}) {
        if (m_dropRoot && ::chown(file.c_str(), NobodyUser, NobodyGroup) != 0)
            throw std::runtime_error("cannot give " + file + " to nobody: " + std::strerror(errno));
    }
    std::ofstream conf(dataFolder() + "/postgresql.conf", std::ios::app);
    conf << "\n# TLS on the loopback address besides the socket.\n"
         << "listen_addresses = '127.0.0.1'\n"
         << "ssl = on\n"
         << "ssl_cert_file = " << confQuoted(certificate) << '\n'
         << "ssl_key_file = " << confQuoted(key) << '\n';
    std::ofstream hba(dataFolder() + "/pg_hba.conf", std::ios::app);
    hba << "hostssl all       " << PasswordRoleName << "  127.0.0.1/32  scram-sha-256\n";
    conf.close();
    hba.close();
    if (!conf || !hba)
        throw std::runtime_error("cannot write the TLS configuration of the PostgreSQL cluster in " + dataFolder());
}

void PostgresCluster::createRoleAndDatabase() const
{
    const std::string maintenance = connection(SuperuserName, "postgres");
    for (const std::string& sql :
         {std::string("CREATE ROLE ") + PasswordRoleName + " LOGIN PASSWORD '" + Password + "'",
          std::string("CREATE DATABASE ") + DatabaseName + " OWNER " + PasswordRoleName}) {
        std::unique_ptr<PGconn, ConnectionCloser> conn(PQconnectdb(maintenance.c_str()));
        if (PQstatus(conn.get()) != CONNECTION_OK)
            throw std::runtime_error(failure(std::string("connecting to the new cluster: ") + PQerrorMessage(conn.get())));
        std::unique_ptr<PGresult, ResultClearer> result(PQexec(conn.get(), sql.c_str()));
        if (PQresultStatus(result.get()) != PGRES_COMMAND_OK)
            throw std::runtime_error(failure(sql + ": " + PQerrorMessage(conn.get())));
    }
}

std::string PostgresCluster::connection(const std::string& user, const std::string& database,
                                        const std::string& password) const
{
    std::string text = "host=" + quoted(m_folder) + " port=" + std::to_string(m_port) +
                       " dbname=" + quoted(database) + " user=" + quoted(user);
    if (!password.empty())
        text += " password=" + quoted(password);
    return text;
}

std::string PostgresCluster::tlsConnection(const std::string& rootCertificate) const
{
    return "host=127.0.0.1 port=" + std::to_string(m_port) + " dbname=" + quoted(DatabaseName) +
           " user=" + quoted(PasswordRoleName) + " password=" + quoted(Password) +
           " sslmode=verify-full sslrootcert=" + quoted(rootCertificate);
}

std::string PostgresCluster::certificateAuthorityFile() const
{
    return m_tls ? m_folder + "/" + AuthorityName + ".crt" : std::string();
}

std::string PostgresCluster::superuserConnection() const { return connection(SuperuserName, DatabaseName); }

std::string PostgresCluster::passwordConnection() const
{
    return connection(PasswordRoleName, DatabaseName, Password);
}

std::string PostgresCluster::wrongPasswordConnection() const
{
    return connection(PasswordRoleName, DatabaseName, WrongPassword);
}

pid_t PostgresCluster::serverProcessId() const
{
    if (!m_running)
        return 0;
    std::ifstream in(dataFolder() + "/postmaster.pid");
    long pid = 0;
    in >> pid;
    return in ? static_cast<pid_t>(pid) : 0;
}

void PostgresCluster::execute(const std::string& sql) const
{
    std::unique_ptr<PGconn, ConnectionCloser> conn(PQconnectdb(superuserConnection().c_str()));
    if (PQstatus(conn.get()) != CONNECTION_OK)
        throw std::runtime_error(std::string("cannot connect to the test cluster: ") + PQerrorMessage(conn.get()));
    std::unique_ptr<PGresult, ResultClearer> result(PQexec(conn.get(), sql.c_str()));
    const ExecStatusType status = PQresultStatus(result.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        throw std::runtime_error(sql + ": " + PQerrorMessage(conn.get()));
}

void PostgresCluster::Stop()
{
    if (m_running)
        stopServer("fast");
}

void PostgresCluster::Start()
{
    if (!m_running)
        startServer();
}

void PostgresCluster::Restart()
{
    Stop();
    Start();
}

void PostgresCluster::startServer()
{
    run("pg_ctl", "starting the server",
        {"start", "--pgdata=" + dataFolder(), "--log=" + m_folder + "/" + ServerLog, "--wait",
         std::string("--timeout=") + WaitSeconds});
    m_running = true;
}

void PostgresCluster::startServerOnFreePort()
{
    for (int attempt = 1;; ++attempt) {
        m_port = freeTcpPort();
        {
            std::ofstream conf(dataFolder() + "/postgresql.conf", std::ios::app);
            conf << "port = " << m_port << '\n';
        }
        try {
            startServer();
            return;
        } catch (const std::runtime_error&) {
            if (attempt == PortAttempts)
                throw;
        }
    }
}

void PostgresCluster::stopServer(const char* mode)
{
    // Whatever pg_ctl says, the server is no longer ours to use.
    m_running = false;
    run("pg_ctl", std::string("stopping the server (") + mode + ")",
        {"stop", "--pgdata=" + dataFolder(), std::string("--mode=") + mode, "--wait",
         std::string("--timeout=") + WaitSeconds});
}

void PostgresCluster::removeFolder() noexcept
{
    std::error_code ec;
    fs::remove_all(m_folder, ec);
    if (ec)
        std::cerr << "PostgresCluster: cannot remove " << m_folder << ": " << ec.message() << '\n';
}

void PostgresCluster::run(const std::string& program, const std::string& what,
                          std::initializer_list<std::string> args) const
{
    // Everything the child needs is made before fork(): the child only
    // redirects, gives up root and executes.
    std::vector<std::string> argv{m_binFolder + "/" + program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> argvPointers = pointers(argv);
    std::vector<std::string> env = serverEnvironment();
    std::vector<char*> envPointers = pointers(env);
    const std::string logPath = m_folder + "/" + CommandLog;
    {
        std::ofstream log(logPath, std::ios::app);
        log << "$";
        for (const std::string& a : argv)
            log << ' ' << a;
        log << '\n';
    }
    const int logFd = ::open(logPath.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    const int nullFd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (logFd < 0 || nullFd < 0) {
        const std::string reason = std::strerror(errno);
        if (logFd >= 0)
            ::close(logFd);
        if (nullFd >= 0)
            ::close(nullFd);
        throw std::runtime_error(failure(what + ": cannot open " + logPath + ": " + reason));
    }
    const pid_t child = ::fork();
    if (child == 0) {
        if (::dup2(nullFd, 0) < 0 || ::dup2(logFd, 1) < 0 || ::dup2(logFd, 2) < 0)
            ::_exit(126);
        ::close_range(3, ~0U, 0);
        if (::chdir(m_folder.c_str()) != 0 || (m_dropRoot && !becomeUnprivilegedUser()))
            ::_exit(126);
        ::execve(argvPointers[0], argvPointers.data(), envPointers.data());
        ::_exit(127);
    }
    const int forkErrno = errno;
    ::close(logFd);
    ::close(nullFd);
    if (child < 0)
        throw std::runtime_error(failure(what + ": cannot fork: " + std::strerror(forkErrno)));
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            throw std::runtime_error(failure(what + ": cannot wait for " + program));
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        const std::string how = WIFEXITED(status) ? "exit status " + std::to_string(WEXITSTATUS(status))
                                                  : "signal " + std::to_string(WTERMSIG(status));
        throw std::runtime_error(failure(what + ": " + program + " ended with " + how));
    }
}

std::string PostgresCluster::failure(const std::string& what) const
{
    return "PostgreSQL test cluster in " + m_folder + ": " + what + "\n--- end of " + CommandLog + " ---\n" +
           fileTail(m_folder + "/" + CommandLog) + "--- end of " + ServerLog + " ---\n" +
           fileTail(m_folder + "/" + ServerLog);
}

} // namespace morva_test
