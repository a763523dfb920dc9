#pragma once

#include <string>

namespace tackedit {

// The race being compiled. The settings file keeps five of its values between
// runs; the rest of the record comes with the race file.
struct RaceSettings {
    double Loa = 4.7;       // boat length over all, metres
    double MagVar = -7.0;   // magnetic variation, degrees, west negative
    int TimeDiff = 9;       // hours
    int LayUp = 45;         // lay-line angle upwind, degrees
    int LayDown = 160;      // lay-line angle downwind, degrees
};

} // namespace tackedit
