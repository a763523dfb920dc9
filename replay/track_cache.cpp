#include "replay/track_cache.h"

#include "base/data_error.h"
#include "check/track_shift.h"
#include "track/track_loader.h"

namespace tackedit {

const TrackCache::Track* TrackCache::Find(const std::string& path, bool wait)
{
    std::unique_lock lock(mutex_);
    Slot& slot = slots_[path];
    if (slot.state == State::Reading) {
        if (!wait)
            return nullptr;
        ready_.wait(lock, [&slot] { return slot.state != State::Reading; });
    }
    if (slot.state == State::Read)
        return &slot.track;
    slot.state = State::Reading;
    lock.unlock();

    Track track;
    try {
        TrackEditState edit;
        QuietLoad load;
        LoadTrackFile(path, track.store, edit, load.services);
    } catch (const DataError& e) {
        track.error = e.what();
    } catch (...) {
        // Out of memory, say: the next to ask tries again rather than wait for ever.
        lock.lock();
        slot.state = State::Unread;
        ready_.notify_all();
        throw;
    }
    lock.lock();
    slot.track = std::move(track);
    slot.state = State::Read;
    ++reads_;
    ready_.notify_all();
    return &slot.track;
}

std::size_t TrackCache::Reads() const
{
    std::lock_guard lock(mutex_);
    return reads_;
}

} // namespace tackedit
