#pragma once

namespace tackedit {

// The system's default beep, sounded when a binary track file has been read.
class Beeper {
public:
    virtual ~Beeper() = default;
    virtual void Beep() = 0;
};

} // namespace tackedit
