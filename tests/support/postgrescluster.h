#ifndef MORVA_TESTS_POSTGRESCLUSTER_H
#define MORVA_TESTS_POSTGRESCLUSTER_H

// A throwaway PostgreSQL server for tests and benchmarks: its own cluster in
// a fresh folder under /tmp, reachable through a Unix socket in that folder
// (and, when asked, over TLS on 127.0.0.1), gone with everything in it when
// the object is. Nothing of the machine's own PostgreSQL (its clusters,
// /var/run/postgresql, port 5432) is used or touched.
//
// As root the server runs as the unprivileged user "nobody" (PostgreSQL
// refuses root); as any other user it runs as that user.
//
// The cluster has two roles and one database:
//   - SuperuserName, trusted on the socket without a password;
//   - PasswordRoleName, which must give Password (scram-sha-256); it owns
//   - DatabaseName, the database for the tests.
//
// With Listening::SocketAndTls the server also listens on 127.0.0.1, on a
// TCP port that was free, with ssl=on and a server certificate (for
// 127.0.0.1 and localhost) signed by a certificate authority of the
// cluster's own (certificateAuthorityFile()); there only the password role
// is let in, only over TLS.

#include <initializer_list>
#include <string>

#include <sys/types.h>

namespace morva_test {

class PostgresCluster {
public:
    static constexpr const char* SuperuserName = "morva_admin";
    static constexpr const char* PasswordRoleName = "morva_writer";
    static constexpr const char* Password = "morva-secret";
    static constexpr const char* WrongPassword = "not-the-password";
    static constexpr const char* DatabaseName = "morva_test";
    // Where Debian installs the server: one folder per major version,
    // <root>/<major>/bin/{initdb,pg_ctl,postgres}.
    static constexpr const char* DebianServerRoot = "/usr/lib/postgresql";

    enum class Listening { SocketOnly, SocketAndTls };

    // The bin folder of the newest server under `serverRoot`, empty when
    // there is none.
    static std::string serverBinFolder(const std::string& serverRoot = DebianServerRoot);
    // Empty when a cluster can be started here; otherwise why not, for
    // GTEST_SKIP() << reason.
    static std::string unavailableReason(const std::string& serverRoot = DebianServerRoot);

    // Makes the folder, runs initdb, starts the server (pg_ctl -w) and
    // creates the password role and the database. Throws std::runtime_error
    // (with the tail of the folder's logs) when any step fails, leaving
    // nothing behind.
    explicit PostgresCluster(const std::string& serverRoot = DebianServerRoot);
    explicit PostgresCluster(Listening listening, const std::string& serverRoot = DebianServerRoot);
    // Stops the server at once (immediate mode, waiting until every server
    // process has gone) and removes the folder.
    ~PostgresCluster();
    PostgresCluster(const PostgresCluster&) = delete;
    PostgresCluster& operator=(const PostgresCluster&) = delete;

    // libpq key=value connection strings for DatabaseName on the socket:
    // as the superuser, as the password role with its password, and as the
    // password role with WrongPassword. Append further keywords with a
    // space, e.g. " connect_timeout=5".
    std::string superuserConnection() const;
    std::string passwordConnection() const;
    std::string wrongPasswordConnection() const;
    // The same for any user, database and password (none when empty).
    std::string connection(const std::string& user, const std::string& database,
                           const std::string& password = {}) const;
    // As the password role with its password over TLS on 127.0.0.1,
    // sslmode=verify-full, trusting the certificate authority whose
    // certificate is `rootCertificate` (the cluster's own or another).
    // Only with Listening::SocketAndTls.
    std::string tlsConnection(const std::string& rootCertificate) const;
    // The certificate of the authority that signed the server's
    // certificate; empty without TLS.
    std::string certificateAuthorityFile() const;

    // The cluster's folder, which is also the folder of its socket.
    const std::string& socketFolder() const { return m_folder; }
    // The cluster's data folder (PGDATA), inside socketFolder().
    std::string dataFolder() const { return m_folder + "/data"; }
    int port() const { return m_port; }
    bool running() const { return m_running; }
    // The server's main process (postmaster), 0 while stopped.
    pid_t serverProcessId() const;

    // Runs SQL as the superuser in DatabaseName; throws std::runtime_error
    // with the server's message when it fails.
    void execute(const std::string& sql) const;

    // Fast shutdown: ends every session, waits until the server has gone.
    void Stop();
    // Starts the stopped server again, waiting until it accepts connections;
    // throws std::runtime_error with the tail of the logs when it does not.
    void Start();
    // Stop() then Start(): every open session is broken.
    void Restart();

private:
    void initialise();
    void configure() const;
    void configureTls() const;
    void startServerOnFreePort();
    void createRoleAndDatabase() const;
    void startServer();
    void stopServer(const char* mode);
    void removeFolder() noexcept;
    // Runs a server program as the server's user; throws when it fails.
    void run(const std::string& program, const std::string& what,
             std::initializer_list<std::string> args) const;
    std::string failure(const std::string& what) const;

    std::string m_binFolder;
    std::string m_folder;
    int m_port = 0;
    bool m_dropRoot = false;
    bool m_tls = false;
    bool m_running = false;
};

} // namespace morva_test

#endif
