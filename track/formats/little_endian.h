#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace tackedit {

// Little-endian fields of the binary formats. Callers check the record fits first;
// these never look outside the span they are given.
inline std::int32_t ReadInt32LE(std::string_view data, std::size_t offset)
{
    const auto* p = reinterpret_cast<const unsigned char*>(data.data() + offset);
    const std::uint32_t u = static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                            static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
    return static_cast<std::int32_t>(u);
}

inline float ReadFloat32LE(std::string_view data, std::size_t offset)
{
    const std::uint32_t bits = static_cast<std::uint32_t>(ReadInt32LE(data, offset));
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Semicircles (180 / 2^31 degree) to minutes of arc: value * 675 / 2^27, which
// a double holds exactly.
inline double SemicirclesToMinutes(std::int32_t value)
{
    return static_cast<double>(value) * (10800.0 / 2147483648.0);
}

inline void AppendInt32LE(std::string& out, std::int32_t value)
{
    const auto u = static_cast<std::uint32_t>(value);
    const char bytes[4] = {static_cast<char>(u & 0xff), static_cast<char>(u >> 8 & 0xff),
                           static_cast<char>(u >> 16 & 0xff), static_cast<char>(u >> 24 & 0xff)};
    out.append(bytes, 4);
}

inline void AppendFloat32LE(std::string& out, float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    AppendInt32LE(out, static_cast<std::int32_t>(bits));
}

} // namespace tackedit
