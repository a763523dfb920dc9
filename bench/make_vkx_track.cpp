// Writes the VKX benchmark's input: a Vakaros timer's log of POINTS fixes at
// 4 Hz, with its start sequence, line pings and a wind row every 40 fixes.
//   make-vkx-track FILE POINTS

#include "tests/vkx_encoder.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    char* end = nullptr;
    const long points = argc == 3 ? std::strtol(argv[2], &end, 10) : -1;
    if (argc != 3 || *end != '\0' || points <= 0) {
        std::fprintf(stderr, "usage: make-vkx-track FILE POINTS\n");
        return 2;
    }
    constexpr std::uint64_t kStart = 1718413200000;  // 2024-06-15 01:00:00 UTC
    tackedit::testing::VkxEncoder vkx;
    vkx.Other(0x08, 13);
    vkx.LinePosition(kStart - 400000, 0, 35.3001f, 139.4801f);
    vkx.LinePosition(kStart - 390000, 1, 35.3004f, 139.4822f);
    vkx.TimerEvent(kStart - 300000, 1, 300);
    vkx.TimerEvent(kStart, 3, 0);
    for (long i = 0; i < points; ++i) {
        // Sailing loops off Enoshima.
        const double t = static_cast<double>(i) / 4;
        const double lat = 35.30 + 0.01 * std::sin(t / 600);
        const double lon = 139.48 + 0.012 * std::cos(t / 900);
        const std::uint64_t ms = kStart + static_cast<std::uint64_t>(i) * 250;
        vkx.Position(ms, lat, lon);
        if (i % 40 == 0)
            vkx.Other(0x0A, 16);
    }
    vkx.TimerEvent(kStart + static_cast<std::uint64_t>(points) * 250, 4, 0);
    const std::string bytes = vkx.Bytes();
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() || std::fclose(out) != 0) {
        std::fprintf(stderr, "make-vkx-track: %s: %s\n", argv[1], std::strerror(errno));
        std::remove(argv[1]);
        return 1;
    }
    return 0;
}
