// tackedit-cli: the batch companion of the editor.

#include "cli/cli_common.h"

#include <cstdio>
#include <string>
#include <vector>

namespace tackedit::cli {

namespace {

struct Command {
    const char* name;
    int (*run)(const std::vector<std::string>& args);
    const char* usage;
};

const Command kCommands[] = {
    {"dump", Dump, "dump FILE"},
    {"info", Info, "info FILE"},
    {"convert", Convert, "convert IN OUT      (OUT ending in .trb or .gpx)"},
    {"race", Race, "race WORKSPACE NAME [--japanese] [--write NEWNAME [--minimize]]"},
    {"clean", Clean, "clean IN OUT [--max-speed KNOTS] [--interval SECONDS]"},
};

} // namespace

int Usage()
{
    bool first = true;
    for (const Command& command : kCommands) {
        std::fprintf(stderr, "%s tackedit-cli %s\n", first ? "usage:" : "      ", command.usage);
        first = false;
    }
    return 2;
}

int Fail(const std::string& message)
{
    std::fprintf(stderr, "error: %s\n", message.c_str());
    return 1;
}

} // namespace tackedit::cli

int main(int argc, char** argv)
{
    using namespace tackedit::cli;
    if (argc < 2)
        return Usage();
    const std::string name = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    for (const Command& command : kCommands)
        if (name == command.name)
            return command.run(args);
    return Usage();
}
