#pragma once

// The commands and their usage texts.

#include "cli/cli_common.h"

#include <cstdio>
#include <span>
#include <string>
#include <vector>

namespace tackedit::cli {

struct Command {
    const char* name;
    int (*run)(Console& console, const std::vector<std::string>& args);
    const char* usage;    // "dump FILE"
    const char* summary;  // one line for the list of commands
    const char* help;     // what COMMAND --help says besides the usage
};

std::span<const Command> Commands();
const Command* FindCommand(const std::string& name);

// The usage lines and every command's synopsis (for bad usage, on stderr).
void PrintUsage(std::FILE* out);
// tackedit-cli --help, on stdout; also the man page's source.
void PrintHelp();
void PrintCommandHelp(const Command& command);

} // namespace tackedit::cli
