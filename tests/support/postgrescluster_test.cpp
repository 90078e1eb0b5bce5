// The throwaway PostgreSQL cluster that the archive's server tests run
// against: it answers, keeps its roles apart, stops and starts on demand,
// and leaves neither a process nor a file behind.

#include "support/otheruser.h"
#include "support/postgrescluster.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using morva_test::PostgresCluster;

struct ConnectionCloser {
    void operator()(PGconn* c) const { PQfinish(c); }
};
using Connection = std::unique_ptr<PGconn, ConnectionCloser>;

Connection connect(const std::string& connection) { return Connection(PQconnectdb(connection.c_str())); }

// The first value of the query's answer, or nothing when it failed.
std::optional<std::string> ask(PGconn* conn, const char* sql)
{
    std::unique_ptr<PGresult, void (*)(PGresult*)> result(PQexec(conn, sql), PQclear);
    if (PQresultStatus(result.get()) != PGRES_TUPLES_OK || PQntuples(result.get()) < 1)
        return std::nullopt;
    return std::string(PQgetvalue(result.get(), 0, 0));
}

std::optional<std::string> askOnce(const std::string& connection, const char* sql)
{
    const Connection conn = connect(connection);
    if (PQstatus(conn.get()) != CONNECTION_OK)
        return std::nullopt;
    return ask(conn.get(), sql);
}

// The process's state letter from /proc/<pid>/stat; 0 when there is none.
char processState(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return 0;
    // pid (comm) state ppid ...; comm may hold spaces and parentheses.
    const auto close = line.rfind(')');
    return close == std::string::npos || close + 2 >= line.size() ? 0 : line[close + 2];
}

// Running, or stopped, or anything but gone; a zombie has ended and only
// waits for its parent (init, for the server) to collect it.
bool processAlive(pid_t pid)
{
    const char state = processState(pid);
    return state != 0 && state != 'Z' && state != 'X';
}

// The server's main process and every process it started.
std::set<pid_t> serverProcesses(pid_t postmaster)
{
    std::set<pid_t> pids{postmaster};
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line))
            continue;
        // pid (comm) state ppid ...; comm may hold spaces and parentheses.
        const auto close = line.rfind(')');
        if (close == std::string::npos)
            continue;
        char state = 0;
        long ppid = 0;
        if (std::sscanf(line.c_str() + close + 1, " %c %ld", &state, &ppid) == 2 && ppid == postmaster)
            pids.insert(static_cast<pid_t>(std::stol(line)));
    }
    return pids;
}

uid_t processOwner(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    while (status >> key) {
        if (key == "Uid:") {
            long uid = -1;
            status >> uid;
            return static_cast<uid_t>(uid);
        }
        status.ignore(4096, '\n');
    }
    throw std::runtime_error("no owner for process " + std::to_string(pid));
}

class PostgresClusterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string reason = PostgresCluster::unavailableReason();
        if (!reason.empty())
            GTEST_SKIP() << reason;
    }
};

TEST_F(PostgresClusterTest, AnswersTheSuperuserOnItsOwnSocketOnly)
{
    const PostgresCluster cluster;
    EXPECT_EQ(askOnce(cluster.superuserConnection(), "SELECT 1"), "1");
    EXPECT_EQ(askOnce(cluster.superuserConnection(), "SHOW port"), std::to_string(cluster.port()));
    EXPECT_EQ(askOnce(cluster.superuserConnection(), "SHOW listen_addresses"), "");
    EXPECT_EQ(askOnce(cluster.superuserConnection(), "SHOW unix_socket_directories"), cluster.socketFolder());
    EXPECT_EQ(askOnce(cluster.superuserConnection(), "SHOW server_encoding"), "UTF8");
    EXPECT_NE(cluster.port(), 5432);
    EXPECT_TRUE(std::filesystem::exists(cluster.socketFolder() + "/.s.PGSQL." + std::to_string(cluster.port())));
    if (::geteuid() == 0) {
        EXPECT_EQ(processOwner(cluster.serverProcessId()), 65534u) << "the server must not run as root";
    }
    cluster.execute("CREATE TABLE kept (n integer)");
    EXPECT_THROW(cluster.execute("SELECT * FROM missing"), std::runtime_error);
}

