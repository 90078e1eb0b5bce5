// The headless reader as an operator or a script runs it: a real process
// against the simulated unit on a pseudo-terminal.
#include "report/reportgenerator.h"
#include "support/otheruser.h"
#include "tools/unitsim/simulatedunit.h"

#include <gtest/gtest.h>

#include <wx/datetime.h>
#include <wx/dir.h>
#include <wx/ffile.h>
#include <wx/filename.h>
#include <wx/init.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <sys/ioctl.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <pty.h>
#include <sys/stat.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using morva_sim::Fault;
using morva_sim::FaultRule;
using morva_sim::SimulatedUnit;
using morva_sim::UnitMemory;

extern char** environ;

namespace {

// The exit status of a child that could not run the reader.
constexpr int ExecFailed = 121;

// A copy of the reader in `folder`/bin, which the unprivileged user can
// reach wherever the build folder is (a build under /root is out of its
// reach); `folder` must be open to it. Empty when it cannot be made.
std::string readerCopyIn(const std::string& folder)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path bin = fs::path(folder) / "bin";
    const fs::path copy = bin / "morva_reporter_cli";
    fs::create_directory(bin, error);
    if (!error)
        fs::permissions(bin, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec
                                 | fs::perms::others_read | fs::perms::others_exec, error);
    if (!error)
        fs::copy_file(MORVA_CLI, copy, fs::copy_options::overwrite_existing, error);
    if (!error)
        fs::permissions(copy, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec
                                  | fs::perms::others_read | fs::perms::others_exec, error);
    return error ? std::string() : copy.string();
}

struct Result {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string slurp(int fd)
{
    std::string text;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0)
        text.append(buf, static_cast<std::size_t>(n));
    return text;
}

// Runs the reader in `dir`. `answer` goes to its standard input, which is a
// terminal when `terminal` is set and a pipe otherwise. `whileRunning` runs
// with the child's pid while it runs.
Result run(const std::vector<std::string>& args, const std::string& dir,
           const std::string& answer = "", bool terminal = false,
           const std::function<void(pid_t)>& whileRunning = {},
           const std::string& path = "", bool asNobody = false, const std::string& program = MORVA_CLI)
{
    int outPipe[2], errPipe[2], inPipe[2] = {-1, -1};
    int master = -1, slave = -1;
    EXPECT_EQ(::pipe(outPipe), 0);
    EXPECT_EQ(::pipe(errPipe), 0);
    if (terminal)
        EXPECT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    else
        EXPECT_EQ(::pipe(inPipe), 0);

    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(terminal ? slave : inPipe[0], STDIN_FILENO);
        ::dup2(outPipe[1], STDOUT_FILENO);
        ::dup2(errPipe[1], STDERR_FILENO);
        if (::chdir(dir.c_str()) != 0)
            ::_exit(120);
        if (!path.empty())
            ::setenv("PATH", path.c_str(), 1);
        if (asNobody && !becomeUnprivilegedUser())
            ::_exit(122);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(ExecFailed);
    }
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    if (terminal) {
        ::close(slave);
        if (!answer.empty()) {
            EXPECT_GT(::write(master, answer.data(), answer.size()), 0);
        }
    } else {
        ::close(inPipe[0]);
        if (!answer.empty()) {
            EXPECT_GT(::write(inPipe[1], answer.data(), answer.size()), 0);
        }
        ::close(inPipe[1]);
    }
    if (whileRunning)
        whileRunning(pid);
    Result r;
    std::thread errReader([&] { r.err = slurp(errPipe[0]); });
    r.out = slurp(outPipe[0]);
    errReader.join();
    int status = 0;
    ::waitpid(pid, &status, 0);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    ::close(outPipe[0]);
    ::close(errPipe[0]);
    if (master >= 0)
        ::close(master);
    return r;
}

std::string lastLine(const std::string& text)
{
    std::string t = text;
    while (!t.empty() && t.back() == '\n')
        t.pop_back();
    const auto pos = t.rfind('\n');
    return pos == std::string::npos ? t : t.substr(pos + 1);
}

std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

UnitMemory smallMemory()
{
    UnitMemory m;
    m.addTable("Date\tTime\tValue", {"01.02.2026\t10:00\t1.5", "01.02.2026\t10:01\t1.6"});
    m.addTable(wxString::FromUTF8("Событие\tКод"), {wxString::FromUTF8("Перегрев <80> & {1}\t7")});
    return m;
}

