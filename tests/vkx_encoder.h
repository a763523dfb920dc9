#pragma once

// Writes VKX rows as a Vakaros timer logs them, for the tests, the fuzz seeds
// and the benchmark: pages of about 2 kB, each opened by a header and closed by
// a terminator holding its length.

#include <cstdint>
#include <cstring>
#include <string>

namespace tackedit::testing {

class VkxEncoder {
public:
    explicit VkxEncoder(unsigned version = 5, std::size_t page_bytes = 2048) : version_(version), page_(page_bytes)
    {
        Header();
    }

    // ms since 1970 UTC; degrees.
    void Position(std::uint64_t ms, double lat, double lon)
    {
        Row(0x02);
        U8(ms);
        I4(static_cast<std::int32_t>(lat >= 0 ? lat * 1e7 + 0.5 : lat * 1e7 - 0.5));
        I4(static_cast<std::int32_t>(lon >= 0 ? lon * 1e7 + 0.5 : lon * 1e7 - 0.5));
        for (float value : {3.1f, 1.2f, 2.5f, 1.0f, 0.0f, 0.0f, 0.0f})  // SOG, COG, altitude, quaternion
            F4(value);
    }
    // type: 0 reset, 1 start, 2 sync, 3 race start, 4 race end.
    void TimerEvent(std::uint64_t ms, unsigned type, std::int32_t timer_seconds)
    {
        Row(0x04);
        U8(ms);
        out_ += static_cast<char>(type);
        I4(timer_seconds);
    }
    // end: 0 pin, 1 boat.
    void LinePosition(std::uint64_t ms, unsigned end, float lat, float lon)
    {
        Row(0x05);
        U8(ms);
        out_ += static_cast<char>(end);
        F4(lat);
        F4(lon);
    }
    // Any other row: the key and zeros for its payload.
    void Other(unsigned key, std::size_t payload)
    {
        Row(key);
        out_.append(payload, '\0');
    }
    // Bytes as they stand, outside the page bookkeeping.
    void Raw(const std::string& bytes) { out_ += bytes; }

    // The file so far, its last page closed.
    std::string Bytes() const
    {
        std::string file = out_;
        Terminate(file, page_start_);
        return file;
    }

private:
    void Header()
    {
        page_start_ = out_.size();
        out_ += '\xFF';
        out_ += static_cast<char>(version_);
        out_.append(6, '\0');
    }
    static void Terminate(std::string& out, std::size_t page_start)
    {
        const auto length = static_cast<std::uint16_t>(out.size() + 3 - page_start);
        out += '\xFE';
        out += static_cast<char>(length & 0xff);
        out += static_cast<char>(length >> 8);
    }
    void Row(unsigned key)
    {
        if (out_.size() - page_start_ >= page_) {
            Terminate(out_, page_start_);
            Header();
        }
        out_ += static_cast<char>(key);
    }
    void U8(std::uint64_t value)
    {
        for (int i = 0; i < 8; ++i)
            out_ += static_cast<char>(value >> (8 * i) & 0xff);
    }
    void I4(std::int32_t value)
    {
        const auto u = static_cast<std::uint32_t>(value);
        for (int i = 0; i < 4; ++i)
            out_ += static_cast<char>(u >> (8 * i) & 0xff);
    }
    void F4(float value)
    {
        std::uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        I4(static_cast<std::int32_t>(bits));
    }

    unsigned version_;
    std::size_t page_;
    std::string out_;
    std::size_t page_start_ = 0;
};

} // namespace tackedit::testing
