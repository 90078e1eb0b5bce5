// The headless reader and its archive: readings kept, listed and made into
// reports again; an archive it cannot write never costs the report; a
// reader killed mid-reading keeps what it had read; readers side by side
// share one archive.
#include "archive/filearchive.h"
#include "archive/readingrecorder.h"
#include "archive/sqliteconnection.h"
#include "archive/sqlitestatement.h"
#include "buslib/protocol/datatypes.h"
#include "tests/robustness/clirun.h"
#include "tests/robustness/scratchfolder.h"
#include "tests/robustness/tmpfsmount.h"
#include "tools/unitsim/simulatedunit.h"

#include <gtest/gtest.h>

#include <wx/dir.h>
#include <wx/ffile.h>
#include <wx/filename.h>
#include <wx/utils.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <future>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using morva_sim::SimulatedUnit;
using morva_sim::UnitMemory;

namespace {

std::vector<wxString> records(int n, const char* tag = "")
{
    std::vector<wxString> out;
    for (int i = 0; i < n; ++i)
        out.push_back(wxString::Format("%d\t%s record\t%d.5", i + 1, tag, i));
    return out;
}

UnitMemory memoryOf(int n, const char* tag = "")
{
    UnitMemory memory;
    memory.addTable("No.\tText\tValue", records(n, tag));
    return memory;
}

std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

std::vector<std::string> fields(const std::string& line)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        out.push_back(line.substr(start, tab - start));
    out.push_back(line.substr(start));
    return out;
}

class ArchiveCliTest : public ::testing::Test {
protected:
    std::string archive() const { return (scratch / "archive.sqlite").utf8_string(); }
    std::string reports() const { return scratch.path().utf8_string(); }

    CliRun read(const SimulatedUnit& unit, std::vector<std::string> extra = {}) const
    {
        std::vector<std::string> arguments{"read",     "--port",   unit.portPath(), "--baud",
                                           "115200",   "--pace",   "line",          "--format",
                                           "csv",      "--folder", reports(),       "--archive",
                                           archive()};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return RunCli(scratch.path(), arguments);
    }

    ScratchFolder scratch;
};

} // namespace

TEST_F(ArchiveCliTest, ReadingsAreKeptListedAndMadeIntoTheSameReport)
{
    SimulatedUnit unit(memoryOf(12));
    const CliRun first = read(unit);
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.err.find("archive"), std::string::npos) << first.err;
    const CliRun second = read(unit);
    ASSERT_EQ(second.status, 0) << second.err;

    // Newest first, tab-separated for a script.
    const CliRun list = RunCli(scratch.path(), {"archive", "list", "--archive", archive()});
    ASSERT_EQ(list.status, 0) << list.err;
    const std::vector<std::string> row = fields(firstLine(list.out));
    ASSERT_EQ(row.size(), 8u) << list.out;
    EXPECT_EQ(row[0], "2");
    EXPECT_EQ(row[2], wxGetHostName().utf8_string()); // the station, unless the settings name it
    EXPECT_EQ(row[3], unit.portPath());
    EXPECT_EQ(row[4], unit.portPath());
    EXPECT_EQ(row[5], "1");
    EXPECT_EQ(row[6], "12");
    EXPECT_EQ(row[7], "complete");
    EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 2);

    // The csv report carries no time: byte for byte the reading's.
    const wxString exports = scratch / "exports";
    ASSERT_TRUE(wxFileName::Mkdir(exports));
    const CliRun made = RunCli(scratch.path(), {"archive", "export", "1", "--format", "csv", "--folder",
                                                exports.utf8_string(), "--archive", archive()});
    ASSERT_EQ(made.status, 0) << made.err;
    const std::string path = firstLine(made.out);
    EXPECT_EQ(path.rfind(exports.utf8_string() + "/report_", 0), 0u) << path;
    EXPECT_EQ(FileBytes(wxString::FromUTF8(path)), FileBytes(wxString::FromUTF8(firstLine(first.out))));

    // The same reading again: the taken name gets "_2".
    const CliRun again = RunCli(scratch.path(), {"archive", "export", "1", "--format", "csv", "--folder",
                                                 exports.utf8_string(), "--archive", archive()});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_NE(firstLine(again.out).find("_2.csv"), std::string::npos) << again.out;

    const CliRun missing = RunCli(scratch.path(), {"archive", "export", "3", "--archive", archive()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("no reading number 3"), std::string::npos) << missing.err;
    EXPECT_EQ(missing.out, "");
}