TEST_F(PostgresClusterTest, PasswordRoleMustGiveItsPassword)
{
    const PostgresCluster cluster;
    struct Case {
        const char* what;
        std::string connection;
        const char* refusal; // empty: connects
    };
    const std::string role = PostgresCluster::PasswordRoleName;
    const Case cases[] = {
        {"its password", cluster.passwordConnection(), ""},
        {"a wrong password", cluster.wrongPasswordConnection(), "password authentication failed for user \"morva_writer\""},
        {"no password", cluster.connection(role, PostgresCluster::DatabaseName), "no password supplied"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Connection conn = connect(c.connection);
        if (*c.refusal == '\0') {
            ASSERT_EQ(PQstatus(conn.get()), CONNECTION_OK) << PQerrorMessage(conn.get());
            EXPECT_EQ(ask(conn.get(), "SELECT current_user"), role);
            EXPECT_EQ(ask(conn.get(), "SELECT current_database()"), PostgresCluster::DatabaseName);
            // It owns the tests' database, so it may lay out its tables.
            EXPECT_EQ(ask(conn.get(), "CREATE TABLE mine (n integer); SELECT count(*) FROM mine"), "0");
        } else {
            EXPECT_EQ(PQstatus(conn.get()), CONNECTION_BAD);
            EXPECT_NE(std::string(PQerrorMessage(conn.get())).find(c.refusal), std::string::npos)
                << PQerrorMessage(conn.get());
        }
    }
}

TEST_F(PostgresClusterTest, StopsStartsAndRestarts)
{
    PostgresCluster cluster;
    cluster.execute("CREATE TABLE kept (n integer); INSERT INTO kept VALUES (7)");

    const Connection before = connect(cluster.passwordConnection());
    ASSERT_EQ(PQstatus(before.get()), CONNECTION_OK) << PQerrorMessage(before.get());
    cluster.Stop();
    EXPECT_FALSE(cluster.running());
    EXPECT_EQ(cluster.serverProcessId(), 0);
    EXPECT_EQ(ask(before.get(), "SELECT 1"), std::nullopt) << "a session survived the stop";
    EXPECT_EQ(askOnce(cluster.superuserConnection(), "SELECT 1"), std::nullopt);

    cluster.Start();
    EXPECT_TRUE(cluster.running());
    EXPECT_EQ(askOnce(cluster.superuserConnection(), "SELECT n FROM kept"), "7");

    const Connection open = connect(cluster.passwordConnection());
    ASSERT_EQ(PQstatus(open.get()), CONNECTION_OK) << PQerrorMessage(open.get());
    const pid_t firstServer = cluster.serverProcessId();
    cluster.Restart();
    EXPECT_NE(cluster.serverProcessId(), firstServer);
    EXPECT_EQ(ask(open.get(), "SELECT 1"), std::nullopt) << "a session survived the restart";
    EXPECT_EQ(askOnce(cluster.superuserConnection(), "SELECT n FROM kept"), "7");
}

TEST_F(PostgresClusterTest, FailedStartQuotesTheServersLog)
{
    PostgresCluster cluster;
    cluster.Stop();
    std::ofstream(cluster.dataFolder() + "/postgresql.conf", std::ios::app) << "no_such_setting = 1\n";
    try {
        cluster.Start();
        ADD_FAILURE() << "the server started with a broken configuration";
    } catch (const std::runtime_error& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("starting the server"), std::string::npos) << message;
        EXPECT_NE(message.find("no_such_setting"), std::string::npos) << message;
    }
    EXPECT_FALSE(cluster.running());
}

TEST_F(PostgresClusterTest, TwoClustersSideBySideStayApart)
{
    const PostgresCluster first;
    const PostgresCluster second;
    EXPECT_NE(first.socketFolder(), second.socketFolder());
    first.execute("CREATE TABLE only_first (n integer)");
    EXPECT_EQ(askOnce(first.superuserConnection(), "SELECT count(*) FROM only_first"), "0");
    EXPECT_EQ(askOnce(second.superuserConnection(), "SELECT count(*) FROM only_first"), std::nullopt);
    EXPECT_EQ(askOnce(second.superuserConnection(), "SHOW port"), std::to_string(second.port()));
}

TEST_F(PostgresClusterTest, LeavesNoProcessNorFileBehind)
{
    // Ended by an exception, with a session still open, as a failing test ends.
    std::set<pid_t> processes;
    std::string folder;
    Connection open;
    try {
        const PostgresCluster cluster;
        folder = cluster.socketFolder();
        open = connect(cluster.passwordConnection());
        ASSERT_EQ(PQstatus(open.get()), CONNECTION_OK) << PQerrorMessage(open.get());
        processes = serverProcesses(cluster.serverProcessId());
        throw std::runtime_error("the test failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_GE(processes.size(), 2u) << "the server's processes were not found";
    for (const pid_t pid : processes)
        EXPECT_FALSE(processAlive(pid)) << "server process " << pid << " outlived its cluster";
    EXPECT_FALSE(std::filesystem::exists(folder)) << folder;

    // A stopped cluster is removed as well.
    {
        PostgresCluster cluster;
        folder = cluster.socketFolder();
        cluster.Stop();
    }
    EXPECT_FALSE(std::filesystem::exists(folder)) << folder;
}

TEST_F(PostgresClusterTest, RunsAsAnOrdinaryUserWithoutChangingUser)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to become an ordinary user; the other tests run this way already";
    // A child that is "nobody" starts its cluster itself; it reports by its
    // exit status: 0 answered, 1 did not answer, 2 threw.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (!becomeUnprivilegedUser())
            ::_exit(3);
        int result = 2;
        try {
            const PostgresCluster cluster;
            result = askOnce(cluster.superuserConnection(), "SELECT 1") == std::optional<std::string>("1") ? 0 : 1;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
        }
        ::_exit(result);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(PostgresCluster, MissingServerIsReportedForSkipping)
{
    const std::string root = "/nonexistent/postgresql";
    EXPECT_EQ(PostgresCluster::serverBinFolder(root), "");
    const std::string reason = PostgresCluster::unavailableReason(root);
    EXPECT_NE(reason.find(root), std::string::npos) << reason;
    try {
        const PostgresCluster cluster(root);
        ADD_FAILURE() << "a cluster started without a server";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(e.what(), reason);
    }
}

} // namespace
