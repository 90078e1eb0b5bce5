// The archive server over TLS, as a lab reaches a server on another
// machine: sslmode=verify-full with the certificate authority that signed
// the server's certificate is let through; another authority, another host
// name or no TLS at all is refused with the reason, never the password,
// and the reading stays in this computer's file until it can be sent.
// Each test has a throwaway PostgreSQL cluster of its own with TLS on
// 127.0.0.1, and a second certificate authority.
#include "archive/archiveerror.h"
#include "archive/filearchive.h"
#include "archive/pgconnection.h"
#include "archive/serverarchive.h"
#include "tests/robustness/clirun.h"
#include "tests/robustness/scratchfolder.h"
#include "tests/support/certificateauthority.h"
#include "tests/support/postgrescluster.h"
#include "tools/unitsim/simulatedunit.h"

#include <gtest/gtest.h>

#include <wx/ffile.h>

#include <optional>

using morva_sim::SimulatedUnit;
using morva_sim::UnitMemory;
using morva_test::CertificateAuthority;
using morva_test::PostgresCluster;

namespace {

UnitMemory memoryOf(int n)
{
    std::vector<wxString> records;
    for (int i = 0; i < n; ++i)
        records.push_back(wxString::Format(L"%d\tзапись %d", i + 1, i));
    UnitMemory memory;
    memory.addTable("No.\tText", records);
    return memory;
}

class ServerTlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string why = PostgresCluster::unavailableReason();
        if (!why.empty())
            GTEST_SKIP() << why;
        cluster.emplace(PostgresCluster::Listening::SocketAndTls);
        other.emplace(scratch.path().utf8_string(), "other-ca");
        // The tables, made by their owner over the socket, so that the
        // server can be asked what it holds whatever reached it.
        ServerArchive(wxString::FromUTF8(cluster->passwordConnection()), ReadingArchive::Access::Write);
    }

    std::string rightCa() const { return cluster->tlsConnection(cluster->certificateAuthorityFile()); }
    std::string otherCa() const { return cluster->tlsConnection(other->certificateFile()); }
    std::vector<wxString> uuidsOnServer() const
    {
        const PgConnection db(wxString::FromUTF8(cluster->superuserConnection()));
        const PgResult rows = db.Execute("SELECT uuid FROM morva_readings ORDER BY uuid");
        std::vector<wxString> uuids;
        for (int row = 0; row < rows.Rows(); ++row)
            uuids.push_back(rows.Text(row, 0));
        return uuids;
    }

    ScratchFolder scratch;
    std::optional<PostgresCluster> cluster;
    std::optional<CertificateAuthority> other;
};

// A station whose settings name the server over TLS.
class Station {
public:
    explicit Station(const std::string& server)
    {
        wxFFile settings(m_folder / "morva_reporter.ini", "w");
        settings.Write(wxString::FromUTF8("[archive]\npath=" + archive().utf8_string() + "\nurl=" + server
                                          + "\nstation=lab-1\n"));
    }
    CliRun read(const SimulatedUnit& unit) const
    {
        return RunCli(m_folder.path(), {"read", "--port", unit.portPath(), "--baud", "115200", "--pace", "line",
                                        "--format", "csv", "--folder", m_folder.path().utf8_string()});
    }
    CliRun sync(std::vector<std::string> extra = {}) const
    {
        std::vector<std::string> arguments{"archive", "sync"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return RunCli(m_folder.path(), arguments);
    }
    wxString archive() const { return m_folder / "archive.sqlite"; }
    FileArchive local() const { return FileArchive(archive(), ReadingArchive::Access::Write); }

private:
    ScratchFolder m_folder;
};

} // namespace

TEST_F(ServerTlsTest, OnlyTheRightAuthorityAndHostNameGetThrough)
{
    const std::string otherHost = " host=archive.invalid hostaddr=127.0.0.1";
    const struct {
        const char* what;
        std::string place;
        const char* refusal; // empty: let through
    } cases[] = {
        {"the server's authority, verify-full", rightCa(), ""},
        {"the server's authority, another host name, verify-full", rightCa() + otherHost,
         "does not match host name"},
        {"the server's authority, another host name, verify-ca", rightCa() + otherHost + " sslmode=verify-ca", ""},
        {"another authority, verify-full", otherCa(), "certificate verify failed"},
        {"another authority, verify-ca", otherCa() + " sslmode=verify-ca", "certificate verify failed"},
        {"no TLS", rightCa() + " sslmode=disable", "no encryption"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            const PgConnection db(wxString::FromUTF8(c.place));
            EXPECT_STREQ(c.refusal, "") << "let through";
            EXPECT_EQ(db.Execute("SELECT ssl FROM pg_stat_ssl WHERE pid = pg_backend_pid()").Text(0, 0), "t");
        } catch (const ArchiveError& e) {
            const std::string reason = e.reason().utf8_string();
            EXPECT_NE(reason.find(c.refusal), std::string::npos) << reason;
            EXPECT_NE(std::string(c.refusal), "") << reason;
            EXPECT_EQ(reason.find(PostgresCluster::Password), std::string::npos) << reason;
        }
    }
}

TEST_F(ServerTlsTest, AReadingReachesTheServerThroughTheRightAuthority)
{
    SimulatedUnit unit(memoryOf(15));
    const Station station(rightCa());
    const CliRun read = station.read(unit);
    ASSERT_EQ(read.status, 0) << read.err;
    // Whether the reading itself or a later sync carries it there.
    const CliRun sync = station.sync();
    EXPECT_EQ(sync.status, 0) << sync.err;

    FileArchive local = station.local();
    const std::vector<ReadingSummary> here = local.List();
    ASSERT_EQ(here.size(), 1u);
    EXPECT_EQ(here[0].recordCount, 15);
    EXPECT_TRUE(local.Unsent().empty());
    EXPECT_EQ(uuidsOnServer(), std::vector<wxString>{here[0].uuid});
    for (const CliRun& run : {read, sync})
        EXPECT_EQ(run.err.find(PostgresCluster::Password), std::string::npos) << run.err;
}

TEST_F(ServerTlsTest, AnotherAuthorityIsRefusedAndTheReadingWaitsHereUntilTheRightOne)
{
    SimulatedUnit unit(memoryOf(15));
    const Station station(otherCa());
    const CliRun read = station.read(unit);
    ASSERT_EQ(read.status, 0) << read.err;
    const CliRun refused = station.sync();
    EXPECT_EQ(refused.status, 1) << refused.err;
    EXPECT_NE(refused.err.find("certificate verify failed"), std::string::npos) << refused.err;
    for (const CliRun& run : {read, refused})
        EXPECT_EQ(run.err.find(PostgresCluster::Password), std::string::npos) << run.err;

    EXPECT_TRUE(uuidsOnServer().empty());
    const std::vector<ReadingSummary> here = station.local().List();
    ASSERT_EQ(here.size(), 1u);
    EXPECT_EQ(here[0].recordCount, 15);
    EXPECT_EQ(station.local().Unsent(), std::vector<std::int64_t>{here[0].id});

    const CliRun sent = station.sync({"--archive", rightCa()});
    EXPECT_EQ(sent.status, 0) << sent.err;
    EXPECT_EQ(uuidsOnServer(), std::vector<wxString>{here[0].uuid});
    EXPECT_TRUE(station.local().Unsent().empty());
}
