#include "scratchfolder.h"

#include <wx/filename.h>

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <iterator>

ScratchFolder::ScratchFolder()
{
    char pattern[] = "/tmp/morva_robust_XXXXXX";
    if (mkdtemp(pattern))
        m_path = pattern;
}

ScratchFolder::~ScratchFolder()
{
    if (!m_path.empty())
        wxFileName::Rmdir(m_path, wxPATH_RMDIR_RECURSIVE);
}

std::string FileBytes(const wxString& name)
{
    std::ifstream in(name.utf8_string(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteFileBytes(const wxString& name, const std::string& bytes)
{
    std::ofstream out(name.utf8_string(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return out.good();
}

std::vector<std::string> FolderNames(const wxString& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.utf8_string().c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}
