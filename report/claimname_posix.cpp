#include "report/claimname.h"

#include <wx/filename.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

ClaimResult Refused(int error)
{
    return error == EEXIST ? ClaimResult::Taken : ClaimResult::Failed;
}

// For file systems without hard links: the name is taken by creating it
// exclusively, then the file is moved onto the empty file just made. Only
// here can a crash at the wrong instant leave an empty file of that name.
ClaimResult ClaimByCreating(const char* from, const char* to)
{
    const int fd = ::open(to, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return Refused(errno);
    ::close(fd);
    if (std::rename(from, to) != 0) {
        ::unlink(to);
        return ClaimResult::Failed;
    }
    return ClaimResult::Claimed;
}

// For file systems whose rename cannot refuse to replace: a hard link is
// made only if the name is free; the old name is dropped afterwards.
ClaimResult ClaimByLinking(const char* from, const char* to)
{
    if (::link(from, to) != 0) {
        const int error = errno;
        if (error == EPERM || error == EOPNOTSUPP || error == ENOSYS)
            return ClaimByCreating(from, to);
        return Refused(error);
    }
    // Should the old name stay, the report is in place all the same; the
    // hidden file left is a second link to it, not a copy.
    ::unlink(from);
    return ClaimResult::Claimed;
}

ClaimResult ClaimByRenaming(const char* from, const char* to)
{
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return ClaimResult::Claimed;
    const int error = errno;
    if (error == EINVAL || error == ENOSYS || error == EOPNOTSUPP)
        return ClaimByLinking(from, to);
    return Refused(error);
}

// An open file descriptor, closed with the object.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd(fd) {}
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd; }

private:
    int fd;
};

} // namespace

ClaimResult ClaimName(const wxString& from, const wxString& to, ClaimStrategy strategy)
{
    const wxCharBuffer source = from.fn_str();
    const wxCharBuffer target = to.fn_str();
    switch (strategy) {
    case ClaimStrategy::Link: return ClaimByLinking(source.data(), target.data());
    case ClaimStrategy::Create: return ClaimByCreating(source.data(), target.data());
    case ClaimStrategy::Rename:
    default: return ClaimByRenaming(source.data(), target.data());
    }
}

bool FlushFolder(const wxString& fileName)
{
    // A new name is an entry of its folder, which fsync of the file does not
    // write out: the folder is flushed on its own.
    const wxString path = wxFileName(fileName).GetPath();
    const wxCharBuffer folder = (path.empty() ? wxString(wxS(".")) : path).fn_str();
    const Descriptor descriptor(::open(folder.data(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (descriptor.get() < 0)
        return false;
    if (::fsync(descriptor.get()) == 0)
        return true;
    // Some file systems cannot flush a folder, and need not be asked to.
    return errno == EINVAL || errno == EOPNOTSUPP;
}
