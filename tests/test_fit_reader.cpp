#include "fit_encoder.h"
#include "base/data_error.h"
#include "base/datetime.h"
#include "track/formats/fit_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tackedit {
namespace {

using fixtures::FitEncoder;
using fixtures::kFitRecordFields;

constexpr std::uint64_t kInvalid = 0x7FFFFFFF;
// 2024-06-15 09:00:00 UTC in FIT seconds (since 1989-12-31).
constexpr std::uint32_t kStart = 1718442000 - 631065600;

struct Expected {
    std::uint32_t fit_seconds;
    std::int32_t lat, lon;  // semicircles
};

TrackStore Parse(const std::string& bytes)
{
    TrackStore store;
    ParseFitTrack(bytes, "t.fit", store);
    return store;
}

void ExpectPoints(const TrackStore& s, const std::vector<Expected>& want)
{
    ASSERT_EQ(s.TrackCount, static_cast<std::int32_t>(want.size()));
    for (std::size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE("point " + std::to_string(i + 1));
        const auto n = static_cast<std::int32_t>(i + 1);
        EXPECT_EQ(s.TrackTime[n], FromEpochSeconds(static_cast<std::int32_t>(want[i].fit_seconds + 631065600)));
        EXPECT_EQ(s.TrackLat[n], want[i].lat * (10800.0 / 2147483648.0));
        EXPECT_EQ(s.TrackLon[n], want[i].lon * (10800.0 / 2147483648.0));
    }
}

std::uint64_t U(std::int32_t v) { return static_cast<std::uint32_t>(v); }

// Every record form in one file: the reader must follow each layout exactly.
TEST(FitReader, ReadsEveryRecordForm)
{
    FitEncoder fit;
    fit.Define(0, 0, {{0, 1}, {4, 4}});  // file_id: a message the reader passes over
    fit.Data(0, {4, 123});
    // Little-endian record with other fields around the three it needs.
    fit.Define(1, 20, {{2, 2}, {253, 4}, {0, 4}, {5, 4}, {1, 4}});
    fit.Data(1, {10, kStart, U(-272000000), 99, U(-514000000)});
    fit.Data(1, {10, kStart + 1, kInvalid, 99, U(-514000000)});  // no fix yet: not a point
    // Local type 1 redefined: big-endian, developer fields after the normal ones.
    fit.Define(1, 20, kFitRecordFields, true, {3, 1});
    fit.Data(1, {kStart + 2, U(650000000), U(1610000000)});
    // An event sets the time the compressed headers count on from.
    fit.Define(2, 21, {{253, 4}, {0, 1}});
    static_assert(((kStart + 24) & 0x1f) == 8);
    fit.Data(2, {kStart + 24, 0});
    fit.Define(3, 20, {{0, 4}, {1, 4}});
    fit.Data(3, {U(1), U(-1)}, 10);  // +2 s
    fit.Data(3, {U(2), U(-2)}, 3);   // 3 < 10: the offset wraps, +25 s
    // A timestamp field shorter than its value is no timestamp.
    fit.Define(4, 20, {{253, 2}, {0, 4}, {1, 4}});
    fit.Data(4, {7, U(3), U(3)});

    const TrackStore s = Parse(fit.File(12));
    ExpectPoints(s, {{kStart, -272000000, -514000000},
                     {kStart + 2, 650000000, 1610000000},
                     {kStart + 26, 1, -1},
                     {kStart + 51, 2, -2}});
    EXPECT_EQ(s.ReadNotes, (std::vector<std::string>{"1 record message without a position was left out",
                                                     "1 record message without a time was left out"}));
}

TEST(FitReader, ChainedFilesStartAfresh)
{
    FitEncoder first, second;
    first.Define(0, 20, kFitRecordFields);
    first.Data(0, {kStart, U(100), U(200)});
    second.Define(5, 20, kFitRecordFields, true);
    second.Data(5, {kStart + 9, U(300), U(400)});
    EXPECT_EQ(Parse(first.File(12) + second.File(14)).TrackCount, 2);

    // A definition does not carry over into the next file.
    FitEncoder uses_old;
    uses_old.Data(0, {kStart + 5, U(500), U(600)});
    const TrackStore s = Parse(first.File() + uses_old.File());
    ExpectPoints(s, {{kStart, 100, 200}});
    const std::size_t at = first.File().size() + 14;
    EXPECT_EQ(s.ReadNotes, (std::vector<std::string>{"a record uses local message type 0 before its definition at byte " +
                                                     std::to_string(at) + ": the points before it were read"}));
}

TEST(FitReader, DamagedFilesKeepThePointsBeforeTheDamage)
{
    FitEncoder fit;
    fit.Define(0, 20, kFitRecordFields);
    for (std::uint32_t k = 0; k < 3; ++k)
        fit.Data(0, {kStart + k, U(1000 + static_cast<std::int32_t>(k)), U(2000)});
    const std::string good = fit.File();
    const std::vector<Expected> all = {{kStart, 1000, 2000}, {kStart + 1, 1001, 2000}, {kStart + 2, 1002, 2000}};

    std::string bad_crc = good;
    bad_crc.back() ^= 1;
    TrackStore s = Parse(bad_crc);
    ExpectPoints(s, all);
    EXPECT_EQ(s.ReadNotes, (std::vector<std::string>{"the file's CRC does not match: the points before byte " +
                                                     std::to_string(good.size() - 2) + " were read as they are"}));

    // Cut inside the last record (13 bytes), as a watch switched off mid-write.
    const std::size_t last = good.size() - 2 - 13;
    s = Parse(good.substr(0, last + 5));
    ExpectPoints(s, {all[0], all[1]});
    EXPECT_EQ(s.ReadNotes, (std::vector<std::string>{"the file ends inside the record at byte " +
                                                     std::to_string(last) + ": the points before it were read"}));
    EXPECT_EQ(Parse(good.substr(0, good.size() - 2)).ReadNotes,
              (std::vector<std::string>{"the file ends before its CRC: the points were read unchecked"}));

    s = Parse(good + "junk");
    ExpectPoints(s, all);
    EXPECT_EQ(s.ReadNotes, (std::vector<std::string>{"the 4 bytes after byte " + std::to_string(good.size()) +
                                                     " are not a FIT file and were not read"}));

    for (const std::string& not_fit : {std::string(), std::string("0123456789ab"), good.substr(0, 11),
                                       std::string("\x0e\x10\x00\x00\x00\x00\x00\x00.FTT\x00\x00", 14)}) {
        try {
            Parse(not_fit);
            ADD_FAILURE() << "no error for " << not_fit.size() << " bytes";
        } catch (const DataError& e) {
            EXPECT_EQ(std::string(e.what()), "t.fit: not a FIT file: it does not begin with a FIT file header");
        }
    }
}

// Over 2 MB the CRC is worked out in pieces of 1 MB and joined.
TEST(FitReader, LargeFilesCheckTheirWholeCrc)
{
    FitEncoder fit;
    fit.Define(0, 20, kFitRecordFields);
    for (std::uint32_t k = 0; k < 250000; ++k)  // 13 bytes each
        fit.Data(0, {kStart + k, U(static_cast<std::int32_t>(k)), U(-7)});
    const std::string good = fit.File();
    const TrackStore s = Parse(good);
    EXPECT_EQ(s.TrackCount, 250000);
    EXPECT_TRUE(s.ReadNotes.empty()) << s.ReadNotes.front();
    for (const std::size_t at : {std::size_t{1} << 20, std::size_t{3000001}}) {
        std::string damaged = good;
        damaged[at] ^= 0x40;
        const TrackStore d = Parse(damaged);
        ASSERT_EQ(d.ReadNotes.size(), 1u) << at;
        EXPECT_EQ(d.ReadNotes[0].rfind("the file's CRC does not match", 0), 0u) << d.ReadNotes[0];
    }
}

TEST(FitReader, SaysWhyNoPointWasFound)
{
    const auto notes = [](auto build) {
        FitEncoder fit;
        build(fit);
        const TrackStore s = Parse(fit.File());
        EXPECT_EQ(s.TrackCount, 0);
        return s.ReadNotes;
    };
    using Notes = std::vector<std::string>;
    EXPECT_EQ(notes([](FitEncoder& f) {
                  f.Define(0, 0, {{0, 1}});
                  f.Data(0, {6});
              }),
              Notes{"the file holds no record messages: a workout, settings or other file without a track"});
    EXPECT_EQ(notes([](FitEncoder& f) {
                  f.Define(0, 20, {{253, 4}, {3, 1}});  // heart rate only, as indoors
                  f.Data(0, {kStart, 120});
              }),
              Notes{"the file holds no positions"});
    EXPECT_EQ(notes([](FitEncoder& f) {
                  f.Define(0, 20, {{0, 4}, {1, 4}});
                  f.Data(0, {U(5), U(6)});
                  f.Data(0, {U(5), U(6)}, 3);  // compressed, but no time to count from
              }),
              Notes{"the file holds no times"});
}

} // namespace
} // namespace tackedit
