// tackedit-cli: the batch companion of the editor.

#include "platform/null_platform.h"
#include "track/data_error.h"
#include "track/datetime.h"
#include "track/file_buffer.h"
#include "track/numbers.h"
#include "track/track_formats.h"
#include "track/track_loader.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace tackedit;

const char kUsage[] =
    "usage: tackedit-cli dump FILE\n"
    "       tackedit-cli convert IN OUT      (OUT ending in .trb or .gpx)\n";

int Usage()
{
    std::fputs(kUsage, stderr);
    return 2;
}

int Fail(const std::string& message)
{
    std::fprintf(stderr, "error: %s\n", message.c_str());
    return 1;
}

struct LoadedTrack {
    TrackStore store;
    TrackEditState edit;
};

// Loads a track as the editor would; false with the message when it fails.
bool Load(const std::string& path, LoadedTrack& track, std::string& error)
{
    if (!FileExists(path)) {
        error = path + ": no such file";
        return false;
    }
    NullPendingEvents events;
    CountingBeeper beeper;
    NullCursor cursor;
    LoadServices services{events, beeper, cursor, {}};
    try {
        LoadTrackFile(path, track.store, track.edit, services);
    } catch (const DataError& e) {
        error = e.what();
        return false;
    }
    return true;
}

void AppendTwoDigits(std::string& out, int value)
{
    out += static_cast<char>('0' + value / 10 % 10);
    out += static_cast<char>('0' + value % 10);
}

void AppendNumber(std::string& out, double value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

int Dump(const std::string& path)
{
    LoadedTrack track;
    std::string error;
    if (!Load(path, track, error))
        return Fail(error);
    const TrackStore& s = track.store;
    std::string out;
    out.reserve(1 << 20);
    out += "count " + std::to_string(s.TrackCount) + "\n";
    out += "interval " + std::to_string(track.edit.LoadedInterval) + "\n";
    for (std::int32_t i = 1; i <= s.TrackCount; ++i) {
        const DateTimeParts t = DecodeDateTimeToSecond(s.TrackTime[i]);
        char index[16];
        out.append(index, std::to_chars(index, index + sizeof index, i).ptr);
        out += '\t';
        char year[8];
        std::snprintf(year, sizeof year, "%04d", t.year);
        out += year;
        out += '-';
        AppendTwoDigits(out, t.month);
        out += '-';
        AppendTwoDigits(out, t.day);
        out += ' ';
        AppendTwoDigits(out, t.hour);
        out += ':';
        AppendTwoDigits(out, t.minute);
        out += ':';
        AppendTwoDigits(out, t.second);
        out += '\t';
        AppendNumber(out, s.TrackLat[i]);
        out += '\t';
        AppendNumber(out, s.TrackLon[i]);
        out += '\n';
        if (out.size() > (1 << 20) - 256) {
            std::fwrite(out.data(), 1, out.size(), stdout);
            out.clear();
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : Fail("cannot write the output");
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

int Convert(const std::string& in, const std::string& out)
{
    const bool trb = EndsWithNoCase(out, ".trb");
    const bool gpx = EndsWithNoCase(out, ".gpx");
    if (!trb && !gpx) {
        std::fprintf(stderr, "tackedit-cli: %s: the output must end in .trb or .gpx\n", out.c_str());
        return Usage();
    }
    LoadedTrack track;
    std::string error;
    if (!Load(in, track, error))
        return Fail(error);
    try {
        if (trb)
            WriteTrbTrack(out, track.store);
        else
            WriteGpxTrack(out, track.store);
    } catch (const DataError& e) {
        return Fail(e.what());
    }
    std::printf("wrote %d points\n", track.store.TrackCount);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 2 && args[0] == "dump")
        return Dump(args[1]);
    if (args.size() == 3 && args[0] == "convert")
        return Convert(args[1], args[2]);
    return Usage();
}
