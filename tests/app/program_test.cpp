// The morva_reporter program itself: start-up, the settings file it leaves
// behind and the single-instance rule. Each run has a working directory and
// a home of its own, and is closed with SIGTERM as a logout would.
#include "reading/settingsfile.h"
#include "tests/app/guitest.h"

#include <wx/ffile.h>
#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/init.h>
#include <wx/arrstr.h>

#include <cerrno>
#include <optional>
#include <set>

#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

const char* const SettingsFile = "morva_reporter.ini";

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// Waits until `fd` is readable; false after `limit`.
bool WaitReadable(int fd, std::chrono::steady_clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0)
        return false;
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, static_cast<int>(left.count())) > 0;
}

// One run of the program.
class Program {
public:
    Program(const wxString& workDir, const wxString& home, const char* argument = nullptr)
        : m_home(home)
        , m_pid(Start(workDir, home, argument))
        , m_exit(static_cast<int>(::syscall(SYS_pidfd_open, m_pid, 0)))
    {
    }

    ~Program()
    {
        if (!m_status) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }

    // Running with its window: it holds the instance lock in its home. The
    // lock is taken after the program listens for SIGTERM.
    bool WaitUntilRunning(std::chrono::milliseconds limit = 30s) const
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        const FileDescriptor watch(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK));
        ::inotify_add_watch(watch.get(), m_home.utf8_str(), IN_CREATE | IN_MOVED_TO);
        const wxString lock = m_home + "/MORVA_Reporter";
        while (!wxFileName::FileExists(lock)) {
            if (HasEnded() || !WaitReadable(watch.get(), deadline))
                return false;
            char events[4096];
            while (::read(watch.get(), events, sizeof events) > 0) {
            }
        }
        return true;
    }

    void Terminate() const { ::kill(m_pid, SIGTERM); }

    // The exit status, or nothing when it is still running after `limit`.
    std::optional<int> WaitForExit(std::chrono::milliseconds limit = 30s)
    {
        if (!m_status && WaitReadable(m_exit.get(), std::chrono::steady_clock::now() + limit)) {
            int status = 0;
            ::waitpid(m_pid, &status, 0);
            m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        return m_status;
    }

private:
    static pid_t Start(const wxString& workDir, const wxString& home, const char* argument)
    {
        const std::string dir(workDir.utf8_str());
        const std::string homeDir(home.utf8_str());
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::chdir(dir.c_str()) != 0)
                ::_exit(126);
            ::setenv("HOME", homeDir.c_str(), 1);
            ::setenv("XDG_CONFIG_HOME", (homeDir + "/.config").c_str(), 1);
            ::execl(MORVA_REPORTER_EXE, MORVA_REPORTER_EXE, argument, static_cast<char*>(nullptr));
            ::_exit(127);
        }
        return pid;
    }

    bool HasEnded() const
    {
        pollfd p{m_exit.get(), POLLIN, 0};
        return ::poll(&p, 1, 0) > 0;
    }

    wxString m_home;
    pid_t m_pid;
    FileDescriptor m_exit;
    std::optional<int> m_status;
};

class ReporterProgramTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { initializer = new wxInitializer; }
    static void TearDownTestSuite() { delete initializer; }

    wxString SettingsPath() const { return work.path() + "/" + SettingsFile; }

    void WriteSettings(const char* text) const
    {
        wxFFile file(SettingsPath(), "w");
        file.Write(wxString::FromUTF8(text));
    }

    // Starts the program, closes it as soon as it runs.
    void RunOnce()
    {
        Program program(work.path(), home.path());
        ASSERT_TRUE(program.WaitUntilRunning());
        program.Terminate();
        EXPECT_EQ(program.WaitForExit(), 0);
    }

    std::unique_ptr<wxFileConfig> Stored() const
    {
        return OpenSettingsFile(wxString(), wxString(), SettingsPath()).config;
    }

    // Every line of the settings file is a group header or an entry, and
    // no group comes twice.
    void ExpectOnlyGroupsAndEntries() const
    {
        wxString text;
        ASSERT_TRUE(wxFFile(SettingsPath(), "rb").ReadAll(&text, wxConvUTF8));
        std::set<wxString> groups;
        for (const wxString& line : wxSplit(text, '\n', '\0')) {
            if (line.empty())
                continue;
            if (line.StartsWith("[")) {
                EXPECT_TRUE(line.EndsWith("]")) << line;
                EXPECT_TRUE(groups.insert(line).second) << "repeated " << line;
            } else {
                EXPECT_GT(line.Find('='), 0) << line;
            }
        }
    }

    static wxInitializer* initializer;
    TempDir work;
    TempDir home;
};