TEST_F(ArchiveCliTest, AnExportIsTheReadingsReportInEveryFormat)
{
    // Three tables, each followed by the unit's pause: the reading ends
    // seconds after it began, so a report dated by its start differs.
    UnitMemory memory = memoryOf(6);
    memory.addTable("No.\tSecond\tValue", records(4, "second"));
    memory.addTable("No.\tThird\tValue", records(3, "third"));
    SimulatedUnit unit(memory);
    const wxString exports = scratch / "exports";
    ASSERT_TRUE(wxFileName::Mkdir(exports));
    const char* const formats[] = {"txt", "html", "rtf", "csv"};
    for (std::size_t i = 0; i < std::size(formats); ++i) {
        SCOPED_TRACE(formats[i]);
        const CliRun reading = read(unit, {"--format", formats[i]});
        ASSERT_EQ(reading.status, 0) << reading.err;
        const CliRun made = RunCli(scratch.path(), {"archive", "export", std::to_string(i + 1), "--format", formats[i],
                                                    "--folder", exports.utf8_string(), "--archive", archive()});
        ASSERT_EQ(made.status, 0) << made.err;
        const wxFileName original(wxString::FromUTF8(firstLine(reading.out)));
        const wxFileName exported(wxString::FromUTF8(firstLine(made.out)));
        EXPECT_EQ(exported.GetFullName(), original.GetFullName());
        EXPECT_TRUE(FileBytes(exported.GetFullPath()) == FileBytes(original.GetFullPath()));
    }
}

TEST_F(ArchiveCliTest, AnExportOfAReadingThatLacksARecordFails)
{
    SimulatedUnit unit(memoryOf(40));
    ASSERT_EQ(read(unit).status, 0);
    {
        const SqliteConnection db(wxString::FromUTF8(archive()), SqliteConnection::Mode::ReadWrite, 0);
        db.Execute("DELETE FROM records WHERE reading = 1 AND table_number = 0 AND idx = 20");
    }
    const wxString exports = scratch / "exports";
    ASSERT_TRUE(wxFileName::Mkdir(exports));
    const CliRun made = RunCli(scratch.path(), {"archive", "export", "1", "--format", "csv", "--folder",
                                                exports.utf8_string(), "--archive", archive()});
    EXPECT_EQ(made.status, 1);
    EXPECT_NE(made.err.find("reading 1 lacks record 21 of table 1"), std::string::npos) << made.err;
    EXPECT_EQ(made.out, "");
    wxArrayString written;
    EXPECT_EQ(wxDir::GetAllFiles(exports, &written), 0u) << written[0];
}

