#ifndef MORVA_ARCHIVE_READINGLIVELOCK_H
#define MORVA_ARCHIVE_READINGLIVELOCK_H

#include <wx/string.h>

// Tells that a reading is still going on: its program holds a lock on a
// file of the reading's own beside the archive, which the system lets go
// of when the program ends, however it ends. A reading that is
// "interrupted" in the archive while nobody holds its lock was cut off for
// good. One source file per platform.
class ReadingLiveLock {
public:
    // Takes the lock of the reading named `uuid` of the archive file at
    // `archive`; throws ArchiveError when it cannot.
    ReadingLiveLock(const wxString& archive, const wxString& uuid);
    // Lets go of the lock and removes its file.
    ~ReadingLiveLock();
    ReadingLiveLock(const ReadingLiveLock&) = delete;
    ReadingLiveLock& operator=(const ReadingLiveLock&) = delete;

    // Whether a program, this one or another, holds the reading's lock. A
    // lock file nobody holds is removed.
    static bool IsHeld(const wxString& archive, const wxString& uuid);
    // Removes the lock files of the archive's readings that nobody holds:
    // those of programs that were killed.
    static void RemoveStale(const wxString& archive);

private:
    static wxString PathOf(const wxString& archive, const wxString& uuid);

    wxString m_path;
    long long m_handle = -1;
};

#endif
