#include "app/documentsfolder.h"

#include <windows.h>

#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>

std::filesystem::path DocumentsFolder::UserDocuments()
{
    // The known folder follows a Documents folder that was moved or redirected.
    PWSTR documents = nullptr;
    std::filesystem::path found;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &documents)))
        found = documents;
    ::CoTaskMemFree(documents);
    return found;
}
