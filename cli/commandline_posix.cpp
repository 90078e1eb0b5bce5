#include "commandline.h"

// The system hands the arguments over as they were given: UTF-8 in the
// locales the program runs in.
std::vector<std::string> CommandLineArguments(int argc, char** argv)
{
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}
