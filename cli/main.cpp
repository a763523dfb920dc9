// tackedit-cli: the batch companion of the editor.

#include "cli/cli_common.h"
#include "cli/progress.h"
#include "cli/usage.h"

#include <cstdio>
#include <string>
#include <vector>

namespace tackedit::cli {

int Console::Usage()
{
    ClearProgressLine();
    if (const Command* command = FindCommand(this->command)) {
        std::fprintf(stderr, "Usage: tackedit-cli %s [--quiet]\n(tackedit-cli %s --help tells more)\n",
                     command->usage, command->name);
    } else {
        PrintUsage(stderr);
    }
    return 2;
}

int Console::Fail(const std::string& message)
{
    ClearProgressLine();
    std::fprintf(stderr, "error: %s\n", message.c_str());
    return 1;
}

} // namespace tackedit::cli

int main(int argc, char** argv)
{
    using namespace tackedit::cli;
    Console console;
    if (argc < 2)
        return console.Usage();
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        if (argc > 2) {
            const Command* command = FindCommand(argv[2]);
            if (!command) {
                std::fprintf(stderr, "error: unknown command '%s'\n", argv[2]);
                return console.Usage();
            }
            PrintCommandHelp(*command);
        } else {
            PrintHelp();
        }
        return std::fflush(stdout) == 0 ? 0 : console.Fail("cannot write the output");
    }
    if (name == "--version") {
        std::printf("tackedit-cli %s\n", TACKEDIT_VERSION);
        return 0;
    }
    const Command* command = FindCommand(name);
    if (!command) {
        std::fprintf(stderr, "error: unknown command '%s'\n", name.c_str());
        return console.Usage();
    }
    console.command = name;
    std::vector<std::string> args;
    bool help = false;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--quiet" || arg == "-q")
            console.quiet = true;
        else if (arg == "--help" || arg == "-h")
            help = true;
        else
            args.push_back(arg);
    }
    if (help) {
        PrintCommandHelp(*command);
        return std::fflush(stdout) == 0 ? 0 : console.Fail("cannot write the output");
    }
    return command->run(console, args);
}
