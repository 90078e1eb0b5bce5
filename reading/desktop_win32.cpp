// Opening documents on Windows: the shell's "open" verb, which starts the
// application associated with the file's type and does not wait for it.

#include "reading/desktop.h"

#include <windows.h>
#include <shellapi.h>

bool OpenWithDefaultApplication(const wxString& path)
{
    const HINSTANCE result =
        ::ShellExecuteW(nullptr, L"open", path.wc_str(), nullptr, nullptr, SW_SHOWNORMAL);
    // Values above 32 mean success.
    return reinterpret_cast<INT_PTR>(result) > 32;
}
