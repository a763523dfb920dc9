#pragma once

// Flat metres around a point of the race area: a race course is a few
// kilometres across, where the earth's curve is far below GPS noise.

#include <cmath>

namespace tackedit::analysis {

struct PlanePoint {
    double x = 0, y = 0;  // metres east and north of the plane's origin
};

inline constexpr double kMetresPerDegree = 111120;  // 60 nautical miles
inline constexpr double kMetresPerSecondPerKnot = 1852.0 / 3600.0;

class LocalPlane {
public:
    LocalPlane() = default;
    LocalPlane(double lat0, double lon0)
        : lat0_(lat0), lon0_(lon0), cos0_(std::cos(lat0 * 3.14159265358979323846 / 180))
    {
    }
    PlanePoint operator()(double lat, double lon) const
    {
        return {(lon - lon0_) * cos0_ * kMetresPerDegree, (lat - lat0_) * kMetresPerDegree};
    }
    double Latitude(PlanePoint p) const { return lat0_ + p.y / kMetresPerDegree; }
    double Longitude(PlanePoint p) const { return lon0_ + p.x / (cos0_ * kMetresPerDegree); }

private:
    double lat0_ = 0, lon0_ = 0, cos0_ = 1;
};

} // namespace tackedit::analysis
