#include "report/claimname.h"

#include <windows.h>

ClaimResult ClaimName(const wxString& from, const wxString& to)
{
    // Without MOVEFILE_REPLACE_EXISTING the move fails when the name is taken.
    if (::MoveFileExW(from.wc_str(), to.wc_str(), MOVEFILE_WRITE_THROUGH))
        return ClaimResult::Claimed;
    const DWORD error = ::GetLastError();
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? ClaimResult::Taken
                                                                       : ClaimResult::Failed;
}
