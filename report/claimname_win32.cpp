#include "report/claimname.h"

#include <windows.h>

ClaimResult ClaimName(const wxString& from, const wxString& to, ClaimStrategy)
{
    // Without MOVEFILE_REPLACE_EXISTING the move fails when the name is
    // taken, on every file system: there is no fallback to choose.
    if (::MoveFileExW(from.wc_str(), to.wc_str(), MOVEFILE_WRITE_THROUGH))
        return ClaimResult::Claimed;
    const DWORD error = ::GetLastError();
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? ClaimResult::Taken
                                                                       : ClaimResult::Failed;
}

bool FlushFolder(const wxString&)
{
    // MOVEFILE_WRITE_THROUGH above: the move returns only once the new name
    // is on the disk, so the folder has nothing left to write out.
    return true;
}