// The report at `path` is the one the writers make of the unit's memory at
// the time its name tells.
void expectReportOfMemory(const std::string& path, const UnitMemory& memory, int formatIndex,
                          const std::string& scratch)
{
    const wxArrayString lines = memory.toReportLines();
    wxDateTime when;
    // A numbered name ("_2" after the time) is dated by its time as well.
    const wxString name = wxFileName(path).GetName().Left(wxStrlen("report_YYYY_mm_dd_HH_MM_SS"));
    ASSERT_TRUE(when.ParseFormat(name, "report_%Y_%m_%d_%H_%M_%S")) << path;
    auto formater = CreateFormater(formatIndex);
    const std::string expectedPath = scratch + "/.expected";
    ASSERT_TRUE(WriteReport(*formater, expectedPath, ReportLines(lines.begin(), lines.end()),
                            static_cast<unsigned>(memory.tables().size()), when)
                    .ok);
    EXPECT_EQ(fileText(path), fileText(expectedPath)) << path;
    wxRemoveFile(expectedPath);
}

UnitMemory numberedMemory(int unitNumber, int records)
{
    UnitMemory m;
    std::vector<wxString> rows;
    for (int i = 0; i < records; ++i)
        rows.push_back(wxString::Format("unit %d\trecord %d", unitNumber, i));
    m.addTable("Unit\tRecord", rows);
    return m;
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/morva_cli_XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir = tmpl;
    }
    void TearDown() override { wxFileName::Rmdir(dir, wxPATH_RMDIR_RECURSIVE); }

    std::vector<std::string> readArgs(const std::string& format)
    {
        return {"read", "--port", unit.portPath(), "--baud", "115200", "--format", format,
                "--folder", dir};
    }
    std::size_t reportCount() const
    {
        wxArrayString files;
        return wxDir::GetAllFiles(dir, &files, "report_*", wxDIR_FILES);
    }

    wxInitializer init;
    SimulatedUnit unit{smallMemory()};
    std::string dir;
};

} // namespace

TEST_F(CliTest, ReadsAReportInEveryFormat)
{
    const char* const formats[] = {"rtf", "html", "txt", "csv"};
    for (int index = 0; index < 4; ++index) {
        const std::string format = formats[index];
        SCOPED_TRACE(format);
        const Result r = run(readArgs(format), dir);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const std::string path = lastLine(r.out);
        EXPECT_EQ(path.rfind(dir + "/report_", 0), 0u) << path;
        EXPECT_EQ(wxFileName(path).GetExt(), format);
        EXPECT_NE(r.err.find("Report successfully generated in file " + path), std::string::npos) << r.err;

        // The same report as the writers make of the same lines at that time.
        expectReportOfMemory(path, unit.memory(), index, dir);
        wxRemoveFile(path);
    }
}

TEST_F(CliTest, OpenHandsTheReportToTheDesktop)
{
    // A stand-in for the desktop's opener records what it was asked to open.
    const std::string bin = dir + "/bin";
    ASSERT_TRUE(wxFileName::Mkdir(bin));
    const std::string opened = dir + "/opened.txt";
    std::ofstream(bin + "/xdg-open") << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" << opened << ".tmp'\nmv '"
                                     << opened << ".tmp' '" << opened << "'\n";
    ASSERT_EQ(::chmod((bin + "/xdg-open").c_str(), 0755), 0);
    std::vector<std::string> args = readArgs("html");
    args.push_back("--open");
    const Result r = run(args, dir, "", false, {}, bin + ":/usr/bin:/bin");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // The opener runs detached: wait for its record, within a generous bound.
    for (int i = 0; i < 500 && !wxFileName::FileExists(opened); ++i)
        ::usleep(10000);
    EXPECT_EQ(fileText(opened), lastLine(r.out) + "\n");
}

TEST_F(CliTest, PortFromTheSettingsFile)
{
    std::ofstream(dir + "/morva_reporter.ini")
        << "[communication]\nserial_port=7\n[report]\nfolder=" << dir << "\n[ports]\nCOM7="
        << unit.portPath() << "\n";
    const Result r = run({"read", "--format", "txt", "--baud", "115200"}, dir);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(lastLine(r.out).rfind(dir + "/report_", 0), 0u);
    // The reader never writes the settings.
    EXPECT_EQ(fileText(dir + "/morva_reporter.ini").find("Language"), std::string::npos);
}

