// Linux: statfs names the file system's type; FUSE's type names it only
// as FUSE, so its subtype (fuse.sshfs) is read from the process's mount
// table, found by the file's device number.
#include "archive/filesystemkind.h"

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>

namespace {

// The type that /proc/self/mountinfo gives the mount of `device`, for
// example "fuse.sshfs"; empty when none is found.
std::string MountType(dev_t device)
{
    const std::string numbers = std::to_string(major(device)) + ":" + std::to_string(minor(device));
    std::ifstream mounts("/proc/self/mountinfo");
    for (std::string line; std::getline(mounts, line);) {
        std::istringstream fields(line);
        std::string id, parent, deviceNumbers;
        fields >> id >> parent >> deviceNumbers;
        const std::string::size_type separator = line.find(" - ");
        if (deviceNumbers != numbers || separator == std::string::npos)
            continue;
        std::istringstream rest(line.substr(separator + 3));
        std::string type;
        rest >> type;
        return type;
    }
    return std::string();
}

bool IsSshfs(const wxString& path)
{
    struct stat status {};
    return ::stat(path.fn_str(), &status) == 0 && MountType(status.st_dev) == "fuse.sshfs";
}

} // namespace

FileSystemKind FileSystemKindOf(const wxString& path)
{
    struct statfs system {};
    if (::statfs(path.fn_str(), &system) != 0)
        return FileSystemKind::Local;
    switch (static_cast<std::uint32_t>(system.f_type)) {
    case NFS_SUPER_MAGIC:
    case SMB_SUPER_MAGIC:
    case SMB2_SUPER_MAGIC:
    case CIFS_SUPER_MAGIC:
        return FileSystemKind::Network;
    case FUSE_SUPER_MAGIC:
        return IsSshfs(path) ? FileSystemKind::Network : FileSystemKind::Local;
    default:
        return FileSystemKind::Local;
    }
}
