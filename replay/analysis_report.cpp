#include "replay/analysis_report.h"

#include <chrono>
#include <cmath>
#include <cstdio>

namespace tackedit {

using nlohmann::ordered_json;

std::string UtcTime(double seconds)
{
    const auto tenths = static_cast<long long>(std::llround(seconds * 10));
    const long long whole = tenths >= 0 ? tenths / 10 : -((-tenths + 9) / 10);
    const auto day = std::chrono::floor<std::chrono::days>(std::chrono::sys_seconds{std::chrono::seconds{whole}});
    const std::chrono::year_month_day date{day};
    const long long in_day = whole - std::chrono::sys_seconds{day}.time_since_epoch().count();
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02lld:%02lld:%02lld", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()), in_day / 3600,
                  in_day / 60 % 60, in_day % 60);
    std::string out = text;
    if (const long long frac = tenths - whole * 10; frac != 0)
        out += "." + std::to_string(frac);
    return out + "Z";
}

std::string ElapsedClock(double seconds)
{
    const auto tenths = static_cast<long long>(std::llround(seconds * 10));
    char text[40];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld.%lld", tenths / 36000, tenths / 600 % 60, tenths / 10 % 60,
                  tenths % 10);
    return text;
}

double Tenths(double value) { return std::round(value * 10) / 10; }

namespace {

template <typename T, typename F>
ordered_json OrNull(const std::optional<T>& value, F f)
{
    return value ? ordered_json(f(*value)) : ordered_json(nullptr);
}

ordered_json BoatJson(const analysis::AnalysisBoat& in, const analysis::BoatAnalysis& b)
{
    const auto tenths = [](double v) { return Tenths(v); };
    const auto time = [](double v) { return UtcTime(v); };
    ordered_json boat = {{"name", in.name}, {"file", in.file}, {"status", analysis::StatusCode(b.status)},
                         {"status_reason", b.status_reason}};
    const analysis::StartFigures& s = b.start;
    boat["start"] = {{"gun", UtcTime(s.gun)},
                     {"distance_to_line_m", OrNull(s.distance_to_line_m, tenths)},
                     {"speed_kn", OrNull(s.speed_kn, tenths)},
                     {"over_at_gun", s.over_at_gun},
                     {"returned", s.returned},
                     {"crossed", OrNull(s.crossed, time)},
                     {"late_s", OrNull(s.late_s, tenths)},
                     {"line_position_pct", OrNull(s.line_fraction, [](double v) { return std::round(v * 100); })},
                     {"behind_at_gun_m", OrNull(s.behind_at_gun_m, tenths)},
                     {"behind_after_minute_m", OrNull(s.behind_after_minute_m, tenths)}};
    ordered_json roundings = ordered_json::array();
    for (const analysis::Rounding& r : b.roundings)
        roundings.push_back({{"mark", r.mark}, {"at", UtcTime(r.at)}, {"rank", r.rank}});
    boat["roundings"] = std::move(roundings);
    ordered_json legs = ordered_json::array();
    for (const analysis::LegFigures& l : b.legs)
        legs.push_back({{"from", l.from},
                        {"to", l.to},
                        {"elapsed_s", Tenths(l.elapsed_s)},
                        {"sailed_m", Tenths(l.sailed_m)},
                        {"avg_speed_kn", Tenths(l.avg_speed_kn)},
                        {"vmg_kn", Tenths(l.vmg_kn)},
                        {"tacks", l.tacks},
                        {"gybes", l.gybes},
                        {"starboard_s", OrNull(l.starboard_s, tenths)},
                        {"port_s", OrNull(l.port_s, tenths)},
                        {"places_gained", l.places_gained},
                        {"behind_s", OrNull(l.behind_s, tenths)}});
    boat["legs"] = std::move(legs);
    if (b.finish_at)
        boat["finish"] = {{"at", UtcTime(*b.finish_at)},
                          {"elapsed_s", OrNull(b.elapsed_s, tenths)},
                          {"corrected_s", OrNull(b.corrected_s, tenths)},
                          {"rank", OrNull(b.rank, [](int r) { return r; })}};
    else
        boat["finish"] = nullptr;
    boat["tacks"] = b.tacks;
    boat["gybes"] = b.gybes;
    boat["sailed_m"] = Tenths(b.sailed_m);
    boat["max_speed_kn"] = Tenths(b.max_speed_kn);
    boat["fixes_rejected"] = b.motion.fixes_rejected;
    ordered_json manoeuvres = ordered_json::array();
    for (const analysis::Manoeuvre& m : b.manoeuvres)
        manoeuvres.push_back({{"kind", m.tack ? "tack" : "gybe"},
                              {"at", UtcTime(m.at)},
                              {"loss_s", Tenths(m.loss_s)},
                              {"loss_m", Tenths(m.loss_m)}});
    boat["manoeuvres"] = std::move(manoeuvres);
    return boat;
}

} // namespace

ordered_json AnalysisReport(const analysis::AnalysisRace& race, const analysis::RaceAnalysis& result,
                            const std::vector<std::string>& notes)
{
    ordered_json course = ordered_json::array();
    for (const std::string& c : race.course)
        course.push_back(c);
    ordered_json out;
    out["race"] = {{"title", race.title},
                   {"gun", UtcTime(race.gun)},
                   {"wind_from_deg", OrNull(race.wind_from_deg, [](double v) { return Tenths(v); })},
                   {"course", std::move(course)},
                   {"line_bias_deg", OrNull(result.line_bias_deg, [](double v) { return Tenths(v); })}};
    ordered_json boats = ordered_json::array();
    for (std::size_t k = 0; k < result.boats.size() && k < race.boats.size(); ++k)
        boats.push_back(BoatJson(race.boats[k], result.boats[k]));
    out["boats"] = std::move(boats);
    out["notes"] = notes;
    return out;
}

} // namespace tackedit