TEST_F(CliTest, PortThatDoesNotOpenSaysWhy)
{
    const std::string line = "MORVA_Reporter: Error while reading! Can't get data!\nSerial port error\n";
    const struct {
        std::string port;
        std::string reason;
    } rows[] = {
        {"/dev/no-such-port", "The device /dev/no-such-port does not exist."},
        {"/dev/null", "/dev/null is not a serial port."},
    };
    for (const auto& row : rows) {
        const Result r = run({"read", "--port", row.port, "--folder", dir}, dir);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, line + row.reason + "\n");
    }

    // Held by another program in exclusive mode.
    const int holder = ::open(unit.portPath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::ioctl(holder, TIOCEXCL), 0);
    Result r = run({"read", "--port", unit.portPath(), "--folder", dir}, dir);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, line + unit.portPath() + " is in use by another program. Close that program and try again.\n");
    ::ioctl(holder, TIOCNXCL);
    ::close(holder);

    if (::geteuid() != 0)
        GTEST_SKIP() << "permission denied is shown only when the test may run the reader as another user";
    struct stat node {};
    ASSERT_EQ(::stat(unit.portPath().c_str(), &node), 0);
    const group* owner = ::getgrgid(node.st_gid);
    ASSERT_EQ(::chmod(dir.c_str(), 0777), 0);
    const std::string reader = readerCopyIn(dir);
    if (reader.empty())
        GTEST_SKIP() << "cannot copy the reader to " << dir << " for the unprivileged user to run";
    r = run({"read", "--port", unit.portPath(), "--folder", dir}, dir, "", false, {}, "", true, reader);
    if (r.exitCode == ExecFailed)
        GTEST_SKIP() << "the unprivileged user cannot run " << reader << " here";
    EXPECT_EQ(r.exitCode, 1);
    if (node.st_gid == 0 || !owner) {
        // Nobody should join the superuser's group for a port.
        EXPECT_EQ(r.err, line + "You may not open " + unit.portPath() + " (permission denied).\n");
    } else {
        const std::string group = owner->gr_name;
        EXPECT_EQ(r.err, line + "You may not open " + unit.portPath() + ": add your user to the group \""
                             + group + "\" (sudo usermod -a -G " + group + " $USER), then log out and in again.\n");
    }
}

TEST_F(CliTest, PortsListsThisMachinesPortsOrSaysThereAreNone)
{
    // Takes no options, with ports or without.
    EXPECT_EQ(run({"ports", "--port", "COM1"}, dir).exitCode, 2);

    const Result r = run({"ports"}, dir);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    if (r.out.empty()) {
        EXPECT_EQ(r.err, "No serial ports found.\n");
        return;
    }
    EXPECT_EQ(r.err, "");
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) {
        // COM name (possibly none), the device, and three more fields.
        EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 4) << line;
        EXPECT_NE(line.find("\t/dev/"), std::string::npos) << line;
    }
}

TEST_F(CliTest, FailuresAndUsageErrors)
{
    Result r = run({"read", "--port", "/dev/no-such-port", "--folder", dir}, dir);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Error while reading! Can't get data!\nSerial port error"), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"read", "--baud", "12345"}, {"read", "--format", "pdf"},
          {"read", "--yes"}, {"clear", "--format", "txt"}, {"erase"}, {}, {"read", "--port"},
          {"read", "--pace", "fast"}, {"clear", "--pace"}, {"archive", "list", "--since", "2026-13-01"},
          {"archive", "list", "--since", "2026-02-29"}, {"archive", "list", "--since", "10.12.2026"},
          {"archive", "list", "--since", "2026-12-1"}, {"archive", "list", "--station"},
          {"archive", "export", "1", "--station", "lab-1"}, {"read", "--station", "lab-1"}}) {
        r = run(args, dir);
        EXPECT_EQ(r.exitCode, 2) << r.err;
        EXPECT_NE(r.err.find("Usage:"), std::string::npos);
    }
    r = run({"--help"}, dir);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("morva_reporter_cli read"), std::string::npos);
    EXPECT_NE(r.out.find("/usr/share/morva_reporter/help"), std::string::npos) << r.out;
    EXPECT_EQ(unit.requestCount(), 0u);
}

