#pragma once

namespace tackedit {

class TimeZoneInfo {
public:
    virtual ~TimeZoneInfo() = default;
    // Minutes to add to local standard time to get UTC (Japan: -540).
    virtual int StandardBiasMinutes() = 0;
};

} // namespace tackedit
