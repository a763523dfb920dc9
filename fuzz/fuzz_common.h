#pragma once

// Shared by the fuzz targets; each target is one source file that includes this
// header once and defines Seeds() and LLVMFuzzerTestOneInput.
//
// A failed property aborts with a message, which libFuzzer reports as a crash
// and saves the input. A DataError is a reader's normal answer to bad bytes;
// any other exception escapes and counts as a crash too.

#include "platform/null_platform.h"
#include "base/data_error.h"
#include "base/datetime.h"
#include "track/formats/format_common.h"
#include "track/formats/gpx_writer.h"
#include "track/formats/trb_format.h"
#include "track/track_store.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace tackedit::fuzz {

// Small files made by our own code; TACKEDIT_FUZZ_SEEDS=FOLDER writes them there
// (seed-1, seed-2 ...) and ends the program instead of fuzzing.
std::vector<std::string> Seeds();

inline void Check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "property failed: %s\n", what);
        std::abort();
    }
}

inline std::string_view Bytes(const std::uint8_t* data, std::size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

// A short track with the awkward corners: both hemispheres, a fraction of a
// second, a date before 1970.
inline TrackStore SampleTrack()
{
    TrackStore store;
    TrackFiller filler(store);
    const double points[][3] = {{2130, 8355, 0}, {-1995.5, -9090.25, 13.5}, {0.001, -0.5, 3600}};
    const DateTime day = *TryEncodeDate(2010, 5, 3);
    for (const auto& p : points)
        filler.Store(day + p[2] / 86400, p[0], p[1]);
    filler.Store(*TryEncodeDate(1969, 12, 31), 60, 60);
    filler.Finish();
    return store;
}

// What every track reader's result goes through: both encoders, which leave out
// what they say they do, and a TRB file read back must encode to the same bytes.
inline void EncodeWhatWasRead(const TrackStore& store)
{
    std::int32_t left_out = -1;
    EncodeGpxTrack(store, &left_out);
    Check(left_out == SameSecondFixes(store, WholeSecondFormat::Gpx, true), "GPX leaves out the fixes counted");
    std::string trb;
    try {
        trb = EncodeTrbTrack(store, "fuzz.trb", &left_out);
    } catch (const DataError&) {
        return;  // a time the 32-bit field cannot hold is refused, never wrapped
    }
    Check(left_out == SameSecondFixes(store, WholeSecondFormat::Trb, false), "TRB leaves out the fixes counted");
    TrackStore again;
    NullPendingEvents events;
    ParseTrbTrack(trb, again, events);
    Check(again.TrackCount == store.TrackCount - left_out, "TRB read back has every point written");
    std::int32_t again_left_out = -1;
    Check(EncodeTrbTrack(again, "fuzz.trb", &again_left_out) == trb && again_left_out == 0,
          "TRB read back encodes to the same bytes");
}

// One track reader on the input; a DataError ends the read as it would a load.
template <class Read>
int ReadThenEncode(const std::uint8_t* data, std::size_t size, Read read)
{
    TrackStore store;
    try {
        read(Bytes(data, size), store);
    } catch (const DataError&) {
        // What a failed load leaves behind must still be safe to save.
    }
    Check(store.TrackCount >= 0 && store.TrackCount <= store.TrackCapacity, "count within capacity");
    EncodeWhatWasRead(store);
    return 0;
}

} // namespace tackedit::fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (const char* folder = std::getenv("TACKEDIT_FUZZ_SEEDS")) {
        int n = 0;
        for (const std::string& seed : tackedit::fuzz::Seeds())
            std::ofstream(std::string(folder) + "/seed-" + std::to_string(++n), std::ios::binary) << seed;
        std::exit(0);
    }
    return 0;
}