// The settings file's pace, unless --pace names another; the reader never
// writes the file.
TEST_F(CliTest, PaceFromTheSettingsFile)
{
    const struct {
        const char* setting; // null: no key
        const char* option;  // null: none
        const char* pace;
    } rows[] = {{"line", nullptr, "line"}, {"line", "design", "design"}, {"design", "line", "line"},
                {"quick", nullptr, "design"}, {nullptr, nullptr, "design"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.setting ? row.setting : "-") + " " + (row.option ? row.option : "-"));
        const std::string ini = row.setting ? std::string("[communication]\npace=") + row.setting + "\n" : "";
        std::ofstream(dir + "/morva_reporter.ini") << ini;
        std::vector<std::string> args = readArgs("txt");
        args.insert(args.end(), {"--trace", dir + "/trace.txt"});
        if (row.option)
            args.insert(args.end(), {"--pace", row.option});
        const Result r = run(args, dir);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const std::string trace = fileText(dir + "/trace.txt");
        EXPECT_EQ(trace.substr(0, trace.find('\n')), std::string("       0 pace ") + row.pace);
        EXPECT_EQ(fileText(dir + "/morva_reporter.ini"), ini);
        wxRemoveFile(lastLine(r.out));
    }
}

TEST_F(CliTest, BothPacesSendTheSameRequestsAndMakeTheSameReport)
{
    std::vector<std::vector<morva_sim::ReceivedRequest>> requests;
    std::vector<std::string> reports;
    for (const char* pace : std::initializer_list<const char*>{"design", "line", "LINE", nullptr}) {
        SCOPED_TRACE(pace ? pace : "(default)");
        unit.clearRequests();
        std::vector<std::string> args = readArgs("txt");
        args.insert(args.end(), {"--trace", dir + "/trace.txt"});
        if (pace)
            args.insert(args.end(), {"--pace", pace});
        const Result r = run(args, dir);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        // The trace names the pace first; the design pace is the default.
        const std::string trace = fileText(dir + "/trace.txt");
        const std::string named = std::string(pace && pace[0] != 'd' ? "line" : "design");
        EXPECT_EQ(trace.substr(0, trace.find('\n')), "       0 pace " + named);
        // Then, once, what became of low-latency mode: a pseudo-terminal has none.
        const std::string note = named == "line" ? " note low-latency mode not available from the driver\n"
                                                 : " note low-latency mode not asked for (design pace)\n";
        EXPECT_NE(trace.find(note), std::string::npos) << trace.substr(0, 200);
        EXPECT_EQ(trace.find(" note ", trace.find(note) + 1), std::string::npos);
        // The report without its first line, which holds the time.
        const std::string report = fileText(lastLine(r.out));
        reports.push_back(report.substr(report.find('\n')));
        wxRemoveFile(lastLine(r.out));
        requests.push_back(unit.requests());
    }
    for (std::size_t i = 1; i < reports.size(); ++i) {
        EXPECT_EQ(reports[i], reports[0]);
        ASSERT_EQ(requests[i].size(), requests[0].size());
        for (std::size_t k = 0; k < requests[0].size(); ++k)
            EXPECT_EQ(requests[i][k].bytes, requests[0][k].bytes) << "request " << k;
    }
}

TEST_F(CliTest, SilentUnitMakesNoReport)
{
    unit.addFault(FaultRule{Fault::silence(), {}, {}, {}, -1});
    const Result r = run(readArgs("txt"), dir);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Error while reading! Can't get data!\nNo answer"), std::string::npos) << r.err;
    EXPECT_EQ(reportCount(), 0u);
}

TEST_F(CliTest, InterruptMakesAReportOfWhatWasRead)
{
    UnitMemory big;
    std::vector<wxString> records;
    for (int i = 0; i < 200; ++i)
        records.push_back(wxString::Format("%d\tvalue", i));
    big.addTable("N\tValue", records);
    SimulatedUnit bigUnit(big);
    const Result r = run({"read", "--port", bigUnit.portPath(), "--format", "csv", "--folder", dir},
                         dir, "", false, [&](pid_t pid) {
                             ASSERT_TRUE(bigUnit.waitForRequests(30, std::chrono::seconds(20)));
                             ::kill(pid, SIGINT);
                         });
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string report = fileText(lastLine(r.out));
    EXPECT_NE(report.find("N\tValue"), std::string::npos);
    EXPECT_NE(report.find("1\tvalue"), std::string::npos);
    EXPECT_EQ(report.find("199\tvalue"), std::string::npos);
}

