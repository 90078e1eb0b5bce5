#ifndef MORVA_ARCHIVE_SOCKETWAIT_H
#define MORVA_ARCHIVE_SOCKETWAIT_H

#include <chrono>

// Waits until a socket can be read (or written), at most `timeout`. True
// when it can, or when it has failed, which the next call on it reports;
// false when the time ran out. One source file per platform.
enum class SocketDirection { Read, Write };
bool WaitForSocket(int socket, SocketDirection direction, std::chrono::milliseconds timeout);

#endif