TEST_F(ArchiveCliTest, WhereReadingsAreKept)
{
    SimulatedUnit unit(memoryOf(2));
    const wxString data = scratch / "data";
    const wxString userArchive = data + "/MORVA_Reporter/archive.sqlite";
    const char* const previous = std::getenv("XDG_DATA_HOME");
    const std::string restore = previous ? previous : "";
    ::setenv("XDG_DATA_HOME", data.utf8_string().c_str(), 1);
    const auto kept = [](const wxString& file) {
        return wxFileName::FileExists(file) ? FileArchive(file, ReadingArchive::Access::Read).List().size() : 0u;
    };
    const std::vector<std::string> base{"read", "--port", unit.portPath(), "--baud", "115200", "--format", "csv",
                                        "--folder", reports()};
    const auto run = [&](std::vector<std::string> extra) {
        std::vector<std::string> arguments = base;
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        const CliRun r = RunCli(scratch.path(), arguments);
        EXPECT_EQ(r.status, 0) << r.err;
    };

    run({}); // the user's own archive, for the user's eyes alone
    EXPECT_EQ(kept(userArchive), 1u);
    const auto modeOf = [](const wxString& path) {
        struct stat status {};
        return ::stat(path.fn_str(), &status) == 0 ? status.st_mode & 07777 : 0u;
    };
    EXPECT_EQ(modeOf(data + "/MORVA_Reporter"), 0700u);
    EXPECT_EQ(modeOf(userArchive), 0600u);
    run({"--no-archive"});
    EXPECT_EQ(kept(userArchive), 1u);
    ASSERT_TRUE(WriteFileBytes(scratch / "morva_reporter.ini", "[archive]\nkeep=0\n"));
    run({});
    EXPECT_EQ(kept(userArchive), 1u);
    ASSERT_TRUE(WriteFileBytes(scratch / "morva_reporter.ini", "[archive]\npath=" + archive() + "\n"));
    run({});
    EXPECT_EQ(kept(userArchive), 1u);
    EXPECT_EQ(kept(scratch / "archive.sqlite"), 1u);
    // list and export read the archive of the settings too.
    const CliRun list = RunCli(scratch.path(), {"archive", "list"});
    EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 1) << list.out;

    if (previous)
        ::setenv("XDG_DATA_HOME", restore.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
}

TEST_F(ArchiveCliTest, TheStationOfTheSettingsAndTheListsFilters)
{
    SimulatedUnit unit(memoryOf(3));
    ASSERT_EQ(read(unit).status, 0);
    {
        wxFFile settings(scratch / "morva_reporter.ini", "w");
        ASSERT_TRUE(settings.Write(wxString::FromUTF8("[archive]\nstation=фургон 7\n")));
    }
    ASSERT_EQ(read(unit).status, 0);

    const auto numbers = [this](std::vector<std::string> filter) {
        std::vector<std::string> arguments{"archive", "list", "--archive", archive()};
        arguments.insert(arguments.end(), filter.begin(), filter.end());
        const CliRun list = RunCli(scratch.path(), arguments);
        EXPECT_EQ(list.status, 0) << list.err;
        std::string found;
        std::istringstream lines(list.out);
        for (std::string line; std::getline(lines, line);)
            found += fields(line)[0] + (fields(line)[2] == "фургон 7" ? "v " : " ");
        return found;
    };
    EXPECT_EQ(numbers({}), "2v 1 ");
    EXPECT_EQ(numbers({"--station", "фургон 7"}), "2v ");
    EXPECT_EQ(numbers({"--station", wxGetHostName().utf8_string()}), "1 ");
    EXPECT_EQ(numbers({"--port", unit.portPath()}), "2v 1 ");
    EXPECT_EQ(numbers({"--port", "COM9"}), "");
    const wxString today = wxDateTime::Today().FormatISODate();
    const wxString tomorrow = (wxDateTime::Today() + wxDateSpan::Day()).FormatISODate();
    EXPECT_EQ(numbers({"--since", today.utf8_string(), "--station", "фургон 7"}), "2v ");
    EXPECT_EQ(numbers({"--since", tomorrow.utf8_string()}), "");
}

