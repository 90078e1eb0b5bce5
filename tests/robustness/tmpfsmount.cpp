#include "tmpfsmount.h"

#include <sys/mount.h>

#include <cerrno>
#include <cstring>

TmpfsMount::TmpfsMount(const wxString& folder, unsigned long kilobytes)
    : m_folder(folder.utf8_string())
    , m_kilobytes(kilobytes)
{
    const std::string options = "size=" + std::to_string(kilobytes) + "k";
    if (::mount("tmpfs", m_folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0)
        m_mounted = true;
    else
        m_error = std::strerror(errno);
}

TmpfsMount::~TmpfsMount()
{
    if (m_mounted)
        ::umount2(m_folder.c_str(), MNT_DETACH);
}

bool TmpfsMount::remountReadOnly()
{
    const std::string options = "size=" + std::to_string(m_kilobytes) + "k";
    return ::mount("tmpfs", m_folder.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV,
                   options.c_str())
        == 0;
}
