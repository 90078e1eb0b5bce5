#include "commandline.h"

#include "buslib/serial/widetext_win32.h"

#include <memory>

#include <windows.h>
#include <shellapi.h>

namespace {

struct LocalFreeDeleter {
    void operator()(wchar_t** block) const { LocalFree(block); }
};

} // namespace

std::vector<std::string> CommandLineArguments(int, char**)
{
    int count = 0;
    const std::unique_ptr<wchar_t*, LocalFreeDeleter> wide(CommandLineToArgvW(GetCommandLineW(), &count));
    std::vector<std::string> arguments;
    for (int i = 1; wide && i < count; ++i)
        arguments.push_back(morva_velox::Utf8FromWide(wide.get()[i]));
    return arguments;
}
