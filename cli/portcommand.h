#ifndef MORVA_PORTCOMMAND_H
#define MORVA_PORTCOMMAND_H

#include "cliarguments.h"
#include "clisettings.h"
#include "packettrace.h"

#include "reading/portmap.h"

#include <functional>

// Runs a command that talks to a unit: chooses its port (--port, else the
// settings' serial_port) and opens the --trace file, then hands both to
// `run` (the trace null without --trace). A port not chosen is a usage
// error; a trace file that cannot be written fails the command.
int RunOnPort(const CliArguments& args, const CliSettings& settings,
              const std::function<int(const ChosenPort&, PacketTrace*)>& run);

#endif
