// morva_reporter: the window with which the operator reads a measuring
// unit's memory into a report or clears it.

#include "app/app.h"
#include "app/documentsfolder.h"

#include <cstdio>
#include <cstring>

wxIMPLEMENT_APP_NO_MAIN(App);

namespace {

const char* const Help
    = "Usage: morva_reporter [--in-documents]\n"
      "\n"
      "Opens the window of MORVA_Reporter, which downloads a measuring unit's\n"
      "nonvolatile memory over a serial port into a report (RTF, HTML, text or\n"
      "tab-separated csv), or clears that memory. The settings are kept in\n"
      "morva_reporter.ini in the working directory.\n"
      "\n"
      "  --in-documents  work in the folder MORVA_Reporter of the user's Documents,\n"
      "                  created when missing (as the desktop menu and the Windows\n"
      "                  Start-menu shortcut start it)\n"
      "  --help          show this help and end\n"
      "  --version       show the version and end\n";

bool is(const char* argument, const char* option) { return std::strcmp(argument, option) == 0; }

} // namespace

int main(int argc, char** argv)
{
    // Answered before the toolkit starts, so that they need no display.
    if (argc == 2 && is(argv[1], "--help")) {
        std::fputs(Help, stdout);
        return 0;
    }
    if (argc == 2 && is(argv[1], "--version")) {
        std::puts("morva_reporter " MORVA_VERSION);
        return 0;
    }
    if (argc == 2 && is(argv[1], "--in-documents") && !DocumentsFolder::Enter()) {
        std::fputs("morva_reporter: cannot make or enter the folder MORVA_Reporter in Documents\n", stderr);
        return 1;
    }
#ifdef __WXMSW__
    return wxEntry(::GetModuleHandle(nullptr), nullptr, nullptr, SW_SHOWDEFAULT);
#else
    return wxEntry(argc, argv);
#endif
}
