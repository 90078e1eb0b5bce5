#ifndef MORVA_PASSWORDPROMPT_H
#define MORVA_PASSWORDPROMPT_H

#include <optional>
#include <string>

// Asks for a password. On a terminal the prompt goes to the terminal and
// the typed text is not shown; otherwise (a script, a pipe) one line is read
// from standard input without a prompt. The line's end is not part of the
// password. Nothing when the input ends first or cannot be read. The
// caller wipes what it gets.
std::optional<std::string> ReadPassword(const char* prompt);

// Whether standard input is a terminal (a console on Windows).
bool InputIsTerminal();

#endif
