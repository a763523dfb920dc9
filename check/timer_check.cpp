#include "check/timer_check.h"

#include "race/race_file.h"
#include "base/messages.h"

#include <cmath>
#include <cstdio>
#include <optional>

namespace tackedit {

namespace {

using namespace texts::check;

std::string Degrees(double minutes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", minutes / 60);
    return text;
}

// The ping of that end in force at `reference`: the last one before it, or,
// when the timer pinged only later, the first after.
const VkxEvent* LineEnd(const VkxEvents& events, VkxEvent::Kind end, DateTime reference)
{
    const VkxEvent* before = nullptr;
    const VkxEvent* after = nullptr;
    for (const VkxEvent& e : events.list) {
        if (e.kind != end)
            continue;
        if (e.time <= reference && (!before || e.time >= before->time))
            before = &e;
        else if (e.time > reference && (!after || e.time < after->time))
            after = &e;
    }
    return before ? before : after;
}

} // namespace

std::vector<Finding> TimerFindings(const VkxEvents& events, DateTime start, double time_diff, int ui_language)
{
    std::vector<Finding> findings;
    const auto say = [ui_language](const Text& text, std::initializer_list<std::string> args = {}) {
        return Say(text, ui_language, args);
    };
    const auto local = [time_diff](DateTime utc) {
        return std::round((utc + time_diff / 24) * SecondsPerDay) / SecondsPerDay;
    };

    // A timer left running may have started several races that day: the one
    // nearest to this race's start is its own.
    const VkxEvent* race_start = nullptr;
    int race_starts = 0;
    for (const VkxEvent& e : events.list)
        if (e.kind == VkxEvent::RaceStart) {
            ++race_starts;
            if (!race_start || std::fabs(e.time - start) < std::fabs(race_start->time - start))
                race_start = &e;
        }
    if (race_start) {
        const auto off = std::llround((race_start->time - start) * SecondsPerDay);
        const std::string when = off == 0 ? say(kTimerOnStart)
                                          : say(off > 0 ? kTimerAfter : kTimerBefore,
                                                {FormatDuration(static_cast<double>(std::llabs(off)), ui_language)});
        const bool far = std::llabs(off) > kTimerStartSeconds;
        findings.push_back(
            {far ? Severity::Warning : Severity::Info, "",
             say(kTimerRaceStart,
                 {FormatRaceDateTime(local(race_start->time)), when,
                  race_starts > 1 ? say(kTimerNearest, {std::to_string(race_starts)}) : "",
                  far ? say(kTimerOff, {std::to_string(kTimerStartSeconds), FormatRaceDateTime(local(start))}) : ""}),
             0, {}, {}});
    }
    const DateTime reference = race_start ? race_start->time : start;
    for (const auto& [end, name] : {std::pair{VkxEvent::Pin, kPinEnd}, std::pair{VkxEvent::Boat, kBoatEnd}})
        if (const VkxEvent* ping = LineEnd(events, end, reference)) {
            const DateTimeParts t = DecodeDateTimeToSecond(local(ping->time));
            char clock[16];
            std::snprintf(clock, sizeof clock, "%d:%02d:%02d", t.hour, t.minute, t.second);
            findings.push_back({Severity::Info, "",
                                say(kTimerLineEnd, {say(name), Degrees(ping->lat), Degrees(ping->lon), clock}), 0,
                                {}, {}});
        }
    return findings;
}

} // namespace tackedit
