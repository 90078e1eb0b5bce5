#include "archive/readinglivelock.h"

#include <wx/dir.h>
#include <wx/filename.h>
#include <wx/log.h>

namespace {

const char* const Infix = "-reading-";
const char* const Suffix = ".lock";

} // namespace

wxString ReadingLiveLock::PathOf(const wxString& archive, const wxString& uuid)
{
    return archive + Infix + uuid + Suffix;
}

void ReadingLiveLock::RemoveStale(const wxString& archive)
{
    const wxLogNull quiet;
    const wxFileName file(archive);
    const wxString folder = file.GetPath().empty() ? wxString(".") : file.GetPath();
    wxArrayString locks;
    wxDir::GetAllFiles(folder, &locks, file.GetFullName() + Infix + "*" + Suffix, wxDIR_FILES);
    const std::size_t prefix = (file.GetFullName() + Infix).length();
    for (const wxString& lock : locks) {
        const wxString name = wxFileName(lock).GetFullName();
        IsHeld(archive, name.Mid(prefix, name.length() - prefix - wxStrlen(Suffix)));
    }
}