namespace {

// One way an archive can fail a reading: makes it so, and says how the
// warning names it.
struct ArchiveFault {
    const char* name;
    bool needsMount;
    std::function<void(const wxString& archive, TmpfsMount* mount)> arrange;
    const char* reason;
};

std::string garbage(std::size_t size)
{
    std::mt19937 random(5);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

} // namespace

TEST_F(ArchiveCliTest, AnArchiveThatFailsNeverCostsTheReport)
{
    SimulatedUnit unit(memoryOf(200));
    std::unique_ptr<SqliteConnection> holder;
    const std::vector<ArchiveFault> faults = {
        {"read-only file system", true,
         [](const wxString&, TmpfsMount* mount) { ASSERT_TRUE(mount->remountReadOnly()); }, "read-only"},
        {"full file system", true,
         [](const wxString& file, TmpfsMount*) {
             // Fill what room is left.
             const std::string fill = (wxFileName(file).GetPath() + "/fill").utf8_string();
             const int fd = ::open(fill.c_str(), O_WRONLY | O_CREAT, 0644);
             ASSERT_GE(fd, 0);
             const std::string block(4096, 'x');
             while (::write(fd, block.data(), block.size()) > 0) {
             }
             ::close(fd);
         },
         "full"},
        {"locked by another program", false,
         [&holder](const wxString& file, TmpfsMount*) {
             holder = std::make_unique<SqliteConnection>(file, SqliteConnection::Mode::ReadWrite, 0);
             holder->Execute("BEGIN IMMEDIATE");
         },
         "locked"},
        {"truncated", false,
         [](const wxString& file, TmpfsMount*) {
             const std::string bytes = FileBytes(file);
             WriteFileBytes(file, bytes.substr(0, bytes.size() * 2 / 3));
         },
         "damaged"},
        {"garbage", false, [](const wxString& file, TmpfsMount*) { WriteFileBytes(file, garbage(100000)); },
         "damaged"},
    };
    for (const ArchiveFault& fault : faults) {
        SCOPED_TRACE(fault.name);
        const wxString folder = scratch / fault.name;
        ASSERT_TRUE(wxFileName::Mkdir(folder));
        std::unique_ptr<TmpfsMount> mount;
        if (fault.needsMount) {
            mount = std::make_unique<TmpfsMount>(folder, 512);
            if (!mount->mounted()) {
                std::printf("skipped %s: cannot mount a tmpfs (%s)\n", fault.name, mount->error().c_str());
                continue;
            }
        }
        const std::string file = (folder + "/archive.sqlite").utf8_string();
        const CliRun good = read(unit, {"--archive", file});
        ASSERT_EQ(good.status, 0) << good.err;
        fault.arrange(wxString::FromUTF8(file), mount.get());
        const std::string before = FileBytes(wxString::FromUTF8(file));

        const CliRun run = read(unit, {"--archive", file});
        EXPECT_TRUE(run.exited);
        EXPECT_EQ(run.status, 0) << run.err;
        const std::string report = firstLine(run.out);
        EXPECT_EQ(FileBytes(wxString::FromUTF8(report)), FileBytes(wxString::FromUTF8(firstLine(good.out))));
        // Told once, after the report's message.
        const std::size_t message = run.err.find("Report successfully generated");
        const std::size_t warning = run.err.find("The reading was not kept in the archive: ");
        ASSERT_NE(warning, std::string::npos) << run.err;
        EXPECT_GT(warning, message);
        EXPECT_EQ(run.err.find("The reading was not kept", warning + 1), std::string::npos);
        EXPECT_NE(run.err.find(fault.reason, warning), std::string::npos) << run.err;
        EXPECT_EQ(FileBytes(wxString::FromUTF8(file)), before);
        holder.reset();
    }
}

namespace {

// The reader running in the background.
class BackgroundCli {
public:
    BackgroundCli(const std::vector<std::string>& arguments)
    {
        std::vector<char*> argv{const_cast<char*>(MORVA_CLI_PROGRAM)};
        for (const std::string& a : arguments)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        if (posix_spawn(&m_pid, MORVA_CLI_PROGRAM, &actions, nullptr, argv.data(), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~BackgroundCli() { kill(); }

    bool started() const { return m_pid > 0; }
    void kill()
    {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGKILL);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
};

// The record texts the unit was asked for up to `until`.
std::size_t recordTextsAsked(const SimulatedUnit& unit,
                             std::chrono::steady_clock::time_point until = std::chrono::steady_clock::time_point::max())
{
    std::size_t n = 0;
    for (const morva_sim::ReceivedRequest& r : unit.requests()) {
        if (r.command() == morva_velox::CommandRead && r.variable() == morva_velox::VarRecord && r.time <= until)
            ++n;
    }
    return n;
}

} // namespace

TEST_F(ArchiveCliTest, AReaderKilledMidReadingKeepsWhatItRead)
{
    SimulatedUnit unit(memoryOf(3000));
    unit.setAnswerLatency(std::chrono::milliseconds(2));
    BackgroundCli reader({"read", "--port", unit.portPath(), "--baud", "115200", "--pace", "line", "--format",
                          "csv", "--folder", reports(), "--archive", archive()});
    ASSERT_TRUE(reader.started());
    ASSERT_TRUE(unit.waitForRequests(1000, std::chrono::seconds(60)));
    const auto killed = std::chrono::steady_clock::now();
    reader.kill();
    const std::size_t answered = recordTextsAsked(unit);
    // What README promises: every record up to the last commit. The last
    // commit began at most one commit period before the kill; allow it that
    // long again to reach the disk.
    const std::size_t committed = recordTextsAsked(unit, killed - 2 * ReadingRecorder::CommitPeriod);

    {
        const SqliteConnection db(wxString::FromUTF8(archive()), SqliteConnection::Mode::ReadOnly, 0);
        SqliteStatement check(db, "PRAGMA integrity_check");
        ASSERT_TRUE(check.Step());
        EXPECT_EQ(check.Text(0), "ok");
    }
    const std::vector<ReadingSummary> kept
        = FileArchive(wxString::FromUTF8(archive()), ReadingArchive::Access::Read).List();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].end, ReadingEnd::Interrupted);
    EXPECT_LE(static_cast<std::size_t>(kept[0].recordCount), answered);
    EXPECT_GE(static_cast<std::size_t>(kept[0].recordCount), committed)
        << kept[0].recordCount << " of " << answered << " kept, " << committed << " asked for before the last commit";