wxInitializer* ReporterProgramTest::initializer = nullptr;

TEST_F(ReporterProgramTest, FirstStartWritesTheThreeKeysAtClose)
{
    RunOnce();
    ASSERT_TRUE(wxFileName::FileExists(SettingsPath()));
    const auto stored = Stored();
    EXPECT_EQ(stored->GetNumberOfGroups(), 3u);
    EXPECT_TRUE(stored->HasEntry("/i18n/Language"));
    EXPECT_EQ(stored->Read("/i18n/Language", "-"), "");
    EXPECT_EQ(stored->ReadLong("/communication/serial_port", -1), 1);
    EXPECT_EQ(stored->Read("/report/folder", ""), work.path());
    for (const char* group : {"/i18n", "/communication", "/report"}) {
        stored->SetPath(group);
        EXPECT_EQ(stored->GetNumberOfEntries(), 1u) << group;
    }
}

TEST_F(ReporterProgramTest, StoredSettingsComeBackAsTheWindowLeftThem)
{
    const struct {
        const char* name;
        const char* before;
        const char* language;
        long port;
        const char* folder;
        const char* com1; // the port mapping, which the window never writes and keeps
    } runs[] = {
        {"any letter case selects the language; a port outside the list is stored as 0",
         "[i18n]\nLanguage=RuSSian\n[communication]\nserial_port=300\n"
         "[report]\nfolder=C:\\\\reports\\\\unit 7\n[ports]\nCOM1=/dev/ttyUSB0\n",
         "russian", 0, "C:\\reports\\unit 7", "/dev/ttyUSB0"},
        {"an unknown language is written back empty", "[i18n]\nLanguage=german\n[communication]\nserial_port=3\n",
         "", 3, nullptr, ""},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.name);
        WriteSettings(run.before);
        RunOnce();
        const auto stored = Stored();
        EXPECT_EQ(stored->Read("/i18n/Language", "-"), run.language);
        EXPECT_EQ(stored->ReadLong("/communication/serial_port", -1), run.port);
        EXPECT_EQ(stored->Read("/report/folder", ""), run.folder ? wxString(run.folder) : work.path());
        EXPECT_EQ(stored->Read("/ports/COM1", ""), run.com1);
    }
}

TEST_F(ReporterProgramTest, SpoiltSettingsFilesStartWithDefaultsAndAreWrittenClean)
{
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary.push_back(static_cast<char>((i * 7919) & 0xFF));
    // Some 8 MB: a 1 MB value and group name, then many entries in groups
    // that repeat.
    std::string huge = "[communication]\nserial_port=" + std::string(1 << 20, '9') + "\n";
    huge += "[" + std::string(1 << 20, 'g') + "]\n";
    for (int i = 0; huge.size() < (8u << 20); ++i)
        huge += "[group" + std::to_string(i % 500) + "]\nkey" + std::to_string(i) + "=" + std::string(100, 'v') + "\n";
    // The program's own groups, each repeated thousands of times: the
    // last value of a key counts.
    std::string repeated;
    for (int i = 0; i < 40000; ++i)
        repeated += "[communication]\nserial_port=" + std::to_string(3 + i % 300) + "\n[report]\nfolder=/x" + std::to_string(i) + "\n";
    const struct {
        const char* name;
        std::string text;
        long port; // as stored at exit
        bool clean; // written back as group headers and entries alone, each group once
    } runs[] = {
        {"garbage", "=][\n\x01\x02 serial_port\n[[[\n==\n", 1, true},
        {"binary", binary, 1, true},
        {"port -1", "[communication]\nserial_port=-1\n", 0, true},
        {"port 0", "[communication]\nserial_port=0\n", 0, true},
        {"port 257", "[communication]\nserial_port=257\n", 0, true},
        {"port abc", "[communication]\nserial_port=abc\n", 1, true},
        // Well-formed, only big: kept as the operator's own.
        {"huge", huge, 1, false},
        {"repeated groups", repeated, 102, true},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.name);
        {
            wxFFile file(SettingsPath(), "wb");
            file.Write(run.text.data(), run.text.size());
        }
        RunOnce();
        const auto stored = Stored();
        EXPECT_EQ(stored->ReadLong("/communication/serial_port", -1), run.port);
        EXPECT_TRUE(stored->HasEntry("/report/folder"));
        EXPECT_TRUE(stored->HasEntry("/i18n/Language"));
        EXPECT_EQ(stored->Read("/i18n/Language", "-"), "");
        if (run.clean)
            ExpectOnlyGroupsAndEntries();
    }
}

