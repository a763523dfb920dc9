#pragma once

// The race as a debrief tells it: per boat its start, its mark roundings in
// course order, legs, manoeuvres, finish and status, and at any instant the
// fleet's ranking along the course. Worked out once from the race and its
// tracks; the replay page and the command line only show it.

#include "analysis/motion.h"

#include <optional>
#include <string>
#include <vector>

namespace tackedit::analysis {

struct CourseLine {
    double lat1 = 0, lon1 = 0, lat2 = 0, lon2 = 0;  // its first and second end
};

struct AnalysisBoat {
    std::string name, file, boat_class;
    double tcf = 1;            // 0 counts as 1
    double start_offset_s = 0; // its own gun is the race's plus this
    bool entered = true;       // false: not scored (a spectator boat)
    std::vector<RawFix> fixes;
};

struct WindSample {
    double t = 0;         // UTC seconds
    double from_deg = 0;  // where the wind comes from, degrees true
};

struct AnalysisRace {
    std::string title;
    double gun = 0;  // the race's start, UTC seconds
    // The MK entries by their number from 1; nullopt for one left out (named
    // by the course but placed nowhere near the tracks).
    std::vector<std::optional<std::pair<double, double>>> marks;  // lat, lon
    std::vector<CourseLine> lines;                                // LN entries in order
    std::vector<std::string> course;  // CRS: "S", mark numbers, "F"
    std::optional<double> wind_from_deg;  // WD
    std::vector<WindSample> wind;         // the wind file; used before WD where it covers the time
    double boat_length_m = 0;             // LG
    std::vector<AnalysisBoat> boats;
};

// Unscored: the race lacks what scoring needs (a line, the course's S or F, a
// mark it names); the race's notes say what.
enum class BoatStatus { Finished, Ocs, Nsc, Dnf, Dns, Unscored };
const char* StatusCode(BoatStatus status);  // "finished", "ocs", "nsc", "dnf", "dns", "unscored"

struct StartFigures {
    double gun = 0;  // the boat's own gun
    std::optional<double> distance_to_line_m;  // at its gun: + on the pre-start side, - over
    std::optional<double> speed_kn;            // at its gun
    bool over_at_gun = false;
    bool returned = false;               // over at the gun, then back to the pre-start side
    std::optional<double> crossed;       // when it crossed the line to start
    std::optional<double> late_s;        // crossed - gun
    std::optional<double> line_fraction; // where along the line it crossed: 0 the first end, 1 the second
    std::optional<double> behind_at_gun_m, behind_after_minute_m;  // behind the leader along the wind
};

struct Rounding {
    std::string mark;  // the course entry
    double at = 0;     // closest approach
    int rank = 0;      // by elapsed time from their own gun, among the boats of its class that rounded it
};

struct LegFigures {
    std::string from, to;  // course entries
    double elapsed_s = 0, sailed_m = 0, avg_speed_kn = 0, vmg_kn = 0;
    int tacks = 0, gybes = 0;
    // Seconds with the wind over the starboard and over the port side (on
    // each tack upwind, each gybe downwind); nullopt without wind.
    std::optional<double> starboard_s, port_s;
    int places_gained = 0;           // rank at its end mark against the one at its start
    std::optional<double> behind_s;  // behind the leader at the mark that ends it
};

struct Manoeuvre {
    double at = 0;
    bool tack = true;  // false: a gybe
    PlanePoint where;
    double loss_s = 0, loss_m = 0;  // against the VMG before it
};

struct BoatAnalysis {
    BoatStatus status = BoatStatus::Dns;
    std::string status_reason;
    StartFigures start;
    std::vector<Rounding> roundings;
    std::vector<LegFigures> legs;
    std::vector<Manoeuvre> manoeuvres;
    std::optional<double> finish_at, elapsed_s, corrected_s;
    std::optional<int> rank;  // among finishers (of its class where classes are set), by corrected time
    int tacks = 0, gybes = 0;
    double sailed_m = 0, max_speed_kn = 0;  // from its start crossing to its finish or last fix
    BoatMotion motion;
};

struct RaceAnalysis {
    LocalPlane plane;
    std::vector<BoatAnalysis> boats;  // in the race's boat order
    std::optional<double> line_bias_deg;
    // What could not be analysed and why ("the course names mark 7, which the race does not have").
    std::vector<std::string> notes;
};

RaceAnalysis AnalyseRace(const AnalysisRace& race);

// The fleet at one instant, in the race's boat order.
struct LiveBoat {
    // Within its class, finished boats first; nullopt when not racing
    // (before its start crossing, OCS, in a gap, after its last fix).
    std::optional<int> rank;
    double to_go_m = 0, behind_m = 0;  // along the leg's axis and the course's later legs
    int leg = 0;  // 1-based; 0 before the start
    double speed_kn = 0, vmg_kn = 0;
};
std::vector<LiveBoat> FleetAt(const RaceAnalysis& analysis, const AnalysisRace& race, double t);

} // namespace tackedit::analysis
