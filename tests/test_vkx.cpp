// The race timers' VKX logs: rows made by the test encoder, and small files
// made by an independent script (data/vkx/make_fixtures.py) with their dumps.

#include "platform/null_platform.h"
#include "base/data_error.h"
#include "track/track_loader.h"
#include "track/formats/vkx_reader.h"
#include "tests/vkx_encoder.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tackedit {
namespace {

using testing::VkxEncoder;

// 2024-06-15 01:00:00 UTC.
constexpr std::uint64_t kStartMs = 1718413200000;
const DateTime kStart = *TryEncodeDate(2024, 6, 15) + 1.0 / 24;

std::string ErrorOf(std::string_view bytes)
{
    TrackStore store;
    try {
        ParseVkxTrack(bytes, "t.vkx", store);
    } catch (const DataError& e) {
        EXPECT_EQ(store.TrackCount, 0) << "a failed read leaves no track";
        return e.what();
    }
    return "no error";
}

TEST(VkxReader, PositionsAreTheTrackAndTheTimerEventsAreKept)
{
    VkxEncoder vkx(5, 200);  // small pages: headers and terminators between the rows
    // Every key the format defines besides the ones read, each skipped by its size.
    const std::pair<unsigned, std::size_t> others[] = {{0x01, 32}, {0x03, 20}, {0x06, 18}, {0x07, 12}, {0x08, 13},
                                                       {0x0A, 16}, {0x0B, 16}, {0x0C, 12}, {0x0E, 16}, {0x0F, 16},
                                                       {0x10, 12}, {0x20, 13}, {0x21, 52}};
    for (const auto& [key, payload] : others)
        vkx.Other(key, payload);
    vkx.LinePosition(kStartMs - 300000, 0, 35.25f, 139.5f);
    vkx.LinePosition(kStartMs - 290000, 1, -35.125f, -139.75f);
    vkx.LinePosition(kStartMs - 280000, 1, NAN, 139.5f);  // no position: left out
    vkx.TimerEvent(kStartMs - 240000, 1, 240);            // the countdown started: not kept
    vkx.TimerEvent(~0ULL, 3, 0);                          // no time: left out
    vkx.TimerEvent(kStartMs + 250, 3, 0);
    for (int i = 0; i < 20; ++i)
        vkx.Position(kStartMs + static_cast<std::uint64_t>(i) * 100, 35.1234567 + i * 1e-7, -139.7654321);
    vkx.TimerEvent(kStartMs + 3600000, 4, 3600);

    TrackStore store;
    VkxEvents events;
    ParseVkxTrack(vkx.Bytes(), "t.vkx", store, &events);
    ASSERT_EQ(store.TrackCount, 20);
    EXPECT_EQ(store.TrackTime[1], kStart);
    EXPECT_EQ(store.TrackTime[20], static_cast<double>(25569ULL * 86400000 + kStartMs + 1900) / 86400000);
    EXPECT_EQ(store.TrackLat[1], 351234567 * 6 / 1e6);
    EXPECT_EQ(store.TrackLat[20], 351234586 * 6 / 1e6);
    EXPECT_EQ(store.TrackLon[1], -1397654321 * 6.0 / 1e6);

    ASSERT_EQ(events.list.size(), 4u);
    EXPECT_EQ(events.list[0].kind, VkxEvent::Pin);
    EXPECT_EQ(events.list[0].lat, 35.25 * 60);
    EXPECT_EQ(events.list[0].lon, 139.5 * 60);
    EXPECT_EQ(events.list[1].kind, VkxEvent::Boat);
    EXPECT_EQ(events.list[1].lon, -139.75 * 60);
    EXPECT_EQ(events.list[2].kind, VkxEvent::RaceStart);
    EXPECT_NEAR((events.list[2].time - kStart) * 86400, 0.25, 1e-6);
    EXPECT_EQ(events.list[3].kind, VkxEvent::RaceEnd);
    EXPECT_EQ(store.ReadNotes,
              std::vector<std::string>{"2 race timer events or line pings left out: no time, no position or an "
                                       "unknown line end"});
}

TEST(VkxReader, UnknownKeysAndVersionsAreErrorsNamingTheByte)
{
    VkxEncoder vkx;
    vkx.Position(kStartMs, 35, 139);
    vkx.Other(0x09, 4);  // at 8 + 45
    EXPECT_EQ(ErrorOf(vkx.Bytes()), "t.vkx: unknown row key 0x09 at byte 53");

    EXPECT_EQ(ErrorOf(VkxEncoder(6).Bytes()),
              "t.vkx: the page at byte 0 is of VKX format version 6, which this reader does not know (0 to 5)");
    EXPECT_EQ(ErrorOf(std::string("\x02\x00", 2)), "t.vkx: not a VKX file: it starts with 0x02, not a page header (0xFF)");

    VkxEncoder far;
    far.Position(253402300800000, 35, 139);  // 10000-01-01
    EXPECT_NE(ErrorOf(far.Bytes()).find("the time of the row 0x02 at byte 8 is past the year 9999"), std::string::npos);
}

TEST(VkxReader, ARowCutOffAtTheEndLeavesThePointsBeforeIt)
{
    VkxEncoder vkx(0);  // the first version reads the same
    vkx.Position(kStartMs, 35, 139);
    vkx.Position(kStartMs + 1000, 35, 139);
    const std::string whole = vkx.Bytes();
    TrackStore store;
    ParseVkxTrack(whole.substr(0, whole.size() - 3 - 20), "t.vkx", store);  // no terminator, 20 bytes short
    EXPECT_EQ(store.TrackCount, 1);
    EXPECT_EQ(store.ReadNotes,
              std::vector<std::string>{"the last row (key 0x02 at byte 53) is cut off after 25 of its 45 bytes "
                                       "and is left out"});

    ParseVkxTrack(VkxEncoder().Bytes(), "t.vkx", store);
    EXPECT_EQ(store.TrackCount, 0);
    EXPECT_EQ(store.ReadNotes.back(), "the file holds no positions");
}

// The dump of `tackedit-cli dump`, as the loader gives the track.
std::string DumpOf(const std::string& path, VkxEvents& events)
{
    NullPendingEvents pending;
    CountingBeeper beeper;
    NullCursor cursor;
    LoadServices services{pending, beeper, cursor, {}, &events};
    TrackStore store;
    TrackEditState edit;
    LoadTrackFile(path, store, edit, services);
    std::string out = "count " + std::to_string(store.TrackCount) + "\ninterval " +
                      std::to_string(edit.LoadedInterval) + "\n";
    for (std::int32_t i = 1; i <= store.TrackCount; ++i) {
        char lat[32], lon[32];
        out += std::to_string(i) + '\t' + FormatIsoDateTime(DecodeDateTimeToSecond(store.TrackTime[i])) + '\t' +
               std::string(lat, std::to_chars(lat, lat + sizeof lat, store.TrackLat[i]).ptr) + '\t' +
               std::string(lon, std::to_chars(lon, lon + sizeof lon, store.TrackLon[i]).ptr) + '\n';
    }
    return out;
}

TEST(VkxReader, FixturesLoadAsTheirDumps)
{
    const std::string folder = std::string(TACKEDIT_TEST_DATA) + "/vkx";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string path = entry.path().string();
        if (entry.path().extension() != ".vkx" && entry.path().extension() != ".VKX")
            continue;
        std::ifstream in(path + ".dump");
        ASSERT_TRUE(in) << path;
        std::ostringstream expected;
        expected << in.rdbuf();
        VkxEvents events;
        events.list.push_back({VkxEvent::Pin, 0});  // a load empties it first
        EXPECT_EQ(DumpOf(path, events), expected.str()) << path;
        if (path.find("timer") != std::string::npos)
            EXPECT_EQ(events.list.size(), 4u) << path;
        else
            EXPECT_TRUE(events.list.empty()) << path;
        ++files;
    }
    EXPECT_GE(files, 2);
}

} // namespace
} // namespace tackedit
