#pragma once

// Do-nothing services for the command-line tool and for tests; the beeper and
// the event pump count their calls so tests can check them.

#include "platform/beeper.h"
#include "platform/cursor.h"
#include "platform/pending_events.h"

#include <functional>

namespace tackedit {

class NullPendingEvents final : public PendingEvents {
public:
    void ProcessPendingEvents() override
    {
        ++calls;
        if (meanwhile)
            meanwhile();
    }
    int calls = 0;
    std::function<void()> meanwhile;  // a test's stand-in for what the user does meanwhile
};

class CountingBeeper final : public Beeper {
public:
    void Beep() override { ++beeps; }
    int beeps = 0;
};

class NullCursor final : public CursorControl {
public:
    void ShowBusyCursor() override { busy = true; }
    void ShowDefaultCursor() override { busy = false; }
    bool busy = false;
};

} // namespace tackedit
