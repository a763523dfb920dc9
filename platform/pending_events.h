#pragma once

#include <chrono>
#include <cstdint>

namespace tackedit {

// Lets the window repaint during long loads.
class PendingEvents {
public:
    virtual ~PendingEvents() = default;
    virtual void ProcessPendingEvents() = 0;
};

// Readers call Tick() once per record or scanned byte; the real event pump runs
// at most once per interval, and the clock is read only every few thousand ticks
// so that a byte-by-byte scan stays cheap.
class EventThrottle {
public:
    explicit EventThrottle(PendingEvents& events,
                           std::chrono::milliseconds interval = std::chrono::milliseconds(50))
        : events_(events), interval_(interval), last_(std::chrono::steady_clock::now()) {}

    void Tick()
    {
        if ((++ticks_ & kClockMask) != 0)
            return;
        const auto now = std::chrono::steady_clock::now();
        if (now - last_ < interval_)
            return;
        last_ = now;
        events_.ProcessPendingEvents();
    }

private:
    static constexpr std::uint32_t kClockMask = 4095;
    PendingEvents& events_;
    std::chrono::milliseconds interval_;
    std::chrono::steady_clock::time_point last_;
    std::uint32_t ticks_ = 0;
};

} // namespace tackedit
