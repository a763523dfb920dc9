#include "analysis/motion.h"
#include "synthetic_race.h"

#include <gtest/gtest.h>

using namespace tackedit::analysis;
using namespace tackedit::analysis::synthetic;

namespace {

constexpr double kKnot = kMetresPerSecondPerKnot;

// Upwind zigzags at 3 m/s, a fast reach at 4.5 m/s, a slow run home.
Path Zigzag()
{
    Path path;
    path.from = {0, 0};
    double x = 0, y = 0;
    for (int i = 0; i < 6; ++i) {
        x = (i % 2 == 0) ? 250 : -250;
        y += 250;
        path.legs.push_back({{x, y}, 3.0});
    }
    path.legs.push_back({{x + 1500, y}, 4.5});
    path.legs.push_back({{0, 0}, 2.5});
    return path;
}

double Near(const std::optional<PlanePoint>& p, PlanePoint truth)
{
    return p ? std::hypot(p->x - truth.x, p->y - truth.y) : 1e9;
}

} // namespace

TEST(CleanMotion, NoiseNeitherInflatesDistanceNorSpeed)
{
    const Path path = Zigzag();
    const BoatMotion m = CleanMotion(Log(path, {0, path.End(), 1, 1.5, false, 7}), kPlane);
    ASSERT_FALSE(m.Empty());
    EXPECT_EQ(m.fixes_rejected, 0);
    EXPECT_TRUE(m.gaps.empty());
    EXPECT_NEAR(m.sailed_m.back(), path.Length(), 0.05 * path.Length());
    EXPECT_NEAR(m.BestAverageSpeed(0, path.End()) / kKnot, 4.5 / kKnot, 2.5);
    // On the reach: speed, course and position.
    const double mid = path.Reaches(5) + 150;
    EXPECT_NEAR(*m.SpeedAt(mid), 4.5, 0.5);
    EXPECT_NEAR(m.course_deg[static_cast<std::size_t>(mid)], 90, 5);
    EXPECT_LT(Near(m.PositionAt(mid + 0.5), path.At(mid + 0.5)), 6);
    EXPECT_NEAR(m.SailedBetween(path.Reaches(5), path.Reaches(6)), 1500, 75);
    EXPECT_FALSE(m.PositionAt(-1));
    EXPECT_FALSE(m.PositionAt(path.End() + 2));

    // A kiteboard at 34 knots is fast, not jumping, even logged without noise.
    Path kite;
    kite.legs = {{{0, 3000}, 17.5}, {{3000, 3000}, 17.5}};
    const BoatMotion fast = CleanMotion(Log(kite, {0, kite.End(), 1, 0, false, 8}), kPlane);
    EXPECT_EQ(fast.fixes_rejected, 0);
    EXPECT_NEAR(fast.BestAverageSpeed(0, kite.End()), 17.5, 0.5);
}

TEST(CleanMotion, TeleportsAreSetAsideAndCounted)
{
    const Path path = Zigzag();
    std::vector<RawFix> fixes = Log(path, {0, path.End(), 1, 1.5, false, 3});
    // Out and back: one fix 3 km away, two fixes 6 km away, three 4.5 km away
    // (the last two leave and return in one step each).
    Jump(fixes, 200, 3000);
    Jump(fixes, 900, -6000);
    Jump(fixes, 901, -6000);
    for (double t : {1500, 1501, 1502})
        Jump(fixes, t, 4500);
    // The very first fix wild too: the track must not be anchored on it.
    Jump(fixes, 0, 5000);
    const BoatMotion m = CleanMotion(fixes, kPlane);
    EXPECT_EQ(m.fixes_rejected, 7);
    EXPECT_NEAR(m.sailed_m.back(), path.Length(), 0.05 * path.Length());
    EXPECT_NEAR(m.BestAverageSpeed(0, path.End()) / kKnot, 4.5 / kKnot, 2.5);
    // Drawn where its good fixes say, never on a line to the wild ones.
    for (double t : {200.0, 900.5, 1501.0})
        EXPECT_LT(Near(m.PositionAt(t), path.At(t)), 10) << t;
}

TEST(CleanMotion, FastLoggersAreCombinedNotJumps)
{
    const Path path = Zigzag();
    for (bool whole : {true, false}) {
        SCOPED_TRACE(whole ? "whole seconds" : "fractions kept");
        std::vector<RawFix> fixes = Log(path, {0, path.End(), 10, 1.5, whole, 5});
        Jump(fixes, 600, 4000);  // one wild fix inside a second
        const BoatMotion m = CleanMotion(fixes, kPlane);
        EXPECT_EQ(m.fixes_rejected, 1);
        EXPECT_GT(m.fixes_combined, static_cast<int>(fixes.size()) * 8 / 10);
        EXPECT_LE(m.t.size(), static_cast<std::size_t>(path.End()) + 2);
        EXPECT_NEAR(m.sailed_m.back(), path.Length(), 0.05 * path.Length());
        EXPECT_NEAR(m.BestAverageSpeed(0, path.End()) / kKnot, 4.5 / kKnot, 2.5);
        EXPECT_LT(Near(m.PositionAt(600.5), path.At(600.5)), 6);
        // Not drawn ahead of itself: a second's fixes stand for the middle of
        // that second, not its start (on the reach east, 4.5 m/s).
        double ahead = 0;
        int n = 0;
        for (double t = path.Reaches(5) + 20; t < path.Reaches(6) - 20; t += 7.3, ++n)
            ahead += m.PositionAt(t)->x - path.At(t).x;
        EXPECT_NEAR(ahead / n, 0, 0.5);
    }
}

TEST(CleanMotion, GapsAreNotSailedAcross)
{
    const Path path = Zigzag();
    std::vector<RawFix> fixes = Log(path, {0, path.End(), 1, 1.5, false, 9});
    // The reach's logging lost for 200 s: 900 m unrecorded.
    const double lost_from = path.Reaches(5) + 50, lost_to = lost_from + 200;
    std::erase_if(fixes, [&](const RawFix& f) { return f.t > lost_from && f.t < lost_to; });
    const BoatMotion m = CleanMotion(fixes, kPlane);
    ASSERT_EQ(m.gaps.size(), 1u);
    EXPECT_EQ(m.fixes_rejected, 0);
    EXPECT_FALSE(m.PositionAt(lost_from + 100));
    EXPECT_FALSE(m.SpeedAt(lost_from + 100));
    EXPECT_TRUE(m.PositionAt(lost_to + 1));
    EXPECT_NEAR(m.SailedBetween(lost_from - 20, lost_to + 20), 40 * 4.5, 15);
    EXPECT_NEAR(m.sailed_m.back(), path.Length() - 200 * 4.5, 0.05 * path.Length());
}