    const CliRun made = RunCli(scratch.path(), {"archive", "export", "1", "--format", "csv", "--folder",
                                                reports(), "--archive", archive()});
    ASSERT_EQ(made.status, 0) << made.err;
    const std::string report = FileBytes(wxString::FromUTF8(firstLine(made.out)));
    EXPECT_EQ(static_cast<std::int64_t>(std::count(report.begin(), report.end(), '\n')),
              kept[0].recordCount + 1 + 3);

    // The mark that the reading went on stays behind the killed reader,
    // until the next reading clears it.
    const auto locks = [this] {
        wxArrayString files;
        wxDir::GetAllFiles(scratch.path(), &files, "archive.sqlite-reading-*.lock", wxDIR_FILES);
        return files.size();
    };
    EXPECT_EQ(locks(), 1u);
    SimulatedUnit next(memoryOf(2));
    const CliRun again = RunCli(scratch.path(), {"read", "--port", next.portPath(), "--baud", "115200", "--pace",
                                                 "line", "--format", "csv", "--folder", reports(), "--archive",
                                                 archive()});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(locks(), 0u);
}

TEST_F(ArchiveCliTest, SixReadersSideBySideShareOneArchive)
{
    std::vector<std::unique_ptr<SimulatedUnit>> units;
    const char* const tags[] = {"a", "b", "c", "d", "e", "f"};
    for (const char* tag : tags)
        units.push_back(std::make_unique<SimulatedUnit>(memoryOf(150, tag)));
    std::vector<std::future<CliRun>> runs;
    for (const auto& unit : units)
        runs.push_back(std::async(std::launch::async, [&, u = unit.get()] { return read(*u); }));
    for (auto& run : runs) {
        const CliRun r = run.get();
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err.find("archive"), std::string::npos) << r.err;
    }

    const FileArchive archive(wxString::FromUTF8(this->archive()), ReadingArchive::Access::Read);
    const std::vector<ReadingSummary> kept = archive.List();
    ASSERT_EQ(kept.size(), 6u);
    for (std::size_t u = 0; u < units.size(); ++u) {
        const auto reading = std::find_if(kept.begin(), kept.end(), [&](const ReadingSummary& s) {
            return s.facts.port == wxString::FromUTF8(units[u]->portPath());
        });
        ASSERT_NE(reading, kept.end());
        EXPECT_EQ(reading->end, ReadingEnd::Complete);
        const wxArrayString lines = units[u]->memory().toReportLines();
        EXPECT_EQ(archive.Lines(reading->id), ReportLines(lines.begin(), lines.end()));
    }
}
