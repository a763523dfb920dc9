#pragma once

// The pieces AnalyseRace is made of, one file each: the course read from the
// race, the start, the roundings and finish, the manoeuvres. Internal to the library.

#include "analysis/geometry.h"
#include "analysis/race_analysis.h"

#include <optional>
#include <string>
#include <vector>

namespace tackedit::analysis {

// A mark is passed at close range: within this of it, or across the line
// through it that bisects its two legs.
inline constexpr double kRoundingRange = 100;

struct CoursePoint {
    std::string entry;  // "S", a mark number, "F"
    bool known = false;  // placed: a line we have or a mark the race has
    PlanePoint where;    // the mark, or the line's middle
};

struct Course {
    std::vector<CoursePoint> points;  // in course order
    std::optional<Segment> start, finish;
    // Side(start, p) times this is + on the pre-start side.
    double pre_start_sign = 0;
    // Finishes, statuses and ranks can be worked out: S first, F last, every
    // mark placed, and a known pre-start side.
    bool scorable = false;
    std::string unscored_reason;
};

// Where the wind comes from at t: the wind file where it covers t, else WD.
std::optional<double> WindAt(const AnalysisRace& race, double t);

Course ReadCourse(const AnalysisRace& race, const LocalPlane& plane, std::vector<std::string>& notes);

// The boat's start figures from its own gun; sets OCS or DNS when it never
// started. Returns whether it started.
bool AnalyseStart(const Course& course, const BoatMotion& motion, double gun, BoatAnalysis& boat);

// Mark roundings in course order after the start crossing, then the finish;
// sets the status (finished, NSC or DNF) and its reason.
void AnalyseCourse(const Course& course, const BoatMotion& motion, BoatAnalysis& boat);

// Tacks and gybes between two times, with what each cost against the VMG
// before it; none without wind.
std::vector<Manoeuvre> FindManoeuvres(const AnalysisRace& race, const BoatMotion& motion, double from, double to);

} // namespace tackedit::analysis
