// Windows: a UNC path (\\server\share\..., \\?\UNC\server\share\...) or a
// volume whose drive type is remote (a mapped network drive).
#include "archive/filesystemkind.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

bool StartsWith(const std::wstring& text, const wchar_t* prefix)
{
    return text.compare(0, std::wstring(prefix).size(), prefix) == 0;
}

bool IsUncPath(const std::wstring& path)
{
    if (StartsWith(path, L"\\\\?\\UNC\\"))
        return true;
    // \\?\C:\... and \\.\... name this computer's own volumes and devices.
    if (StartsWith(path, L"\\\\?\\") || StartsWith(path, L"\\\\.\\"))
        return false;
    return StartsWith(path, L"\\\\") || StartsWith(path, L"//");
}

} // namespace

FileSystemKind FileSystemKindOf(const wxString& path)
{
    const std::wstring wide = path.ToStdWstring();
    if (IsUncPath(wide))
        return FileSystemKind::Network;
    std::vector<wchar_t> volume(wide.size() + MAX_PATH + 1);
    if (!GetVolumePathNameW(wide.c_str(), volume.data(), static_cast<DWORD>(volume.size())))
        return FileSystemKind::Local;
    return GetDriveTypeW(volume.data()) == DRIVE_REMOTE ? FileSystemKind::Network : FileSystemKind::Local;
}
