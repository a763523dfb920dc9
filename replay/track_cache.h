#pragma once

// Tracks shared by the races of one run: a day's log is read once however
// many of the day's races name it. Safe to use from several threads; what it
// read stays until it goes.

#include "track/track_store.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <string>

namespace tackedit {

class TrackCache {
public:
    struct Track {
        TrackStore store;
        std::string error;  // why the file did not read; empty when it did
    };

    // The track at `path` (a resolved file name), read on first asking. When
    // another thread is reading it: with `wait`, waits for it; without,
    // returns nullptr at once, so the caller can read another file meanwhile.
    const Track* Find(const std::string& path, bool wait);

    // Files read so far (each once).
    std::size_t Reads() const;

private:
    enum class State { Unread, Reading, Read };
    struct Slot {
        State state = State::Unread;
        Track track;
    };
    mutable std::mutex mutex_;
    std::condition_variable ready_;
    std::map<std::string, Slot> slots_;  // nodes stay put, so a Track given out does too
    std::size_t reads_ = 0;
};

} // namespace tackedit
