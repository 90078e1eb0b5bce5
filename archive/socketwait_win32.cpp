#include "archive/socketwait.h"

#include <winsock2.h>

bool WaitForSocket(int socket, SocketDirection direction, std::chrono::milliseconds timeout)
{
    WSAPOLLFD watched{};
    watched.fd = static_cast<SOCKET>(socket);
    watched.events = direction == SocketDirection::Read ? POLLRDNORM : POLLWRNORM;
    return WSAPoll(&watched, 1, static_cast<INT>(timeout.count())) != 0;
}
