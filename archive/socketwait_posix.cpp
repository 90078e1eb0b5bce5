#include "archive/socketwait.h"

#include <cerrno>

#include <poll.h>

bool WaitForSocket(int socket, SocketDirection direction, std::chrono::milliseconds timeout)
{
    pollfd watched{};
    watched.fd = socket;
    watched.events = direction == SocketDirection::Read ? POLLIN : POLLOUT;
    const int ready = ::poll(&watched, 1, static_cast<int>(timeout.count()));
    // An interrupted wait counts as time gone by: the caller looks again.
    return ready != 0 && !(ready < 0 && errno == EINTR);
}
