#include "passwordprompt.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// Longer lines are cut off, the rest of them read and dropped.
constexpr std::size_t LongestPassword = 4096;

// A file descriptor this code opened, closed when it goes.
class OwnedDescriptor {
public:
    explicit OwnedDescriptor(int fd) : m_fd(fd) {}
    ~OwnedDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    OwnedDescriptor(const OwnedDescriptor&) = delete;
    OwnedDescriptor& operator=(const OwnedDescriptor&) = delete;

    int get() const { return m_fd; }

private:
    int m_fd;
};

// The terminal's echo switched off while this lives. Pending input is kept:
// a line typed (or sent) ahead of the prompt still counts.
class EchoOff {
public:
    explicit EchoOff(int fd) : m_fd(fd), m_saved(::tcgetattr(fd, &m_previous) == 0)
    {
        if (!m_saved)
            return;
        termios quiet = m_previous;
        quiet.c_lflag &= static_cast<tcflag_t>(~(ECHO | ECHOE | ECHOK | ECHONL));
        quiet.c_lflag |= ICANON;
        ::tcsetattr(fd, TCSANOW, &quiet);
    }
    ~EchoOff()
    {
        if (m_saved)
            ::tcsetattr(m_fd, TCSANOW, &m_previous);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    int m_fd;
    termios m_previous{};
    bool m_saved;
};

void WriteAll(int fd, const char* text)
{
    for (std::size_t left = std::strlen(text); left > 0;) {
        const ssize_t n = ::write(fd, text, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        text += n;
        left -= static_cast<std::size_t>(n);
    }
}

// One line from `fd`, a byte at a time so that nothing after it is taken
// from a pipe that another reader shares.
std::optional<std::string> ReadLine(int fd)
{
    std::string line;
    for (;;) {
        char c = 0;
        const ssize_t n = ::read(fd, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return line.empty() ? std::nullopt : std::optional<std::string>(line);
        if (c == '\n')
            break;
        if (line.size() < LongestPassword)
            line += c;
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

} // namespace

bool InputIsTerminal()
{
    return ::isatty(STDIN_FILENO) != 0;
}

std::optional<std::string> ReadPassword(const char* prompt)
{
    if (!InputIsTerminal())
        return ReadLine(STDIN_FILENO);
    // The controlling terminal, as getpass(3) does; standard input when
    // there is none.
    const OwnedDescriptor tty(::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC));
    const int in = tty.get() >= 0 ? tty.get() : STDIN_FILENO;
    const int out = tty.get() >= 0 ? tty.get() : STDERR_FILENO;
    std::optional<std::string> password;
    {
        const EchoOff quiet(in);
        WriteAll(out, prompt);
        password = ReadLine(in);
    }
    // The Enter key was not echoed either.
    WriteAll(out, "\n");
    return password;
}
