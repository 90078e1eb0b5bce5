// morva_reporter_cli ports: the serial ports found, with the COM names they
// answer to.

#include "commands.h"

#include "clioutput.h"
#include "porttable.h"

#include "buslib/serial/systemports.h"
#include "reading/portmap.h"

#include <wx/intl.h>

#include <cstdio>

#include <unistd.h>

int CommandPorts(const CliArguments&, const CliSettings& settings)
{
    const PortMap ports(morva_velox::SystemPortEnumerator(), settings.config());
    const std::string table = PortTable(ports, ::isatty(STDOUT_FILENO) != 0);
    if (table.empty()) {
        std::fprintf(stderr, "%s\n", _("No serial ports found.").utf8_str().data());
        return ExitOk;
    }
    std::fputs(table.c_str(), stdout);
    return ExitOk;
}
