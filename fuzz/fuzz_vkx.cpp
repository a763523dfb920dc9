// The VKX reader on any bytes, then both encoders; the events it keeps must be
// times and positions a race check can tell.
#include "fuzz/fuzz_common.h"
#include "tests/vkx_encoder.h"
#include "track/formats/vkx_reader.h"

#include <cmath>

using namespace tackedit;

std::vector<std::string> fuzz::Seeds()
{
    testing::VkxEncoder vkx(5, 120);
    vkx.Other(0x08, 13);
    vkx.LinePosition(1718412900000, 0, 35.25f, 139.5f);
    vkx.LinePosition(1718412960000, 1, -35.25f, -139.5f);
    vkx.TimerEvent(1718412900000, 1, 300);
    for (int i = 0; i < 6; ++i) {
        vkx.Position(1718413200000 + i * 1000, 35.123 + i * 1e-5, -139.5);
        vkx.Other(0x0A, 16);
    }
    vkx.TimerEvent(1718413200000, 3, 0);
    vkx.TimerEvent(1718416800000, 4, 3600);
    testing::VkxEncoder old(0);
    old.Other(0x03, 20);
    old.Position(0, -0.5, 0.5);
    return {vkx.Bytes(), old.Bytes()};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return fuzz::ReadThenEncode(data, size, [](std::string_view bytes, TrackStore& store) {
        VkxEvents events;
        ParseVkxTrack(bytes, "fuzz.vkx", store, &events);
        for (const VkxEvent& e : events.list) {
            fuzz::Check(e.time >= TrackEpoch && e.time < *TryEncodeDate(9999, 12, 31) + 1, "event time in range");
            fuzz::Check(std::fabs(e.lat) <= 90 * 60 && std::fabs(e.lon) <= 180 * 60, "ping is a position");
            fuzz::Check(VkxEventName(e.kind)[0] != '\0', "event of a known kind");
        }
    });
}
