// dump and convert: a track file as the editor loads it.

#include "cli/cli_common.h"
#include "cli/progress.h"
#include "platform/null_platform.h"
#include "base/messages.h"
#include "base/data_error.h"
#include "base/datetime.h"
#include "base/file_buffer.h"
#include "base/numbers.h"
#include "track/formats/gpx_writer.h"
#include "track/formats/trb_format.h"
#include "track/formats/vkx_reader.h"
#include "track/track_summary.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace tackedit::cli {

bool Load(Console& console, const std::string& path, LoadedTrack& track, std::string& error)
{
    if (!FileExists(path)) {
        error = path + ": no such file";
        return false;
    }
    if (TrackFileKindOf(path) == TrackFileKind::None) {
        // Loading it would give no point and look like an empty track.
        error = Say(texts::kNotTrackFile, 2, {path});
        return false;
    }
    NullPendingEvents events;
    CountingBeeper beeper;
    NullCursor cursor;
    LoadServices services{events, beeper, cursor, {}, &track.vkx};
    try {
        LoadTrackFile(path, track.store, track.edit, services);
    } catch (const DataError& e) {
        error = e.what();
        return false;
    }
    // What the reader skipped, and why a file gave nothing, goes beside the output.
    const auto& notes = track.store.ReadNotes;
    std::size_t said = 0;
    if (track.store.TrackCount == 0) {
        console.ClearProgressLine();
        std::fprintf(stderr, "warning: %s holds no track point%s%s\n", path.c_str(), notes.empty() ? "." : ": ",
                     notes.empty() ? "" : notes[0].c_str());
        said = 1;
    }
    for (; said < notes.size(); ++said)
        console.Note(path + ": " + notes[said]);
    return true;
}

bool SplitArguments::Has(const std::string& flag) const
{
    return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

std::optional<SplitArguments> SplitFlags(const std::vector<std::string>& args, const std::vector<std::string>& known)
{
    SplitArguments split;
    for (const std::string& arg : args) {
        if (std::find(known.begin(), known.end(), arg) != known.end())
            split.flags.push_back(arg);
        else if (arg.rfind("--", 0) == 0)
            return std::nullopt;
        else
            split.names.push_back(arg);
    }
    return split;
}

std::optional<std::string> RaceFileArgument(Console& console, const std::string& app_dir, const std::string& typed)
{
    std::string error;
    auto name = RaceFileName(app_dir, typed, error);
    if (!name)
        console.Fail(error);
    return name;
}

bool EndsWithNoCase(const std::string& text, const char* ending)
{
    const std::size_t n = std::strlen(ending);
    if (text.size() < n)
        return false;
    for (std::size_t i = 0; i < n; ++i)
        if (AsciiLower(text[text.size() - n + i]) != ending[i])
            return false;
    return true;
}

void NoteLeftOut(Console& console, const std::string& path, std::int32_t left_out)
{
    if (left_out > 0)
        console.Note(path + ": left out " + CountOf(left_out, texts::check::kPoint, 2) +
             " logged within the same second as the point before (the file holds whole seconds)");
}

std::optional<std::string> BigTrackSize(const std::string& path)
{
    std::error_code error;
    const auto bytes = std::filesystem::file_size(path, error);
    if (error || bytes < kBigTrackBytes)
        return std::nullopt;
    return std::to_string((bytes + (1 << 19)) >> 20) + " MB";
}

bool SaveTrack(Console& console, const std::string& path, const TrackStore& store, std::string& error,
               std::int32_t* left_out)
{
    std::int32_t skipped = 0;
    try {
        skipped = EndsWithNoCase(path, ".trb") ? WriteTrbTrack(path, store) : WriteGpxTrack(path, store);
    } catch (const DataError& e) {
        error = e.what();
        return false;
    }
    NoteLeftOut(console, path, skipped);
    if (left_out)
        *left_out = skipped;
    return true;
}

namespace {

// Month, day and time fields are always 0..99.
inline char* PutTwoDigits(char* at, int value)
{
    at[0] = static_cast<char>('0' + value / 10);
    at[1] = static_cast<char>('0' + value % 10);
    return at + 2;
}

// Zero-padded to at least `width` digits.
char* PutDigits(char* at, int value, int width)
{
    if (value >= 0 && value <= 9999 && width == 4)
        return PutTwoDigits(PutTwoDigits(at, value / 100), value % 100);
    unsigned v = static_cast<unsigned>(value < 0 ? 0 : value);
    int n = 0;
    char digits[12];
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0 && n < 12);
    while (n < width)
        digits[n++] = '0';
    while (n > 0)
        *at++ = digits[--n];
    return at;
}

// Buffered standard output that reports whether every byte was written.
class Output {
public:
    char* Reserve(std::size_t n)
    {
        if (used_ + n > sizeof buffer_)
            Flush();
        return buffer_ + used_;
    }
    void Commit(char* end) { used_ = static_cast<std::size_t>(end - buffer_); }
    bool Flush()
    {
        if (used_ > 0 && std::fwrite(buffer_, 1, used_, stdout) != used_)
            ok_ = false;
        used_ = 0;
        return ok_;
    }
    bool Finish() { return Flush() && std::fflush(stdout) == 0; }

private:
    char buffer_[1 << 16];
    std::size_t used_ = 0;
    bool ok_ = true;
};

// Loads the one FILE argument: 0, or the exit code when there is not exactly
// one or it does not load.
int LoadArgument(Console& console, const std::vector<std::string>& args, LoadedTrack& track)
{
    if (args.size() != 1)
        return console.Usage();
    std::string error;
    return Load(console, args[0], track, error) ? 0 : console.Fail(error);
}

} // namespace

