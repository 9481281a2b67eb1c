// The texts of `kvrtool --help` and `kvrtool COMMAND --help`.
#pragma once

#include <cstdio>

namespace kvrtool {

// The program's usage: every command's usage line, what the names in them
// mean, and the exit statuses.
void printProgramHelp(FILE* out);

// One command's usage line and what it does. False for an unknown command.
bool printCommandHelp(const char* name, FILE* out);

}  // namespace kvrtool
