#include "tools/unitsim/pseudoterminal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>

#include <cerrno>
#include <system_error>

namespace morva_sim {

namespace {

[[noreturn]] void throwErrno(const char* what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

void makeRaw(int fd)
{
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        throwErrno("tcgetattr on the pseudo-terminal slave");
    cfmakeraw(&tio);
    if (tcsetattr(fd, TCSANOW, &tio) != 0)
        throwErrno("tcsetattr on the pseudo-terminal slave");
}

} // namespace

PseudoTerminal::PseudoTerminal()
    : m_master(posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC))
{
    if (!m_master.isOpen())
        throwErrno("posix_openpt");
    if (grantpt(m_master.get()) != 0)
        throwErrno("grantpt");
    if (unlockpt(m_master.get()) != 0)
        throwErrno("unlockpt");
    char name[128] = {};
    if (ptsname_r(m_master.get(), name, sizeof name) != 0)
        throwErrno("ptsname");
    m_slavePath = name;
    m_slave = FileDescriptor(::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!m_slave.isOpen())
        throwErrno("opening the pseudo-terminal slave");
    makeRaw(m_slave.get());
}

void PseudoTerminal::close()
{
    m_master.close();
    m_slave.close();
}

} // namespace morva_sim