int Dump(Console& console, const std::vector<std::string>& args)
{
    LoadedTrack track;
    if (const int code = LoadArgument(console, args, track))
        return code;
    const TrackStore& s = track.store;
    static Output out;
    const std::string head =
        "count " + std::to_string(s.TrackCount) + "\ninterval " + std::to_string(track.edit.LoadedInterval) + "\n";
    char* at = out.Reserve(head.size());
    out.Commit(std::copy(head.begin(), head.end(), at));
    for (std::int32_t i = 1; i <= s.TrackCount; ++i) {
        const DateTimeParts t = DecodeDateTimeToSecond(s.TrackTime[i]);
        char* p = out.Reserve(128);
        char* const end = p + 128;
        p = std::to_chars(p, end, i).ptr;
        *p++ = '\t';
        p = PutDigits(p, t.year, 4);
        *p++ = '-';
        p = PutTwoDigits(p, t.month);
        *p++ = '-';
        p = PutTwoDigits(p, t.day);
        *p++ = ' ';
        p = PutTwoDigits(p, t.hour);
        *p++ = ':';
        p = PutTwoDigits(p, t.minute);
        *p++ = ':';
        p = PutTwoDigits(p, t.second);
        *p++ = '\t';
        p = std::to_chars(p, end, s.TrackLat[i]).ptr;
        *p++ = '\t';
        p = std::to_chars(p, end, s.TrackLon[i]).ptr;
        *p++ = '\n';
        out.Commit(p);
    }
    return out.Finish() ? 0 : console.Fail("cannot write the output");
}

int Info(Console& console, const std::vector<std::string>& args)
{
    LoadedTrack track;
    if (const int code = LoadArgument(console, args, track))
        return code;
    const TrackSummary s = SummarizeTrack(track.store);
    std::printf("count %d\ninterval %d\n", s.count, track.edit.LoadedInterval);
    if (s.count > 0) {
        std::printf("first %s\nlast %s\n", FormatIsoDateTime(DecodeDateTimeToSecond(s.first_time)).c_str(),
                    FormatIsoDateTime(DecodeDateTimeToSecond(s.last_time)).c_str());
        std::printf("south %.6f\nnorth %.6f\nwest %.6f\neast %.6f\ndistance %.2f\n", s.south / 60, s.north / 60,
                    s.west / 60, s.east / 60, s.distance);
    }
    for (const VkxEvent& e : track.vkx.list) {
        std::printf("%s %s", VkxEventName(e.kind), FormatIsoDateTime(DecodeDateTimeToSecond(e.time)).c_str());
        if (e.kind == VkxEvent::Pin || e.kind == VkxEvent::Boat)
            std::printf(" %.6f %.6f", e.lat / 60, e.lon / 60);
        std::printf("\n");
    }
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : console.Fail("cannot write the output");
}

int Convert(Console& console, const std::vector<std::string>& args)
{
    if (args.size() != 2)
        return console.Usage();
    const std::string& out = args[1];
    if (!EndsWithNoCase(out, ".trb") && !EndsWithNoCase(out, ".gpx")) {
        std::fprintf(stderr, "tackedit-cli: %s: the output must end in .trb or .gpx\n", out.c_str());
        return console.Usage();
    }
    LoadedTrack track;
    std::string error;
    std::int32_t left_out = 0;
    Progress progress(console);
    const auto big = BigTrackSize(args[0]);
    if (big)
        progress.Show("reading " + args[0] + " (" + *big + ")");
    if (!Load(console, args[0], track, error))
        return console.Fail(error);
    if (big)
        progress.Show("writing " + out + " (" + std::to_string(track.store.TrackCount) + " points)");
    if (!SaveTrack(console, out, track.store, error, &left_out))
        return console.Fail(error);
    console.ClearProgressLine();
    if (!console.quiet)
        std::printf("wrote %d points\n", track.store.TrackCount - left_out);
    return 0;
}

} // namespace tackedit::cli
