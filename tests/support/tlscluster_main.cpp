// morva_tls_cluster: a throwaway PostgreSQL cluster with TLS on 127.0.0.1
// for checks outside the test suites (the Windows reader under Wine). It
// starts the cluster, makes a second certificate authority that the
// server's certificate does not come from, writes a password file for the
// password role, prints what a client needs as key=value lines, and keeps
// the cluster until SIGTERM, SIGINT or SIGHUP, when it removes everything.
//
//   port=<TCP port on 127.0.0.1>
//   socket=<the folder of the Unix socket; the superuser is trusted there>
//   ca=<the certificate of the authority that signed the server's>
//   other_ca=<the certificate of another authority>
//   pgpass=<a password file for the password role (PGPASSFILE)>
//   ready
#include "support/certificateauthority.h"
#include "support/postgrescluster.h"

#include <csignal>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>

#include <sys/stat.h>

using morva_test::CertificateAuthority;
using morva_test::PostgresCluster;

namespace {

std::string writePasswordFile(const PostgresCluster& cluster)
{
    const std::string file = cluster.socketFolder() + "/pgpass";
    std::ofstream out(file);
    if (::chmod(file.c_str(), S_IRUSR | S_IWUSR) != 0)
        throw std::runtime_error("cannot make " + file + " private");
    out << "127.0.0.1:" << cluster.port() << ':' << PostgresCluster::DatabaseName << ':'
        << PostgresCluster::PasswordRoleName << ':' << PostgresCluster::Password << '\n';
    out.close();
    if (!out)
        throw std::runtime_error("cannot write " + file);
    return file;
}

// Blocks the ending signals and waits for one of them.
void waitForEnd()
{
    sigset_t ending;
    sigemptyset(&ending);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&ending, signal);
    pthread_sigmask(SIG_BLOCK, &ending, nullptr);
    int received = 0;
    sigwait(&ending, &received);
}

} // namespace

int main()
{
    try {
        const PostgresCluster cluster(PostgresCluster::Listening::SocketAndTls);
        const CertificateAuthority other(cluster.socketFolder(), "other-ca");
        std::cout << "port=" << cluster.port() << '\n'
                  << "socket=" << cluster.socketFolder() << '\n'
                  << "ca=" << cluster.certificateAuthorityFile() << '\n'
                  << "other_ca=" << other.certificateFile() << '\n'
                  << "pgpass=" << writePasswordFile(cluster) << '\n'
                  << "ready" << std::endl;
        waitForEnd();
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "morva_tls_cluster: " << e.what() << '\n';
        return 1;
    }
}
