#ifndef MORVA_COMMANDS_H
#define MORVA_COMMANDS_H

#include "cliarguments.h"
#include "clisettings.h"

// The reader's commands, one source file each (command_*.cpp). Each returns
// the program's exit status (see ExitCode); the pace in `args` is given.
int CommandRead(const CliArguments& args, const CliSettings& settings);
int CommandClear(const CliArguments& args, const CliSettings& settings);
int CommandPorts(const CliArguments& args, const CliSettings& settings);
int CommandArchiveList(const CliArguments& args, const CliSettings& settings);
int CommandArchiveExport(const CliArguments& args, const CliSettings& settings);
int CommandArchiveShow(const CliArguments& args, const CliSettings& settings);
int CommandArchiveStats(const CliArguments& args, const CliSettings& settings);
int CommandArchiveChart(const CliArguments& args, const CliSettings& settings);
int CommandArchiveSync(const CliArguments& args, const CliSettings& settings);
int CommandArchiveServe(const CliArguments& args, const CliSettings& settings);

#endif
