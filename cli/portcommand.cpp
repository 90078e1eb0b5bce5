#include "portcommand.h"

#include "clioutput.h"

#include "buslib/serial/portname.h"
#include "buslib/serial/systemports.h"

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace {

ChosenPort chosenPort(const CliArguments& args, const CliSettings& settings)
{
    wxString port;
    if (args.port) {
        port = wxString::FromUTF8(args.port->c_str());
    } else {
        const long n = settings.serialPort();
        if (n < 1 || n > morva_velox::LastComPort)
            throw std::invalid_argument("no serial port chosen: give --port");
        port = wxString::Format("COM%ld", n);
    }
    return PortMap(morva_velox::SystemPortEnumerator(), settings.config()).Resolve(port);
}

} // namespace

int RunOnPort(const CliArguments& args, const CliSettings& settings,
              const std::function<int(const ChosenPort&, PacketTrace*)>& run)
{
    ChosenPort port;
    try {
        port = chosenPort(args, settings);
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "morva_reporter_cli: %s\n", e.what());
        return ExitUsage;
    }

    std::unique_ptr<PacketTrace> trace;
    if (args.trace) {
        trace = std::make_unique<PacketTrace>(*args.trace, *args.pace);
        if (!trace->good()) {
            PrintError("cannot write the trace file " + wxString::FromUTF8(args.trace->c_str()));
            return ExitFailed;
        }
    }
    return run(port, trace.get());
}
