// What tackedit-cli --help and COMMAND --help print.

#include "cli/usage.h"

#include <cstdio>
#include <cstring>

namespace tackedit::cli {

namespace {

const Command kCommands[] = {
    {"dump", Dump, "dump FILE", "print a track's points, one a line",
     "Prints a track as the editor loads it: \"count N\", \"interval S\" (the mean\n"
     "sampling interval in seconds), then per point its number, its time (UTC,\n"
     "YYYY-MM-DD HH:MM:SS to the nearest second) and its latitude and longitude in\n"
     "minutes of arc (degrees times 60), separated by tabs.\n"},
    {"info", Info, "info FILE", "a quick look at a track: times, extent, distance",
     "Prints \"count N\", \"interval S\", the first and last time, the extent (south,\n"
     "north, west, east in degrees) and the distance sailed in nautical miles. A\n"
     ".vkx file from a Vakaros race timer adds its events, one a line: race_start,\n"
     "race_end, pin and boat.\n"},
    {"convert", Convert, "convert IN OUT", "write a track as TRB or GPX",
     "Writes the track IN to OUT as TRB or GPX by OUT's ending (.trb or .gpx, any\n"
     "case) and prints \"wrote N points\". Both keep whole seconds: fixes within the\n"
     "second of the fix before are left out, and a note says how many. On a\n"
     "terminal, a track of more than 16 MB shows what is being read and written.\n"},
    {"race", Race, "race WORKSPACE NAME [--japanese] [--write NEWNAME [--minimize]]",
     "print a race file as JSON; write it under another name",
     "Reads WORKSPACE/raceadmin/NAME (the name matched without regard to case) as\n"
     "the editor does at start-up and prints the race as JSON. Boat and attachment\n"
     "files that are missing or reach outside the workspace are skipped.\n"
     "\n"
     "  --japanese        read it as the Japanese interface does\n"
     "  --write NEWNAME   write the race to WORKSPACE/raceadmin/NEWNAME as \"Save\n"
     "                    Data\" does (.txt added to a name without it); nothing\n"
     "                    is written when a text cannot be stored\n"
     "  --minimize        with --write: first make the boats' TRB copies in gpsdat/\n"
     "                    and name them\n"},
    {"clean", Clean, "clean IN OUT [--max-speed KNOTS] [--interval SECONDS]",
     "the editor's automatic editing, then a save",
     "Runs the editor's automatic editing on the track IN, saves the points left to\n"
     "OUT (.trb or .gpx) and prints \"kept K of N\". On a terminal, a track of more\n"
     "than 16 MB shows what is being read and written.\n"
     "\n"
     "  --max-speed KNOTS    delete the points the speed test finds above KNOTS\n"
     "  --interval SECONDS   then thin the track to one point every SECONDS\n"},
    {"check", Check, "check WORKSPACE RACEFILE [--json]", "what would make the viewer show a race wrongly",
     "Checks WORKSPACE/raceadmin/RACEFILE as the \"Check Race\" button does, without\n"
     "changing a file, and prints one finding a line: SEVERITY, SUBJECT and MESSAGE\n"
     "separated by tabs. SEVERITY is error, warning or info. On a terminal it shows\n"
     "which boat's track it reads.\n"
     "\n"
     "  --json   one JSON object instead: the findings and a record per boat\n"
     "\n"
     "Exit status: 0 nothing to fix, 3 warnings only, 1 at least one error (or no\n"
     "such race file), 2 bad usage.\n"},
    {"shift", Shift, "shift IN OUT (--hours H | --seconds S | --weeks W)", "a track with its clock mended",
     "Writes a copy of the track IN to OUT (.trb or .gpx) with every time moved by\n"
     "the amount given, and prints \"wrote N points\". A time a TRB file cannot hold\n"
     "is refused and nothing is written.\n"
     "\n"
     "  --hours H     move by H hours (negative: earlier)\n"
     "  --seconds S   move by S seconds\n"
     "  --weeks W     move by W weeks (1024 mends a GPS week-number rollover)\n"},
    {"photo-time", PhotoTime, "photo-time JPEG", "a picture's capture time",
     "Prints the capture time a picture holds (2010/05/12 10:20:30), or an empty\n"
     "line when it has none or is no picture; it fails only for a missing file.\n"},
    {"pictures", Pictures, "pictures WORKSPACE NAME", "the pictures a race keeps",
     "Reads the race file WORKSPACE/raceadmin/NAME and prints its picture count\n"
     "line, then \"name,time\" for each picture kept for the race, as CSV: a name\n"
     "holding a comma, a quote or a line break is quoted, and one starting with =,\n"
     "+, - or @ gets a leading ' so that a spreadsheet shows it as text.\n"},
    {"distribute", Distribute,
     "distribute WORKSPACE DISTNAME RACEFILE... [--no-help] [--no-pictures] [--quality Q] [--replace] [--replay-file]",
     "build a distribution folder that replays races elsewhere",
     "Builds WORKSPACE/distribution/DISTNAME as the distribution screen does, with\n"
     "the race files in the order given, and prints the folder built. On a terminal\n"
     "it shows how many pictures are done. Pictures left out are listed on stderr\n"
     "and make the exit status 1 although the folder stays built.\n"
     "\n"
     "  --no-help       leave the help files out\n"
     "  --no-pictures   leave the pictures out\n"
     "  --quality Q     JPEG quality of the reduced pictures, 1 to 100 (30)\n"
     "  --replace       an existing folder of that name goes to the trash once the\n"
     "                  new one is complete; without it the command fails\n"
     "  --replay-file   add replay.html beside replay/: the replay in one file\n"},
    {"replay", Replay, "replay WORKSPACE OUTDIR RACEFILE... [--no-pictures] [--replace] [--single-file]",
     "build a folder that replays races in a browser",
     "Writes OUTDIR, whose index.html plays the races in the order given in any\n"
     "browser from file://, and prints the path of index.html. A race file that does\n"
     "not read leaves nothing behind. On a terminal it shows which race it reads.\n"
     "With --single-file, OUTDIR is the name of one HTML file that holds it all.\n"
     "\n"
     "OUTDIR may not be the workspace or hold it, lie in its data folders (gpsdat,\n"
     "raceadmin, pic, winddat, attachment, coastline, ctrl), or be or hold a file\n"
     "the build reads.\n"
     "\n"
     "  --no-pictures   leave the races' pictures out\n"
     "  --replace       an existing OUTDIR that a replay build wrote goes to the\n"
     "                  trash once the new one is complete; anything else there,\n"
     "                  or any OUTDIR without it, makes the command fail\n"
     "  --single-file   write one HTML file instead of a folder: page, races,\n"
     "                  pictures and results inside, nothing else fetched\n"},
    {"video", Video,
     "video WORKSPACE RACEFILE OUT.mp4 [--from HH:MM:SS] [--to HH:MM:SS] [--speed N] [--size WxH] "
     "[--follow BOAT] [--fps N]",
     "an MP4 video of a race as the replay page draws it",
     "Writes OUT.mp4, an H.264 video (yuv420p, ready to stream) of the race as the\n"
     "replay page shows it, with its clock, titles, leaderboard and scale, and\n"
     "prints its path. The page is drawn frame by frame in headless Chromium and\n"
     "encoded by ffmpeg (Debian packages chromium and ffmpeg), never recorded in\n"
     "real time, so no frame is lost on a slow machine. On a terminal it shows\n"
     "which frame it draws. The video is written beside OUT.mp4 under another name\n"
     "and renamed when complete: a failure or Ctrl+C leaves no part of it.\n"
     "\n"
     "  --from HH:MM:SS   where the video starts (the race's start)\n"
     "  --to HH:MM:SS     where it ends (the race's finish); both on the race's\n"
     "                    day and within the replay's window\n"
     "  --speed N         race seconds per second of video (10)\n"
     "  --size WxH        even width and height (1920x1080; 1080x1920 for phones)\n"
     "  --follow BOAT     keep this boat in the middle (the whole fleet)\n"
     "  --fps N           frames per second (30)\n"},
    {"results", Results, "results WORKSPACE RACEFILE [--json|--csv] [--for-scoring [--entries ENTRYLIST]]",
     "who finished where",
     "Prints the results the replay page shows for a race whose course ends with F\n"
     "at a line: rank, name, finish, elapsed and corrected time, status (OCS, DNF),\n"
     "separated by tabs. A name starting with =, +, -, @, TAB or CR gets a leading\n"
     "' so that a spreadsheet shows it as text; a TAB or line break in a name is\n"
     "written out as \\x09, \\x0A. A course entry naming no mark or line leaves\n"
     "the race without results; the error names the entry.\n"
     "\n"
     "  --json   a JSON array instead\n"
     "  --csv           comma-separated values instead (RFC 4180: a name holding a\n"
     "                  comma, a quote or a line break is quoted)\n"
     "  --for-scoring   the CSV a scoring program imports: RaceNo, Class, SailNo,\n"
     "                  Boat, Start, Finish, Elapsed (HH:MM:SS, local), Code (empty,\n"
     "                  DNF, NSC, OCS or DNS), Place\n"
     "  --entries ENTRYLIST  SailNo from the entry list (as entries reads it), the\n"
     "                  entry matched by boat name as series matches boats\n"},
    {"analyse", Analyse, "analyse WORKSPACE RACEFILE [--json|--csv]",
     "the race as a debrief tells it: starts, roundings, legs, manoeuvres",
     "Analyses a race from its course, lines, marks, wind and tracks and prints\n"
     "one line a boat, separated by tabs: rank, boat, status, finish (UTC), elapsed\n"
     "and corrected time, tacks, gybes, metres sailed and top speed in knots (the\n"
     "best 10-second average), from its start to its finish or last fix; then each\n"
     "boat's mark roundings with its rank there. Fixes that imply an impossible\n"
     "speed are set aside. Status is finished, ocs, nsc (a mark missed), dnf, dns,\n"
     "or unscored when the race lacks what scoring needs (a line, the course's S\n"
     "or F, a mark it names); notes on stderr say what could not be analysed and\n"
     "why. On a terminal it shows what it is doing.\n"
     "\n"
     "  --json   one JSON object: the race, per boat its start, roundings, legs,\n"
     "           finish and figures, and the notes; times UTC (ISO 8601, Z),\n"
     "           distances in metres, speeds in knots, null where unknown\n"
     "  --csv    comma-separated values: one row per boat, then one per rounding\n"},
    {"entries", Entries, "entries WORKSPACE ENTRYLIST RACEFILE [--json] [--write]",
     "an entry list's boats and the tracks in gpsdat/ that are theirs",
     "Reads the entry list ENTRYLIST (CSV with a header row, or XRR) and finds each\n"
     "entry's track in WORKSPACE/gpsdat/: by the list's file column, then by the\n"
     "device the file records (a FIT serial number, a GPX creator) against the\n"
     "device column, then by the sail number and then the boat name in the file's\n"
     "name; several files still tied go to the one that covers RACEFILE's time.\n"
     "Prints one line an entry, separated by tabs: sail, boat, class, file and the\n"
     "reason, then the entries without a track, the tracks without an entry and\n"
     "the conflicts (two entries claiming one file, or files still tied), which\n"
     "get no file. Rows the list cannot use and duplicate sail numbers are notes\n"
     "on stderr. The CSV's separator (comma, semicolon, tab) and encoding (UTF-8,\n"
     "Shift-JIS) are found; columns are known by their English or Japanese header.\n"
     "Nothing is written without --write.\n"
     "\n"
     "  --json    {\"matches\": [{\"sail\", \"boat\", \"file\" (or null), \"reason\"}],\n"
     "            \"entries_without_track\", \"tracks_without_entry\", \"conflicts\"}\n"
     "  --write   replace RACEFILE's boats and classes by the entries that have a\n"
     "            track (name, TCF, class, file), keeping every other line; a\n"
     "            name Shift-JIS cannot hold writes nothing. Past 80 boats a note\n"
     "            says the viewer shows the first 80; replay, analyse, results\n"
     "            and series take them all\n"},
    {"series", Series,
     "series WORKSPACE RACEFILE... [--discards N] [--entries ENTRYLIST] [--csv|--json] [--for-scoring]",
     "series results: the races scored low-point",
     "Scores the races in the order given low-point, as the Racing Rules of\n"
     "Sailing, Appendix A: a finisher scores its place by corrected time (within\n"
     "its class where classes are set; boats tied share the average of the places\n"
     "they cover); OCS, NSC, DNF and DNS score the boats of the class in the series\n"
     "plus one, and so does a boat with no entry in a race (DNC). Boats are the\n"
     "same boat across races when their names are, ignoring case and the spaces\n"
     "around them. Ties on nett points go to the most firsts, then seconds, ...\n"
     "(discarded scores left out), then to the better score in the last race, the\n"
     "one before, ... Prints one line a boat, separated by tabs: rank, sail, boat,\n"
     "class, a score a race (with its code; a discarded one in parentheses), total\n"
     "and nett points. A race that cannot be scored fails the command; the error\n"
     "names it and says why. Two races whose ST..FT overlap while sharing boats\n"
     "get a note. Each track file is read once however many races name it. On a\n"
     "terminal it shows which race it reads.\n"
     "\n"
     "  --discards N    discard each boat's N worst scores (0); fewer than the races\n"
     "  --entries ENTRYLIST  the entry list (as entries reads it): each entry gives\n"
     "                  the boat of its name (its sail number when it has none) its\n"
     "                  sail number, helm and club; an entry with no boat in any\n"
     "                  race scores DNC in every race and counts as an entry\n"
     "  --csv           comma-separated values instead: Rank, Sail No, Boat, Class,\n"
     "                  Helm, Club, R1 ... Rn, Total, Nett\n"
     "  --json          one JSON object instead: the races and per boat its scores,\n"
     "                  total, nett and rank\n"
     "  --for-scoring   the races' results as results --for-scoring writes them,\n"
     "                  the races numbered from 1, instead of the standing\n"},
    {"split", Split, "split WORKSPACE RACEFILE (--starts HH:MM[:SS],... | --detect) [--finish-after MINUTES]",
     "the day's races from one race file and their start times",
     "Writes one race file a start to WORKSPACE/raceadmin/, named after RACEFILE\n"
     "with -R1, -R2, ... before .txt, and prints their names, one a line. Each is\n"
     "a copy of RACEFILE with only its ST and FT lines changed: ST the start on\n"
     "RACEFILE's day (local time), FT the next start or the start plus\n"
     "--finish-after minutes, whichever comes first. Nothing is written when a\n"
     "start is badly typed, does not come after the one before or lies outside\n"
     "every boat's track, when --detect finds none, or when one of the files\n"
     "exists already.\n"
     "\n"
     "  --starts HH:MM[:SS],...    the starts in local time, in order\n"
     "  --detect                   find the starts in the boats' tracks: the race\n"
     "                             timers' start events in VKX logs, else the\n"
     "                             fleet crossing the start line together (the gun\n"
     "                             estimated to the minute); each start said on\n"
     "                             stderr; of two starts under 5 minutes apart (a\n"
     "                             general recall) the later one is the race\n"
     "  --finish-after MINUTES     the longest a race lasts (60)\n"},
};

const char kQuiet[] =
    "  -q, --quiet   no progress and no notes on stderr (errors and warnings still\n"
    "                print), and no \"wrote N points\" or \"kept K of N\" on stdout\n";

} // namespace

std::span<const Command> Commands() { return kCommands; }

const Command* FindCommand(const std::string& name)
{
    for (const Command& command : kCommands)
        if (name == command.name)
            return &command;
    return nullptr;
}

const char kSynopsis[] = "Usage: tackedit-cli COMMAND ARGUMENT... [--quiet]\n"
                         "   or: tackedit-cli COMMAND --help\n"
                         "   or: tackedit-cli --help | --version\n";

void PrintUsage(std::FILE* out)
{
    std::fprintf(out, "%s\nCommands:\n", kSynopsis);
    for (const Command& command : kCommands)
        std::fprintf(out, "  %s\n", command.usage);
}

void PrintHelp()
{
    std::printf("%s\n"
                "Prepares sailing-race data for tackedit and its viewer without the window:\n"
                "reads, checks and converts GPS tracks and race files of a workspace (the\n"
                "folder holding raceadmin/, gpsdat/ and the others) and builds distributions\n"
                "and browser replays from them. \"tackedit-cli COMMAND --help\" tells more of\n"
                "each command.\n"
                "\n"
                "Commands:\n",
                kSynopsis);
    // A summary starts in the same column on the line or below the usage, as
    // help2man reads a tagged paragraph.
    const int column = 22;
    for (const Command& command : kCommands) {
        const int width = static_cast<int>(std::strlen(command.usage)) + 2;
        if (width + 2 <= column)
            std::printf("  %s%*s%s\n", command.usage, column - width, "", command.summary);
        else
            std::printf("  %s\n%*s%s\n", command.usage, column, "", command.summary);
    }
    std::printf("\n"
                "Track files:\n"
                "  A track FILE is read by the ending of its name: gpx; log, nmea, nma, nme\n"
                "  (NMEA 0183); dtr, trk; gdb; trl; trb; fit (watches); vkx (Vakaros race\n"
                "  timers); tcx; kml, kmz. A file that gives no point says why on stderr;\n"
                "  what a reader skipped is a note there.\n"
                "\n"
                "Workspace and race files:\n"
                "  WORKSPACE may be relative to the current folder or absolute. RACEFILE\n"
                "  (and NAME) is a race file of WORKSPACE/raceadmin/: its name there or its\n"
                "  path; a path to a file elsewhere fails.\n"
                "\n"
                "Progress:\n"
                "  Long work (distribute, replay, check, convert and clean of a big file)\n"
                "  shows how far it is on stderr when stderr is a terminal, on one line\n"
                "  rewritten in place; never when stderr is a file or a pipe.\n"
                "\n"
                "Exit status:\n"
                "  0   success\n"
                "  1   failure: an error line on stderr names the file and, where there is\n"
                "      one, the line; distribute also when it left pictures out, check when\n"
                "      the race has an error\n"
                "  2   bad usage: an unknown command or option, or missing arguments\n"
                "  3   check only: the race has warnings but no error\n"
                "\n"
                "Options:\n"
                "  -h, --help    print this help; after a command, that command's help\n"
                "  --version     print the program's name and version\n"
                "%s",
                kQuiet);
}

void PrintCommandHelp(const Command& command)
{
    std::printf("Usage: tackedit-cli %s [--quiet]\n\n%s\nOptions of every command:\n"
                "  -h, --help    print this help\n%s",
                command.usage, command.help, kQuiet);
}

} // namespace tackedit::cli
