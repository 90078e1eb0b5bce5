#ifndef MORVA_ARCHIVE_FILESYSTEMKIND_H
#define MORVA_ARCHIVE_FILESYSTEMKIND_H

#include <wx/string.h>

// Where a file lies: on this computer's own disks, or in a network folder
// (NFS, SMB/CIFS, sshfs), whose locks and shared memory do not reach the
// other computers that open the file.
enum class FileSystemKind { Local, Network };

// The kind of file system that holds `path`, an existing file or folder;
// Local when it cannot be told.
FileSystemKind FileSystemKindOf(const wxString& path);

#endif
