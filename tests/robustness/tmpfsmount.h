#ifndef MORVA_TESTS_ROBUSTNESS_TMPFSMOUNT_H
#define MORVA_TESTS_ROBUSTNESS_TMPFSMOUNT_H

#include <wx/string.h>

#include <string>

// A small tmpfs mounted on a folder for the life of the object. Tests run
// as root, where permission bits do not stop a write: a read-only or a
// full file system is the honest way to refuse one.
class TmpfsMount {
public:
    TmpfsMount(const wxString& folder, unsigned long kilobytes);
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;

    // False when the machine does not allow mounting; error() says why.
    bool mounted() const { return m_mounted; }
    const std::string& error() const { return m_error; }

    bool remountReadOnly();

private:
    std::string m_folder;
    unsigned long m_kilobytes;
    bool m_mounted = false;
    std::string m_error;
};

#endif
