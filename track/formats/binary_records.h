#pragma once

// What the binary readers (gdb, trl, TRB) share: reading a file whole and
// beeping once, and the fixed records of trl and TRB.

#include "base/file_buffer.h"
#include "platform/beeper.h"
#include "platform/pending_events.h"
#include "track/track_store.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tackedit {

// Binary readers beep once per file they read, also when it held no point.
template <class Parse>
void ReadBinaryFile(const std::string& path, TrackStore& store, PendingEvents& events, Beeper& beeper,
                    Parse parse)
{
    if (!FileExists(path))
        return;
    const FileBytes data = ReadWholeFile(path);
    ReadUnchanged(data, [&] { parse(data.view(), store, events); });
    beeper.Beep();
}

// Fixed records of time, latitude and longitude (single-precision degrees); a
// trailing partial record is dropped rather than read past the data. Records
// are independent, so the threads convert stretches of them straight into the
// store; this thread lets the window repaint meanwhile.
void ReadFixedRecords(std::string_view data, std::size_t record_length, TrackFiller& filler, TrackStore& store,
                      EventThrottle& throttle);

} // namespace tackedit
