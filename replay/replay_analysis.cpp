#include "replay/replay_analysis.h"

#include "replay/analysis_input.h"
#include "replay/analysis_report.h"
#include "replay/packing.h"
#include "replay/race_results.h"
#include "replay/replay_data.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace tackedit {

using nlohmann::ordered_json;

namespace {

// The seconds of local time the analysis kept a fix in.
std::set<std::int64_t> KeptSeconds(const analysis::BoatMotion& motion, double utc_shift)
{
    std::set<std::int64_t> kept;
    for (const double t : motion.t)
        kept.insert(static_cast<std::int64_t>(std::floor(t + utc_shift)));
    return kept;
}

void DropSetAside(ReplayBoat& boat, const std::set<std::int64_t>& kept)
{
    std::size_t out = 0;
    for (std::size_t i = 0; i < boat.time.size(); ++i)
        if (kept.count(boat.time[i])) {
            boat.time[out] = boat.time[i];
            boat.lat[out] = boat.lat[i];
            boat.lon[out] = boat.lon[i];
            ++out;
        }
    boat.time.resize(out);
    boat.lat.resize(out);
    boat.lon.resize(out);
}

// The window the page plays, in local seconds, as the page reads it.
std::pair<std::int64_t, std::int64_t> PlayWindow(const ReplayRace& race)
{
    std::int64_t from = race.start + race.replay_from, to = race.start + race.replay_to;
    if (to > from)
        return {from, to};
    from = INT64_MAX;
    to = INT64_MIN;
    for (const ReplayBoat& b : race.boats)
        if (!b.time.empty()) {
            from = std::min(from, b.time.front());
            to = std::max(to, b.time.back());
        }
    if (from > to)
        return {race.start, race.start + 3600};
    return {from, std::max(to, from + 1)};
}

} // namespace

void AddAnalysis(const RaceSettings& settings, ReplayRace& race)
{
    auto out = std::make_shared<ReplayAnalysis>();
    AnalysisInput input = MakeAnalysisInput(settings, race);
    out->result = analysis::AnalyseRace(input.race);
    out->notes = std::move(input.notes);
    out->notes.insert(out->notes.end(), out->result.notes.begin(), out->result.notes.end());
    for (analysis::AnalysisBoat& b : input.race.boats)
        b.fixes = {};
    out->race = std::move(input.race);
    const double utc_shift = 3600.0 * race.time_diff;
    for (std::size_t k = 0; k < race.boats.size() && k < out->result.boats.size(); ++k) {
        const analysis::BoatMotion& motion = out->result.boats[k].motion;
        if (motion.fixes_rejected > 0)
            DropSetAside(race.boats[k], KeptSeconds(motion, utc_shift));
    }
    race.analysis = std::move(out);
}

ordered_json AnalysisScript(const ReplayRace& race)
{
    if (!race.analysis)
        return nullptr;
    const ReplayAnalysis& a = *race.analysis;
    const double utc_shift = 3600.0 * race.time_diff;
    const auto [from, to] = PlayWindow(race);
    const std::int64_t count = (to - from) / kFleetSampleStep + 2;
    const std::size_t boats = std::min(a.result.boats.size(), a.race.boats.size());
    std::vector<std::string> packed(boats);
    std::vector<std::array<std::int64_t, 5>> last(boats, std::array<std::int64_t, 5>{});
    for (std::int64_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(from + i * kFleetSampleStep) - utc_shift;
        const auto fleet = analysis::FleetAt(a.result, a.race, t);
        for (std::size_t k = 0; k < boats && k < fleet.size(); ++k) {
            const analysis::LiveBoat& live = fleet[k];
            const bool racing = live.rank.has_value();
            const bool moving = a.result.boats[k].motion.SpeedAt(t).has_value();
            // 0 stands for none: not racing, no speed known.
            const std::array<std::int64_t, 5> v{racing ? *live.rank : 0,
                                                racing ? std::llround(live.behind_m) : 0, live.leg,
                                                moving ? std::llround(live.speed_kn * 10) + 1 : 0,
                                                racing ? std::llround(live.vmg_kn * 10) : 0};
            // A byte telling which values changed, then their changes: ranks
            // and legs seldom do, a boat not racing hardly anything.
            const std::size_t head = packed[k].size();
            packed[k].push_back(0);
            for (std::size_t j = 0; j < v.size(); ++j)
                if (v[j] != last[k][j]) {
                    packed[k][head] = static_cast<char>(packed[k][head] | (1 << j));
                    Varint(packed[k], Zigzag(v[j] - last[k][j]));
                    last[k][j] = v[j];
                }
        }
    }
    ordered_json samples = ordered_json::array(), manoeuvres = ordered_json::array();
    for (std::size_t k = 0; k < boats; ++k) {
        samples.push_back(Base64(packed[k]));
        ordered_json list = ordered_json::array();
        for (const analysis::Manoeuvre& m : a.result.boats[k].manoeuvres)
            list.push_back({Tenths(m.at + utc_shift), m.tack ? 1 : 0, Tenths(m.loss_m), Tenths(m.loss_s)});
        manoeuvres.push_back(std::move(list));
    }
    return {{"step", kFleetSampleStep}, {"from", from},           {"count", count},
            {"samples", samples},       {"manoeuvres", manoeuvres}, {"report", AnalysisReport(a.race, a.result, a.notes)}};
}

std::optional<std::vector<RaceResult>> ReplayResults(const ReplayRace& race, std::string& why)
{
    if (!race.analysis)
        return std::nullopt;
    if (const auto none = WhyNoResults(race)) {
        why = *none;
        return std::nullopt;
    }
    return ResultsOf(race.analysis->race, race.analysis->result, race.time_diff, &why);
}

ordered_json ResultsScript(const ReplayRace& race, std::string& why)
{
    ordered_json rows = ordered_json::array();
    const auto results = ReplayResults(race, why);
    if (!results)
        return rows;
    const auto or_null = [](const auto& v) { return v ? ordered_json(*v) : ordered_json(nullptr); };
    for (const RaceResult& r : *results)
        rows.push_back({{"name", r.name},
                        {"class", r.boat_class},
                        {"finish", r.finish ? ordered_json(FormatLocalSeconds(*r.finish)) : ordered_json(nullptr)},
                        {"finishTime", or_null(r.finish)},
                        {"elapsed", or_null(r.elapsed)},
                        {"corrected", or_null(r.corrected)},
                        {"rank", or_null(r.rank)},
                        {"status", r.status}});
    return rows;
}

} // namespace tackedit
