// clean: the editor's automatic editing on a freshly loaded track, then a save
// of the points that remain.

#include "cli/cli_common.h"
#include "cli/progress.h"
#include "editor/editor_core.h"
#include "base/numbers.h"

#include <cmath>
#include <cstdio>

namespace tackedit::cli {

namespace {

// A finite decimal number, or nullopt with a message on stderr.
std::optional<float> ParseOption(const std::string& option, const std::string& text)
{
    const auto value = ParseReal(text);
    if (!value || !std::isfinite(static_cast<float>(*value))) {
        std::fprintf(stderr, "tackedit-cli: %s: '%s' is not a number\n", option.c_str(), text.c_str());
        return std::nullopt;
    }
    return static_cast<float>(*value);
}

} // namespace

int Clean(Console& console, const std::vector<std::string>& args)
{
    if (args.size() < 2)
        return console.Usage();
    const std::string& in = args[0];
    const std::string& out = args[1];
    AutoEditSettings settings;
    for (std::size_t i = 2; i < args.size(); i += 2) {
        const std::string& option = args[i];
        if (i + 1 >= args.size() || (option != "--max-speed" && option != "--interval"))
            return console.Usage();
        std::optional<float>& into = option == "--max-speed" ? settings.MaxSpeed : settings.Interval;
        if (into)
            return console.Usage();  // given twice
        into = ParseOption(option, args[i + 1]);
        if (!into)
            return console.Usage();
    }
    if (!EndsWithNoCase(out, ".trb") && !EndsWithNoCase(out, ".gpx")) {
        std::fprintf(stderr, "tackedit-cli: %s: the output must end in .trb or .gpx\n", out.c_str());
        return console.Usage();
    }

    LoadedTrack track;
    std::string error;
    Progress progress(console);
    const auto big = BigTrackSize(in);
    if (big)
        progress.Show("reading " + in + " (" + *big + ")");
    if (!Load(console, in, track, error))
        return console.Fail(error);
    // A fresh load: every point present, FirstPresent 1 and LastPresent TrackCount,
    // exactly what the editor's first redraw leaves.
    const std::int32_t loaded = track.store.TrackCount;
    RunAutoEdit(track.store, track.edit, settings);
    const std::int32_t kept = CompactTrack(track.store);
    if (big)
        progress.Show("writing " + out + " (" + std::to_string(kept) + " points)");
    if (!SaveTrack(console, out, track.store, error))
        return console.Fail(error);
    console.ClearProgressLine();
    if (!console.quiet)
        std::printf("kept %d of %d\n", kept, loaded);
    return 0;
}

} // namespace tackedit::cli
