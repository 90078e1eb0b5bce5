#include "servingreader.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

ServingReader::ServingReader(const wxString& workingDirectory, const std::vector<std::string>& arguments)
{
    const std::string directory = workingDirectory.utf8_string();
    m_errFile = directory + "/serve-errors.txt";
    int out[2];
    if (::pipe(out) != 0)
        return;
    std::vector<std::string> words{MORVA_CLI_PROGRAM, "archive", "serve"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, m_errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    // The reader finds its settings in its working directory.
    const std::string script = "cd \"$0\" && exec \"$@\"";
    std::vector<char*> shell{const_cast<char*>("/bin/sh"), const_cast<char*>("-c"), const_cast<char*>(script.c_str()),
                             const_cast<char*>(directory.c_str())};
    shell.insert(shell.end(), argv.begin(), argv.end());
    if (posix_spawn(&m_pid, "/bin/sh", &actions, nullptr, shell.data(), environ) != 0)
        m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    m_out = out[0];
    // Its first line is its address; an end of the pipe is its end.
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (m_pid > 0 && std::chrono::steady_clock::now() < deadline) {
        pollfd ready{m_out, POLLIN, 0};
        if (::poll(&ready, 1, 1000) <= 0)
            continue;
        char c = 0;
        if (::read(m_out, &c, 1) != 1)
            break;
        if (c == '\n') {
            m_url = line;
            return;
        }
        line += c;
    }
    Wait(10);
}

ServingReader::~ServingReader()
{
    if (m_status == -1 && m_pid > 0)
        Stop();
    if (m_out >= 0)
        ::close(m_out);
}

int ServingReader::Port() const
{
    const std::size_t colon = m_url.rfind(':');
    return colon == std::string::npos ? 0 : std::atoi(m_url.c_str() + colon + 1);
}

void ServingReader::Wait(int seconds)
{
    if (m_pid <= 0)
        return;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            m_pid = -1;
            return;
        }
        pollfd none{-1, 0, 0};
        ::poll(&none, 0, 20); // waitpid has no timeout of its own
    }
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, &status, 0);
    m_pid = -1;
    m_status = -1;
}

int ServingReader::Stop()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGINT);
        Wait(10);
    }
    return m_status;
}

std::string ServingReader::Errors() const
{
    std::ifstream file(m_errFile);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}
