// The headless reader serving an archive: what it refuses to start with,
// what it answers and refuses, the interface against archive list and
// stats, the unit's text escaped, HTTPS with the password, and its end.
#include "servingreader.h"

#include "archive/archiveerror.h"
#include "archive/filearchive.h"
#include "archive/pgconnection.h"
#include "archive/readinguuid.h"
#include "archive/serverarchive.h"
#include "tests/archive/keptsample.h"
#include "tests/support/certificateauthority.h"
#include "tests/support/postgrescluster.h"

#include <gtest/gtest.h>

#include <httplib.h>
#include <wx/filefn.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <future>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace {

struct Answer {
    int status = 0;
    std::string body;
    httplib::Headers headers;
};

template <typename Client>
Answer get(Client& client, const std::string& path, const httplib::Headers& headers = {})
{
    const httplib::Result result = client.Get(path.c_str(), headers);
    if (!result)
        return {};
    return {result->status, result->body, result->headers};
}

class ServerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(sample.Kept()) << sample.Reading().err; }

    std::string archive() const { return (sample.scratch() / "archive.sqlite").utf8_string(); }

    KeptSample sample;
};

TEST_F(ServerTest, RefusesToStartWhereItWouldBeUnsafeOrCannot)
{
    const std::string folder = sample.scratch().path().utf8_string();
    morva_test::CertificateAuthority authority(folder, "serve-ca");
    authority.issueServerCertificate(folder + "/server.crt", folder + "/server.key");
    std::ofstream(folder + "/not-a-certificate.crt") << "hello\n";
    const struct {
        const char* name;
        std::vector<std::string> arguments;
        const char* message;
    } cases[] = {
        {"another address without HTTPS", {"--listen", "0.0.0.0:0"}, "needs HTTPS"},
        {"another address without a password",
         {"--listen", "0.0.0.0:0", "--certificate", folder + "/server.crt", "--key", folder + "/server.key"},
         "needs a password"},
        {"no address", {"--listen", "somewhere"}, "is not an address and port"},
        {"a port too high", {"--listen", "127.0.0.1:70000"}, "is not an address and port"},
        {"a certificate without its key", {"--certificate", folder + "/server.crt"}, "needs both"},
        {"no certificate",
         {"--certificate", folder + "/not-a-certificate.crt", "--key", folder + "/server.key"},
         "cannot be used"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> arguments = c.arguments;
        arguments.insert(arguments.end(), {"--archive", archive()});
        ServingReader reader(sample.scratch().path(), arguments);
        EXPECT_TRUE(reader.Url().empty()) << "it serves at " << reader.Url();
        EXPECT_EQ(reader.Status(), 1);
        EXPECT_NE(reader.Errors().find(c.message), std::string::npos) << reader.Errors();
    }
}

TEST_F(ServerTest, AnswersWhatIsThereAndRefusesTheRest)
{
    ServingReader reader(sample.scratch().path(), {"--listen", "127.0.0.1:0", "--archive", archive()});
    ASSERT_FALSE(reader.Url().empty()) << reader.Errors();
    httplib::Client client("127.0.0.1", reader.Port());
    client.set_read_timeout(30, 0);
    const struct {
        std::string path;
        int status;
        const char* says;
    } cases[] = {
        {"/api/readings", 200, "\"total\":1"},
        {"/readings", 200, "id=\"readings\""},
        {"/readings/1", 200, "<svg"},
        {"/readings/1?table=2&page=2", 200, "id=\"records\""},
        {"/api/readings/1/tables/1/records?limit=2", 200, "\"total\":"},
        {"/readings/1/report.csv", 200, ""},
        {"/api/readings/2", 404, "no reading number 2"},
        {"/readings/7", 404, "no reading number 7"},
        {"/api/readings/1/tables/9/records", 404, "has no table 9"},
        {"/readings/abc", 404, ""},
        {"/readings/01", 404, ""},
        {"/readings/1/report.exe", 404, ""},
        {"/readings/1/report.csv?since=2030-01-01", 404, "holds no records"},
        {"/../../../etc/passwd", 404, ""},
        {"/readings/..%2f..%2f..%2fetc%2fpasswd", 404, ""},
        {"/api/readings?page=x", 400, "page"},
        {"/api/readings?page=1&page=2", 400, "page"},
        {"/api/readings?bogus=1", 400, "bogus"},
        {"/api/readings/1/tables/1/records?since=yesterday", 400, "since"},
        {"/readings/1?lower=%3Cb%3E", 400, "lower"},
        {"/" + std::string(20000, 'a'), 414, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.substr(0, 80));
        const Answer answer = get(client, c.path);
        EXPECT_EQ(answer.status, c.status);
        EXPECT_NE(answer.body.find(c.says), std::string::npos) << answer.body.substr(0, 300);
        EXPECT_EQ(answer.body.find("root:"), std::string::npos);
    }
    httplib::Headers many;
    for (int i = 0; i < 100; ++i)
        many.emplace("X-Header-" + std::to_string(i), "1");
    EXPECT_EQ(get(client, "/api/readings", many).status, 431);
    const httplib::Result big = client.Post("/login", std::string(100 * 1024, 'a'), "application/x-www-form-urlencoded");
    ASSERT_TRUE(big);
    EXPECT_EQ(big->status, 413);
    EXPECT_EQ(reader.Stop(), 0) << "ends cleanly on Ctrl-C";
}

TEST_F(ServerTest, TheInterfaceTellsWhatArchiveListAndStatsTell)
{
    ServingReader reader(sample.scratch().path(), {"--archive", archive(), "--listen", "127.0.0.1:0"});
    ASSERT_FALSE(reader.Url().empty()) << reader.Errors();
    httplib::Client client("127.0.0.1", reader.Port());
    client.set_read_timeout(30, 0);
    const nlohmann::json list = nlohmann::json::parse(get(client, "/api/readings").body);
    const CliRun listed = sample.Run({"archive", "list"});
    ASSERT_EQ(listed.status, 0);
    // number, started, station, port, device, tables, records, ended
    const nlohmann::json& reading = list["readings"][0];
    const std::string line = reading["number"].dump() + "\t" + reading["started"].get<std::string>() + "\t"
        + reading["station"].get<std::string>() + "\t" + reading["port"].get<std::string>() + "\t"
        + reading["device"].get<std::string>() + "\t" + reading["tables"].dump() + "\t" + reading["records"].dump()
        + "\t" + reading["ended"].get<std::string>() + "\n";
    EXPECT_EQ(listed.out, line);

    const nlohmann::json one = nlohmann::json::parse(get(client, "/api/readings/1").body);
    const CliRun stats = sample.Run({"archive", "stats", "1", "--table", "1"});
    ASSERT_EQ(stats.status, 0) << stats.err;
    std::string fromApi;
    for (const nlohmann::json& row : one["table_list"][0]["figures"]["figures"])
        fromApi += (row["series"].is_null() ? std::string("all") : row["series"].get<std::string>()) + "\t"
            + row["count"].dump() + "\t" + row["minimum"].get<std::string>() + "\t"
            + row["minimum_at"].get<std::string>() + "\t" + row["maximum"].get<std::string>() + "\t"
            + row["maximum_at"].get<std::string>() + "\t" + row["mean"].get<std::string>() + "\t"
            + row["first"].get<std::string>() + "\t" + row["last"].get<std::string>() + "\n";
    EXPECT_EQ(stats.out.substr(stats.out.find('\n') + 1), fromApi);

    const nlohmann::json records
        = nlohmann::json::parse(get(client, "/api/readings/1/tables/1/records?series=CH2%20Temperature").body);
    ASSERT_FALSE(records["records"].empty());
    for (const nlohmann::json& record : records["records"])
        EXPECT_EQ(record["cells"][3], "CH2 Temperature");
}

TEST_F(ServerTest, TheUnitsTextIsShownNeverRun)
{
    {
        FileArchive kept(wxString::FromUTF8(archive()), ReadingArchive::Access::Write);
        const wxDateTime now = wxDateTime::Now();
        const std::int64_t reading = kept.BeginReading({"COM1", "/dev/ttyS0", 9600, "design", "0", "<b>lab</b>"},
                                                       NewReadingUuid(), now);
        kept.EndReading(reading, {ArchivedTable{0, "No.\t<i>Text</i>", 1}},
                        {ArchivedRecord{0, 0, "1\t<script>alert(1)</script>"}}, ReadingEnd::Complete, "", now);
    }
    ServingReader reader(sample.scratch().path(), {"--archive", archive(), "--listen", "127.0.0.1:0"});
    ASSERT_FALSE(reader.Url().empty()) << reader.Errors();
    httplib::Client client("127.0.0.1", reader.Port());
    for (const char* path : {"/readings", "/readings/2"}) {
        SCOPED_TRACE(path);
        const Answer page = get(client, path);
        ASSERT_EQ(page.status, 200);
        EXPECT_EQ(page.body.find("<script"), std::string::npos);
        EXPECT_EQ(page.body.find("<b>lab"), std::string::npos);
        EXPECT_NE(page.body.find("&lt;b&gt;lab&lt;/b&gt;"), std::string::npos);
    }
    const Answer page = get(client, "/readings/2");
    EXPECT_NE(page.body.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
    EXPECT_NE(page.body.find("&lt;i&gt;Text&lt;/i&gt;"), std::string::npos);
    const auto policy = page.headers.find("Content-Security-Policy");
    ASSERT_NE(policy, page.headers.end());
    EXPECT_NE(policy->second.find("default-src 'none'"), std::string::npos);
}

TEST_F(ServerTest, OverHttpsAPasswordIsAskedAndFailuresAreSlowedDown)
{
    const std::string folder = sample.scratch().path().utf8_string();
    // What a password may hold: spaces, quotes, '@', '%', a colon, Cyrillic.
    const std::string password = "p@ss %41 'q\" :\xd1\x81\xd0\xbb\xd0\xbe\xd0\xb2\xd0\xbe";
    const std::string set = CommandOutput("cd " + ShellQuoted(folder) + " && printf '%s\\n' " + ShellQuoted(password)
                                          + " | " + ShellQuoted(MORVA_CLI_PROGRAM) + " archive serve --set-password 2>&1");
    std::ifstream ini(folder + "/morva_reporter.ini");
    const std::string settings((std::istreambuf_iterator<char>(ini)), std::istreambuf_iterator<char>());
    ASSERT_NE(settings.find("password=pbkdf2"), std::string::npos) << set << settings;
    EXPECT_EQ(settings.find(password), std::string::npos);

    morva_test::CertificateAuthority authority(folder, "serve-ca");
    authority.issueServerCertificate(folder + "/server.crt", folder + "/server.key");
    ServingReader reader(sample.scratch().path(), {"--listen", "127.0.0.1:0", "--certificate", folder + "/server.crt",
                                                   "--key", folder + "/server.key", "--archive", archive()});
    ASSERT_EQ(reader.Url().rfind("https://", 0), 0u) << reader.Url() << reader.Errors();
    httplib::SSLClient client("127.0.0.1", reader.Port());
    client.set_ca_cert_path((folder + "/serve-ca.crt").c_str());
    client.enable_server_certificate_verification(true);
    client.set_read_timeout(30, 0);

    EXPECT_EQ(get(client, "/api/readings").status, 401);
    const Answer page = get(client, "/readings");
    EXPECT_EQ(page.status, 303);
    client.set_basic_auth("any", password.c_str());
    EXPECT_EQ(get(client, "/api/readings").status, 200);

    httplib::SSLClient browser("127.0.0.1", reader.Port());
    browser.set_ca_cert_path((folder + "/serve-ca.crt").c_str());
    browser.enable_server_certificate_verification(true);
    const httplib::Result in = browser.Post("/login", httplib::Params{{"password", password}});
    ASSERT_TRUE(in);
    EXPECT_EQ(in->status, 303);
    const std::string cookie = in->get_header_value("Set-Cookie");
    for (const char* part : {"HttpOnly", "Secure", "SameSite=Strict"})
        EXPECT_NE(cookie.find(part), std::string::npos) << cookie;
    const std::string session = cookie.substr(0, cookie.find(';'));
    EXPECT_EQ(get(browser, "/readings", {{"Cookie", session}}).status, 200);

    // A wrong password, and at once another: the second is not even tried.
    const httplib::Result wrong = browser.Post("/login", "password=wrong", "application/x-www-form-urlencoded");
    ASSERT_TRUE(wrong);
    EXPECT_EQ(wrong->status, 401);
    const httplib::Result again = browser.Post("/login", httplib::Params{{"password", password}});
    ASSERT_TRUE(again);
    EXPECT_EQ(again->status, 429);
    EXPECT_FALSE(again->get_header_value("Retry-After").empty());
    EXPECT_EQ(reader.Errors().find(password), std::string::npos);
    EXPECT_EQ(reader.Stop(), 0);
}

TEST(ServedArchive, OneThatComesLaterIsServedOnceItIsThere)
{
    const ScratchFolder folder;
    const wxString file = folder / "later.sqlite";
    ServingReader reader(folder.path(), {"--listen", "127.0.0.1:0", "--archive", file.utf8_string()});
    ASSERT_FALSE(reader.Url().empty()) << reader.Errors();
    httplib::Client client("127.0.0.1", reader.Port());
    EXPECT_NE(get(client, "/api/readings").body.find("\"total\":0"), std::string::npos);
    EXPECT_FALSE(wxFileExists(file)) << "reading it makes no file";
    {
        FileArchive kept(file, ReadingArchive::Access::Write);
        const std::int64_t reading
            = kept.BeginReading({"COM1", "/dev/ttyS0", 9600, "design", "0", "lab"}, NewReadingUuid(), wxDateTime::Now());
        kept.EndReading(reading, ReadingEnd::Complete, "", wxDateTime::Now());
    }
    EXPECT_NE(get(client, "/api/readings").body.find("\"total\":1"), std::string::npos);
    EXPECT_EQ(reader.Stop(), 0);
}

// A station keeps a reading in the file the web view serves, committing as
// the records come, while a browser asks for it: in WAL mode, and with the
// rollback journal a network folder gets, where a reader and the writer
// take turns on the file's locks.
class ServedWhileKept : public ::testing::TestWithParam<FileSystemKind> {};

TEST_P(ServedWhileKept, AReadingGrowsInViewAndIsKeptWhole)
{
    const ScratchFolder folder;
    const wxString file = folder / "archive.sqlite";
    FileArchive kept(file, ReadingArchive::Access::Write, GetParam());
    const std::int64_t reading
        = kept.BeginReading({"COM1", "/dev/ttyS0", 9600, "design", "0", "lab"}, NewReadingUuid(), wxDateTime::Now());
    constexpr unsigned Batches = 120;
    constexpr unsigned PerBatch = 25;
    const std::vector<ArchivedTable> tables{{0, "No.\tDate\tTime\tChannel\tValue", Batches * PerBatch}};
    const auto batch = [](unsigned first) {
        std::vector<ArchivedRecord> records;
        for (unsigned i = first; i < first + PerBatch; ++i)
            records.push_back({0, i, wxString::Format("%u\t14.03.2024\t%02u:%02u:00\tCH%u\t%u,5", i + 1,
                                                      i / 60 % 24, i % 60, i % 3 + 1, i % 97)});
        return records;
    };
    kept.Store(reading, tables, batch(0));

    ServingReader reader(folder.path(), {"--listen", "127.0.0.1:0", "--archive", file.utf8_string()});
    ASSERT_FALSE(reader.Url().empty()) << reader.Errors();
    // The browser looks round after round while the station keeps; every
    // tenth batch the station waits for the next round to begin, so that
    // looking and keeping meet all along the reading.
    std::mutex mutex;
    std::condition_variable nextRound;
    int rounds = 0;
    bool keeping = true;
    std::future<std::set<long long>> looking = std::async(std::launch::async, [&, port = reader.Port()] {
        httplib::Client client("127.0.0.1", port);
        client.set_read_timeout(60, 0);
        std::set<long long> seen;
        for (bool last = false; !last;) {
            {
                const std::lock_guard<std::mutex> lock(mutex);
                last = !keeping;
                ++rounds;
            }
            nextRound.notify_all();
            for (const char* path : {"/readings", "/readings/1", "/api/readings/1/tables/1/records?limit=5"}) {
                const Answer answer = get(client, path);
                EXPECT_EQ(answer.status, 200) << path << ": " << answer.body.substr(0, 200);
            }
            const Answer one = get(client, "/api/readings/1");
            EXPECT_EQ(one.status, 200) << one.body.substr(0, 200);
            if (one.status != 200)
                continue;
            const long long records = nlohmann::json::parse(one.body)["records"].get<long long>();
            EXPECT_GE(records, seen.empty() ? 0 : *seen.rbegin()) << "the records went back";
            seen.insert(records);
        }
        return seen;
    });
    for (unsigned b = 1; b < Batches; ++b) {
        try {
            kept.Store(reading, tables, batch(b * PerBatch));
        } catch (const ArchiveError& error) {
            ADD_FAILURE() << "batch " << b << ": " << error.what();
            break;
        }
        if (b % 10 == 0) {
            std::unique_lock<std::mutex> lock(mutex);
            const int now = rounds;
            nextRound.wait(lock, [&] { return rounds > now; });
        }
    }
    kept.EndReading(reading, ReadingEnd::Complete, "", wxDateTime::Now());
    {
        const std::lock_guard<std::mutex> lock(mutex);
        keeping = false;
    }
    const std::set<long long> seen = looking.get();
    EXPECT_GE(seen.size(), Batches / 10) << "the reading was seen growing";

    httplib::Client client("127.0.0.1", reader.Port());
    const nlohmann::json one = nlohmann::json::parse(get(client, "/api/readings/1").body);
    EXPECT_EQ(one["records"], Batches * PerBatch);
    EXPECT_EQ(one["ended"], "complete");
    EXPECT_EQ(kept.Records(reading, 0, Batches * PerBatch).size(), Batches * PerBatch);
    EXPECT_EQ(reader.Stop(), 0) << reader.Errors();
}

INSTANTIATE_TEST_SUITE_P(JournalModes, ServedWhileKept,
                         ::testing::Values(FileSystemKind::Local, FileSystemKind::Network),
                         [](const ::testing::TestParamInfo<FileSystemKind>& kind) {
                             return kind.param == FileSystemKind::Local ? "Wal" : "RollbackJournal";
                         });

TEST(StalledServer, HoldsTheRequestsThatNeedItNotTheServerNorItsEnd)
{
    using morva_test::PostgresCluster;
    if (!PostgresCluster::unavailableReason().empty())
        GTEST_SKIP() << PostgresCluster::unavailableReason();
    const PostgresCluster cluster;
    const wxString place = wxString::FromUTF8(cluster.passwordConnection().c_str());
    {
        ServerArchive shared(place, ReadingArchive::Access::Write);
        const std::int64_t reading
            = shared.BeginReading({"COM1", "/dev/ttyS0", 9600, "design", "0", "lab"}, NewReadingUuid(), wxDateTime::Now());
        shared.EndReading(reading, ReadingEnd::Complete, "", wxDateTime::Now());
    }
    // Another session of the server holds every table locked, as a long
    // transaction of the lab's might.
    PgConnection locker(wxString::FromUTF8(cluster.superuserConnection().c_str()));
    locker.Run("BEGIN; LOCK TABLE morva_archive, morva_readings, morva_tables, morva_records, morva_ends "
               "IN ACCESS EXCLUSIVE MODE");
    const ScratchFolder folder;
    ServingReader reader(folder.path(), {"--listen", "127.0.0.1:0", "--archive", cluster.passwordConnection()});
    ASSERT_FALSE(reader.Url().empty()) << reader.Errors();
    const int port = reader.Port();
    std::future<int> stalled = std::async(std::launch::async, [port] {
        httplib::Client client("127.0.0.1", port);
        client.set_read_timeout(120, 0);
        const httplib::Result result = client.Get("/api/readings");
        return result ? result->status : 0;
    });
    // The server answers what does not need the archive meanwhile.
    httplib::Client other("127.0.0.1", port);
    other.set_read_timeout(30, 0);
    EXPECT_EQ(get(other, "/login").status, 200);
    EXPECT_EQ(stalled.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout) << "the lock holds it";
    // Ctrl-C ends it, the stalled request with it (it is killed after ten
    // seconds, and says -1).
    EXPECT_EQ(reader.Stop(), 0) << reader.Errors();
    EXPECT_NE(stalled.get(), 200);
    EXPECT_EQ(reader.Errors().find(PostgresCluster::Password), std::string::npos);
    locker.Run("ROLLBACK");
}

} // namespace
