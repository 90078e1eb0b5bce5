#include "archive/archivelocation.h"

#include <windows.h>

#include <vector>

wxString DefaultArchivePath()
{
    const wchar_t* const name = L"LOCALAPPDATA";
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0)
        return wxString();
    std::vector<wchar_t> folder(size);
    const DWORD length = GetEnvironmentVariableW(name, folder.data(), size);
    if (length == 0 || length >= size)
        return wxString();
    return wxString(folder.data(), length) + L"\\MORVA_Reporter\\archive.sqlite";
}
