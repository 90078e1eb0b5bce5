// The morva_unit_sim program: the port on its first line, serving, a clean
// end on SIGTERM, and errors on stderr.
#include "tests/unitsim/hostline.h"

#include "buslib/protocol/datatypes.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

using namespace morva_velox;
using namespace unitsim_test;

namespace {

// The program running with its stdout and stderr on pipes.
class Program {
public:
    explicit Program(std::vector<std::string> args)
    {
        int out[2];
        int err[2];
        EXPECT_EQ(pipe2(out, O_CLOEXEC), 0);
        EXPECT_EQ(pipe2(err, O_CLOEXEC), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
        args.insert(args.begin(), MORVA_UNIT_SIM_PROGRAM);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        EXPECT_EQ(posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        ::close(err[1]);
        m_out = out[0];
        m_err = err[0];
    }
    ~Program()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        ::close(m_out);
        ::close(m_err);
    }

    // stdout up to its first line end (or its end).
    std::string firstLine() const { return readUntil(m_out, true); }
    std::string errors() const { return readUntil(m_err, false); }

    void signal(int sig) const { kill(m_pid, sig); }
    // The exit code, or -1 when it did not exit normally in time.
    int exitCode()
    {
        int status = 0;
        for (int i = 0; i < 100; ++i) {
            const pid_t done = waitpid(m_pid, &status, WNOHANG);
            if (done == m_pid) {
                m_pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            pollfd none{-1, 0, 0};
            ::poll(&none, 1, 50);
        }
        return -1;
    }

private:
    static std::string readUntil(int fd, bool oneLine)
    {
        std::string text;
        char c = 0;
        pollfd p{fd, POLLIN, 0};
        while (::poll(&p, 1, static_cast<int>(AnswerTimeout.count())) > 0 && ::read(fd, &c, 1) == 1) {
            if (oneLine && c == '\n')
                break;
            text += c;
        }
        return text;
    }

    pid_t m_pid = -1;
    int m_out = -1;
    int m_err = -1;
};

} // namespace

TEST(ProgramTest, ServesTheSampleMemoryUntilTerminated)
{
    Program program({"--status-busy", "1"});
    const std::string port = program.firstLine();
    ASSERT_EQ(port.rfind("/dev/pts/", 0), 0u) << port;
    {
        HostLine line(port);
        line.send(writeWordRequest(VarRecord, 0));
        EXPECT_EQ(line.receive(writeAnswer().size()), writeAnswer());
        const Bytes busy = answer(CommandRead, TypeByte, {VarRecordStatus, 2});
        line.send(readRequest(TypeByte, VarRecordStatus));
        EXPECT_EQ(line.receive(busy.size()), busy);
    }
    program.signal(SIGTERM);
    EXPECT_EQ(program.exitCode(), 0);
}

TEST(ProgramTest, ReportsAMissingMemoryFile)
{
    Program program({"--memory", "/nonexistent/unitsim.txt", "--no-status", "--no-table-selection"});
    EXPECT_EQ(program.firstLine(), "");
    EXPECT_NE(program.errors().find("/nonexistent/unitsim.txt"), std::string::npos);
    EXPECT_EQ(program.exitCode(), 1);
}

TEST(ProgramTest, LineSpeedAndLatencyAreOptIn)
{
    // The write answer (14 bytes) to a 21-byte request: 35 bytes at 4800
    // baud take 73 ms, and the latency adds 50.
    for (const bool slow : {false, true}) {
        SCOPED_TRACE(slow);
        Program program(slow ? std::vector<std::string>{"--baud", "4800", "--latency", "50"}
                             : std::vector<std::string>{});
        HostLine line(program.firstLine());
        const auto start = std::chrono::steady_clock::now();
        line.send(writeWordRequest(VarRecord, 0));
        EXPECT_EQ(line.receive(writeAnswer().size()), writeAnswer());
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        if (slow)
            EXPECT_GE(ms.count(), 73 + 50 - 1);
        else
            EXPECT_LT(ms.count(), 73 + 50 - 1);
    }
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--latency", "-5"},
                                                 {"--adapter-timer", "-1"}, {"--adapter-timer", "256"}}) {
        Program refused(args);
        EXPECT_EQ(refused.firstLine(), "") << args[0];
        EXPECT_EQ(refused.exitCode(), 1) << args[0];
    }
}

// An adapter's timer holds a short answer back for as long as it says.
TEST(ProgramTest, AdapterTimerHoldsTheAnswer)
{
    Program program({"--adapter-timer", "150"});
    HostLine line(program.firstLine());
    const auto start = std::chrono::steady_clock::now();
    line.send(writeWordRequest(VarRecord, 0));
    EXPECT_EQ(line.receive(writeAnswer().size()), writeAnswer());
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));
    program.signal(SIGTERM);
    EXPECT_EQ(program.exitCode(), 0);
}
