#include "track/track_store.h"
#include "track/track_summary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <vector>

namespace tackedit {
namespace {

void Fill(TrackStore& store, int points, double base)
{
    TrackFiller filler(store);
    for (int i = 1; i <= points; ++i)
        filler.Store(base + i, base + i * 2, base + i * 3);
    filler.Finish();
}

TEST(TrackStore, GrowsLinearlyFromOneHundred)
{
    TrackStore store;
    TrackFiller filler(store);
    EXPECT_EQ(store.TrackCapacity, 100);
    EXPECT_EQ(store.TrackTime.size(), 100u);
    for (int i = 1; i <= 50; ++i)
        filler.Store(i, 0, 0);
    EXPECT_EQ(store.TrackCapacity, 100) << "point 50 is not greater than 100 - 50";
    filler.Store(51, 0, 0);
    EXPECT_EQ(store.TrackCapacity, 151);
    for (int i = 52; i <= 102; ++i)
        filler.Store(i, 0, 0);
    EXPECT_EQ(store.TrackCapacity, 202);
    for (int i = 103; i <= 153; ++i)
        filler.Store(i, 0, 0);
    EXPECT_EQ(store.TrackCapacity, 253);
    EXPECT_EQ(store.TrackCount, 0) << "the count is set only when the reader finishes";
    filler.Finish();
    EXPECT_EQ(store.TrackCount, 153);
    for (auto* array : {&store.TrackTime, &store.TrackLat, &store.TrackLon})
        EXPECT_EQ(array->size(), 253u);
    EXPECT_EQ(store.TrackMark.size(), 253u);
}

TEST(TrackStore, ShortTrackAfterLongOneKeepsOldValuesAboveTheCount)
{
    TrackStore store;
    Fill(store, 5000, 0);
    Fill(store, 30, 100000);
    EXPECT_EQ(store.TrackCount, 30);
    EXPECT_EQ(store.TrackCapacity, 100);
    EXPECT_EQ(store.TrackTime.size(), 100u);
    EXPECT_EQ(store.TrackTime[30], 100030);
    for (int i = 31; i <= 99; ++i) {
        EXPECT_EQ(store.TrackTime[i], i) << i;
        EXPECT_EQ(store.TrackLon[i], 3 * i) << i;
    }
}

TEST(TrackStore, GrowthAfterCutBackZeroFillsNewEntries)
{
    TrackStore store;
    Fill(store, 5000, 0);
    Fill(store, 60, 100000);  // cut back to 100, then grown to 151 at point 51
    EXPECT_EQ(store.TrackCapacity, 151);
    for (int i = 61; i <= 99; ++i)
        EXPECT_EQ(store.TrackTime[i], i) << "entries of the earlier track below 100 stay";
    for (int i = 100; i < 151; ++i) {
        EXPECT_EQ(store.TrackTime[i], 0) << i;
        EXPECT_EQ(store.TrackMark[i], 0) << i;
    }
}

TEST(TrackStore, SetTrackCapacityKeepsContentsAndLeavesCountsAlone)
{
    TrackStore store;
    store.TrackCount = 7;
    store.SetTrackCapacity(10);
    store.TrackLat[9] = 42;
    store.TrackMark[3] = 8;
    store.SetTrackCapacity(20);
    EXPECT_EQ(store.TrackLat[9], 42);
    EXPECT_EQ(store.TrackMark[3], 8);
    EXPECT_EQ(store.TrackLat[19], 0);
    EXPECT_EQ(store.TrackCount, 7);
    EXPECT_EQ(store.TrackCapacity, 0) << "the caller sets TrackCapacity";
    store.SetTrackCapacity(5);
    EXPECT_EQ(store.TrackLat.size(), 5u);
}

TEST(TrackStore, EmptyReadLeavesCountZeroAndCapacityHundred)
{
    TrackStore store;
    Fill(store, 500, 0);
    Fill(store, 0, 0);
    EXPECT_EQ(store.TrackCount, 0);
    EXPECT_EQ(store.TrackCapacity, 100);
}

TEST(TrackStore, MillionPointsMoveTheDataOnlyLogarithmicallyOften)
{
    TrackStore store;
    TrackFiller filler(store);
    std::set<const double*> buffers;
    for (int i = 1; i <= 1000000; ++i) {
        filler.Store(i, i, i);
        buffers.insert(store.TrackTime.data());
    }
    filler.Finish();
    // The last growth comes at point 19607 * 51 = 999957.
    EXPECT_EQ(store.TrackCapacity, 999957 + 100);
    // Linear growth of the logical capacity would mean ~20,000 moves; geometric
    // storage keeps it to a few dozen.
    EXPECT_LT(buffers.size(), 40u);
    EXPECT_EQ(store.TrackLat[1000000], 1000000);
}

TEST(TrackStore, AppendingGrowsAsStoringOneByOne)
{
    TrackStore one, many;
    TrackFiller single(one), bulk(many);
    std::vector<TrackPoint> points;
    for (int i = 1; i <= 5000; ++i) {
        points.push_back({i * 1.0, i * 2.0, i * 3.0});
        single.Store(i, i * 2.0, i * 3.0);
    }
    // Runs that end just before, at and after growth points.
    std::size_t at = 0;
    for (const std::size_t n : {1, 48, 1, 1, 50, 51, 52, 101, 0, 2000}) {
        bulk.Append(points.data() + at, n);
        at += n;
    }
    bulk.Append(points.data() + at, points.size() - at);
    single.Finish();
    bulk.Finish();
    EXPECT_EQ(many.TrackCount, one.TrackCount);
    EXPECT_EQ(many.TrackCapacity, one.TrackCapacity);
    EXPECT_EQ(many.TrackTime, one.TrackTime);
    EXPECT_EQ(many.TrackLon, one.TrackLon);
}

TEST(StoreArray, LargeArraysKeepTheirContentsAndZeroWhatTheyAdd)
{
    // Past 2 MB the memory comes from the system rather than the heap.
    StoreArray<double> a;
    a.resize(300000);
    for (std::size_t i = 0; i < a.size(); ++i)
        a[i] = static_cast<double>(i) + 0.5;
    a.resize(1000000);
    EXPECT_EQ(a[299999], 299999.5);
    EXPECT_EQ(a[300000], 0);
    EXPECT_EQ(a[999999], 0);
    a[999999] = 7;
    const StoreArray<double> copy = a;
    a.resize(10);
    a.resize(1000000);
    EXPECT_EQ(a[9], 9.5);
    EXPECT_EQ(a[10], 0) << "entries an earlier size used come back zero";
    EXPECT_EQ(a[999999], 0);
    EXPECT_EQ(copy.size(), 1000000u);
    EXPECT_EQ(copy[299999], 299999.5);
    EXPECT_EQ(copy[999999], 7);
    StoreArray<double> moved = std::move(a);
    moved.resize(3);
    moved.shrink_to_fit();
    moved.resize(4000000);
    EXPECT_EQ(moved[2], 2.5);
    EXPECT_EQ(moved[3], 0);
}

TEST(TrackSummary, ExtentTimesAndTheShortWayAcrossTheDateLine)
{
    TrackStore store;
    EXPECT_EQ(SummarizeTrack(store).count, 0);
    TrackFiller filler(store);
    filler.Store(40000.5, 0, 179.9 * 60);
    filler.Store(40000.6, 0, -179.9 * 60);  // 0.2 degrees east, across 180
    filler.Store(40000.7, 60, -179.9 * 60); // one degree north
    filler.Finish();
    const TrackSummary s = SummarizeTrack(store);
    EXPECT_EQ(s.count, 3);
    EXPECT_EQ(s.first_time, 40000.5);
    EXPECT_EQ(s.last_time, 40000.7);
    EXPECT_EQ(s.west, -179.9 * 60);
    EXPECT_EQ(s.east, 179.9 * 60);
    EXPECT_EQ(s.north, 60);
    EXPECT_NEAR(s.distance, 12 + 60, 1e-9);
}

TEST(TrackSummary, LongTracksMatchAPlainLegByLegSum)
{
    // Several blocks, pairs of legs and single ones, the date line, the poles.
    std::mt19937 random(5);
    std::uniform_real_distribution<double> step(-0.02, 0.02);
    TrackStore store;
    TrackFiller filler(store);
    double lat = 35 * 60, lon = 179.99 * 60;
    for (int i = 1; i <= 200001; ++i) {
        lat += step(random);
        lon += step(random);
        if (lon > 10800)
            lon -= 21600;
        filler.Store(i, i == 150000 ? 91 * 60 : lat, lon);
    }
    filler.Finish();
    double south = store.TrackLat[1], north = south, west = store.TrackLon[1], east = west, distance = 0;
    for (int i = 2; i <= store.TrackCount; ++i) {
        south = std::min(south, store.TrackLat[i]);
        north = std::max(north, store.TrackLat[i]);
        west = std::min(west, store.TrackLon[i]);
        east = std::max(east, store.TrackLon[i]);
        double dlon = store.TrackLon[i] - store.TrackLon[i - 1];
        if (std::fabs(dlon) > 10800)
            dlon -= std::copysign(21600.0, dlon);
        const double key = std::nearbyint((store.TrackLat[i] + store.TrackLat[i - 1]) / 2 * 100);
        dlon *= std::cos(key / 100 / 60 * M_PI / 180);
        distance += std::hypot(store.TrackLat[i] - store.TrackLat[i - 1], dlon);
    }
    const TrackSummary s = SummarizeTrack(store);
    EXPECT_EQ(s.south, south);
    EXPECT_EQ(s.north, 91 * 60);
    EXPECT_EQ(s.west, west);
    EXPECT_EQ(s.east, east);
    EXPECT_NEAR(s.distance, distance, distance * 1e-12);
}

} // namespace
} // namespace tackedit