TEST_F(ReporterProgramTest, SecondInstanceEndsAtOnceWithoutWindowOrSettings)
{
    Program first(work.path(), home.path());
    ASSERT_TRUE(first.WaitUntilRunning());

    const TempDir elsewhere;
    Program second(elsewhere.path(), home.path());
    const auto status = second.WaitForExit();
    ASSERT_TRUE(status.has_value()) << "the second instance kept running";
    EXPECT_NE(*status, 0);
    EXPECT_TRUE(elsewhere.files().empty());

    first.Terminate();
    EXPECT_EQ(first.WaitForExit(), 0);
}

// The desktop menu entry's command line after the program's name: the
// arguments the menu starts the window with.
wxString DesktopEntryArguments()
{
    wxString text;
    if (!wxFFile(MORVA_DESKTOP_ENTRY, "rb").ReadAll(&text, wxConvUTF8))
        return "<no desktop entry>";
    for (const wxString& line : wxSplit(text, '\n', '\0')) {
        wxString command;
        if (line.StartsWith("Exec=", &command))
            return command.AfterFirst(' ');
    }
    return "<no Exec line>";
}

// Where the window works when started from the desktop menu (or with
// --in-documents, as the Windows shortcut starts it): MORVA_Reporter in the
// user's documents folder, made on that first start, with its settings and
// reports; not the folder it was started in.
struct DocumentsCase {
    const char* name;
    const char* userDirs; // the desktop's user-dirs.dirs, or none
    const char* folder;   // relative to the home folder
};

class InDocumentsTest : public ReporterProgramTest, public ::testing::WithParamInterface<DocumentsCase> {
};

TEST_P(InDocumentsTest, MenuEntryWorksInTheFolderItMakesInDocuments)
{
    const wxString arguments = DesktopEntryArguments();
    ASSERT_EQ(arguments, "--in-documents");
    ASSERT_TRUE(wxFileName::Mkdir(home.path() + "/.config", wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL));
    if (GetParam().userDirs)
        wxFFile(home.path() + "/.config/user-dirs.dirs", "w").Write(GetParam().userDirs);
    const wxString folder = home.path() + "/" + GetParam().folder;

    Program program(work.path(), home.path(), arguments.utf8_str());
    ASSERT_TRUE(program.WaitUntilRunning());
    program.Terminate();
    EXPECT_EQ(program.WaitForExit(), 0);

    EXPECT_TRUE(work.files().empty());
    const auto stored = OpenSettingsFile(wxString(), wxString(), folder + "/" + SettingsFile).config;
    EXPECT_EQ(stored->Read("/report/folder", ""), folder);
}

INSTANTIATE_TEST_SUITE_P(
    DocumentsFolders, InDocumentsTest,
    ::testing::Values(
        DocumentsCase{"NamedByTheDesktop", "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n", "Papers/MORVA_Reporter"},
        DocumentsCase{"UnnamedIsHomeDocuments", nullptr, "Documents/MORVA_Reporter"}),
    [](const ::testing::TestParamInfo<DocumentsCase>& info) { return std::string(info.param.name); });

} // namespace
