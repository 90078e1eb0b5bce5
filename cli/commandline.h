#ifndef MORVA_COMMANDLINE_H
#define MORVA_COMMANDLINE_H

#include <string>
#include <vector>

// The program's arguments after its name, in UTF-8 as the commands take
// them (paths among them). On Windows they come from the wide command
// line: the narrow `argv` has them in the ANSI code page, without the
// characters it lacks.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

#endif
