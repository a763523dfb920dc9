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
    {"info", Info, "info FILE           (a .vkx also: race_start, race_end, pin, boat lines)"},
    {"convert", Convert, "convert IN OUT      (OUT ending in .trb or .gpx)"},
    {"race", Race, "race WORKSPACE NAME [--japanese] [--write NEWNAME [--minimize]]"},
    {"clean", Clean, "clean IN OUT [--max-speed KNOTS] [--interval SECONDS]"},
    {"check", Check, "check WORKSPACE RACEFILE [--json]"},
    {"shift", Shift, "shift IN OUT (--hours H | --seconds S | --weeks W)"},
    {"photo-time", PhotoTime, "photo-time JPEG"},
    {"pictures", Pictures, "pictures WORKSPACE NAME"},
    {"distribute", Distribute,
     "distribute WORKSPACE DISTNAME RACEFILE... [--no-help] [--no-pictures] [--quality Q] [--replace]"},
    {"replay", Replay, "replay WORKSPACE OUTDIR RACEFILE... [--no-pictures] [--replace]"},
    {"results", Results, "results WORKSPACE RACEFILE [--json|--csv]"},
};

void PrintUsage(std::FILE* out)
{
    bool first = true;
    for (const Command& command : kCommands) {
        std::fprintf(out, "%s tackedit-cli %s\n", first ? "usage:" : "      ", command.usage);
        first = false;
    }
    std::fprintf(out, "       tackedit-cli --help | --version\n");
}

} // namespace

int Usage()
{
    PrintUsage(stderr);
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
    if (name == "--help" || name == "-h" || name == "help") {
        PrintUsage(stdout);
        std::printf("\nA track FILE is read by the ending of its name: gpx; log, nmea, nma, nme (NMEA 0183);\n"
                    "dtr, trk; gdb; trl; trb; fit (watches); vkx (Vakaros race timers); tcx; kml, kmz.\n"
                    "A file that gives no point says why on stderr; what a reader skipped is a note there.\n");
        return 0;
    }
    if (name == "--version") {
        std::printf("tackedit-cli %s\n", TACKEDIT_VERSION);
        return 0;
    }
    const std::vector<std::string> args(argv + 2, argv + argc);
    for (const Command& command : kCommands)
        if (name == command.name)
            return command.run(args);
    std::fprintf(stderr, "error: unknown command '%s'\n", name.c_str());
    return Usage();
}