TEST_F(CliTest, ClearAsksFirst)
{
    struct Row {
        const char* name;
        std::vector<std::string> extra;
        std::string answer;
        bool terminal;
        int exitCode;
        bool cleared;
    };
    const Row rows[] = {
        {"yes on a terminal", {}, "y\n", true, 0, true},
        {"no on a terminal", {}, "n\n", true, 1, false},
        {"empty answer", {}, "\n", true, 1, false},
        {"no terminal", {}, "y\n", false, 2, false},
        {"--yes", {"--yes"}, "", false, 0, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SimulatedUnit fresh(smallMemory());
        std::vector<std::string> args{"clear", "--port", fresh.portPath(), "--baud", "115200"};
        args.insert(args.end(), row.extra.begin(), row.extra.end());
        const Result r = run(args, dir, row.answer, row.terminal);
        EXPECT_EQ(r.exitCode, row.exitCode) << r.err;
        EXPECT_EQ(fresh.requestCount(), row.cleared ? 1u : 0u);
        EXPECT_EQ(fresh.memory().tables()[0].records.empty(), row.cleared);
        // The question, or a script's log, names the port before anything is
        // sent; the result line names it again.
        const std::string portLine = "Serial port: " + fresh.portPath() + "\n";
        if (row.terminal) {
            EXPECT_NE(r.err.find("Are you sure you want to clear unit memory? Erased data could not be restored\n"
                                 + portLine.substr(0, portLine.size() - 1) + " [y/N] "),
                      std::string::npos)
                << r.err;
        } else if (row.cleared) {
            EXPECT_EQ(r.err.rfind(portLine, 0), 0u) << r.err;
        }
        if (row.cleared) {
            EXPECT_NE(r.err.find("Unit memory cleaned successfully: " + fresh.portPath() + "\n"), std::string::npos)
                << r.err;
        }
    }

    // A COM name is named as the port list shows it, with its device.
    {
        SimulatedUnit fresh(smallMemory());
        std::ofstream(dir + "/morva_reporter.ini") << "[ports]\nCOM7=" << fresh.portPath() << "\n";
        const Result r = run({"clear", "--port", "COM7", "--baud", "115200", "--yes"}, dir);
        ::unlink((dir + "/morva_reporter.ini").c_str());
        EXPECT_EQ(r.exitCode, 0) << r.err;
        const std::string label = "COM7 \u2013 " + fresh.portPath();
        EXPECT_EQ(r.err, "Serial port: " + label + "\nUnit memory cleaned successfully: " + label + "\n");
    }

    unit.addFault(FaultRule{Fault::errorAnswer(1), {}, {}, {}, -1});
    const Result r = run({"clear", "--port", unit.portPath(), "--yes", "--trace", dir + "/trace.txt"}, dir);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Fault while cleaning unit memory: " + unit.portPath()), std::string::npos) << r.err;
    // Six requests and six error answers in the trace.
    std::istringstream trace(fileText(dir + "/trace.txt"));
    int sent = 0, received = 0;
    for (std::string line; std::getline(trace, line);) {
        sent += line.find(" > FF FF FF 01 01 01 08 05 03 00") != std::string::npos;
        received += line.find(" < ") != std::string::npos;
    }
    EXPECT_EQ(sent, 6);
    EXPECT_GE(received, 6);
}

// Readers side by side that finish in the same second into one folder each
// keep their own report, and each names the file it wrote.
TEST_F(CliTest, ReadersSideBySideEachKeepTheirOwnReport)
{
    constexpr int Readers = 6;
    std::vector<std::unique_ptr<SimulatedUnit>> units;
    for (int i = 0; i < Readers; ++i)
        units.push_back(std::make_unique<SimulatedUnit>(numberedMemory(i, 2)));
    std::vector<Result> results(Readers);
    {
        std::vector<std::thread> readers;
        for (int i = 0; i < Readers; ++i) {
            readers.emplace_back([&, i] {
                results[i] = run({"read", "--port", units[i]->portPath(), "--baud", "115200", "--format",
                                  "csv", "--folder", dir},
                                 dir);
            });
        }
        for (std::thread& t : readers)
            t.join();
    }
    std::set<std::string> paths;
    for (int i = 0; i < Readers; ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(results[i].exitCode, 0) << results[i].err;
        const std::string path = lastLine(results[i].out);
        paths.insert(path);
        EXPECT_NE(results[i].err.find("Report successfully generated in file " + path), std::string::npos);
        expectReportOfMemory(path, units[i]->memory(), ReportFormatCsv, dir);
    }
    EXPECT_EQ(paths.size(), std::size_t{Readers});
    wxArrayString files;
    EXPECT_EQ(wxDir::GetAllFiles(dir, &files, "", wxDIR_FILES | wxDIR_HIDDEN), std::size_t{Readers});
}

// A port being read is refused to a second reader at once, root included;
// the first reading is not disturbed. A killed reader leaves the port free.
TEST_F(CliTest, OnePortOneReading)
{
    SimulatedUnit busy(numberedMemory(1, 30));
    const std::vector<std::string> args{"read", "--port", busy.portPath(), "--baud", "115200",
                                        "--format", "txt", "--folder", dir};
    Result first, second;
    first = run(args, dir, "", false, [&](pid_t) {
        ASSERT_TRUE(busy.waitForRequests(5, std::chrono::seconds(20)));
        second = run(args, dir);
    });
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_NE(second.err.find("Serial port error\n" + busy.portPath() + " is in use"), std::string::npos)
        << second.err;
    EXPECT_TRUE(second.out.empty());
    ASSERT_EQ(first.exitCode, 0) << first.err;
    expectReportOfMemory(lastLine(first.out), busy.memory(), ReportFormatTxt, dir);
    EXPECT_EQ(reportCount(), 1u);

    const Result killed = run(args, dir, "", false, [&](pid_t pid) {
        busy.clearRequests();
        ASSERT_TRUE(busy.waitForRequests(5, std::chrono::seconds(20)));
        ::kill(pid, SIGKILL);
    });
    EXPECT_EQ(killed.exitCode, 128 + SIGKILL);
    // The killed reader's lock went with it. Its exclusive mode stays on a
    // pseudo-terminal that the simulated unit keeps open (a real port drops
    // it at its last close): drop it as that close would.
    {
        const int line = ::open(busy.portPath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (line < 0 && errno == EBUSY && ::geteuid() != 0)
            GTEST_SKIP() << "only root may open the killed reader's line, left in exclusive mode, to drop that mode";
        ASSERT_GE(line, 0);
        ::ioctl(line, TIOCNXCL);
        ::close(line);
    }
    const Result next = run(args, dir);
    EXPECT_EQ(next.exitCode, 0) << next.err;
}

// The path printed is the full one, also for a folder given relatively.
TEST_F(CliTest, PrintsTheFullPathForARelativeFolder)
{
    const Result r = run({"read", "--port", unit.portPath(), "--baud", "115200", "--format", "txt",
                          "--folder", "."},
                         dir);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(lastLine(r.out).rfind(dir + "/report_", 0), 0u) << r.out;
}

TEST_F(CliTest, TheClearQuestionNamesTheDevicesLastReading)
{
    // A reading kept from COM1, which stood for the simulated unit; then the
    // note before clearing, reached by another name, another station, or
    // with COM1 standing for another device after a replug.
    SimulatedUnit other(smallMemory());
    const std::string archive = dir + "/archive.sqlite";
    const auto settings = [&](const std::string& com1, const char* station) {
        std::ofstream(dir + "/morva_reporter.ini") << "[ports]\nCOM1=" << com1 << "\n[archive]\npath=" << archive
                                                   << "\nstation=" << station << "\n";
    };
    settings(unit.portPath(), "lab-1");
    const Result kept = run({"read", "--port", "COM1", "--baud", "115200", "--format", "csv", "--folder", dir}, dir);
    ASSERT_EQ(kept.exitCode, 0) << kept.err;

    struct Row {
        const char* name;
        std::string port;
        std::string com1;
        const char* station;
        bool named;
    };
    const Row rows[] = {
        {"the COM name it was read by", "COM1", unit.portPath(), "lab-1", true},
        {"its device path", unit.portPath(), unit.portPath(), "lab-1", true},
        {"another device", other.portPath(), unit.portPath(), "lab-1", false},
        {"COM1 now another device", "COM1", other.portPath(), "lab-1", false},
        {"another station", unit.portPath(), unit.portPath(), "lab-2", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        settings(row.com1, row.station);
        const Result r = run({"clear", "--port", row.port, "--baud", "115200"}, dir, "n\n", true);
        EXPECT_EQ(r.exitCode, 1) << r.err;
        if (row.named)
            EXPECT_NE(r.err.find("Last kept reading from " + unit.portPath() + ": "), std::string::npos) << r.err;
        else
            EXPECT_NE(r.err.find("No reading from this device is kept."), std::string::npos) << r.err;
    }
    EXPECT_EQ(unit.memory().tables()[0].records.size(), smallMemory().tables()[0].records.size());
}
