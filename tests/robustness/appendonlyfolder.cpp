#include "appendonlyfolder.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

AppendOnlyFolder::AppendOnlyFolder(const wxString& folder)
    : m_folder(folder.utf8_string())
{
    m_made = setAppendOnly(true);
}

AppendOnlyFolder::~AppendOnlyFolder()
{
    if (m_made)
        setAppendOnly(false);
}

bool AppendOnlyFolder::setAppendOnly(bool on)
{
    const int fd = ::open(m_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        m_error = std::strerror(errno);
        return false;
    }
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? flags | FS_APPEND_FL : flags & ~FS_APPEND_FL;
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    if (!done)
        m_error = std::strerror(errno);
    ::close(fd);
    return done;
}
