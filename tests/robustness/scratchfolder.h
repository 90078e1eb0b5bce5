#ifndef MORVA_TESTS_ROBUSTNESS_SCRATCHFOLDER_H
#define MORVA_TESTS_ROBUSTNESS_SCRATCHFOLDER_H

#include <wx/string.h>

#include <string>
#include <vector>

// A fresh folder under /tmp, removed with everything in it at the end.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const wxString& path() const { return m_path; }
    wxString operator/(const wxString& name) const { return m_path + "/" + name; }

private:
    wxString m_path;
};

// The bytes of a file, empty when it cannot be read.
std::string FileBytes(const wxString& name);
bool WriteFileBytes(const wxString& name, const std::string& bytes);
// The names in a folder, sorted.
std::vector<std::string> FolderNames(const wxString& folder);

#endif
