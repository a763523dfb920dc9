// FIT, the binary files of watches and bike computers: a header, records that
// define message layouts and records laid out by them, a CRC; files may follow
// one another. Only `record` messages with a time and a position are points.

#include "track/formats/fit_reader.h"

#include "base/data_error.h"
#include "base/datetime.h"
#include "base/file_buffer.h"
#include "track/formats/little_endian.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tackedit {

namespace {

constexpr std::uint16_t kRecordMessage = 20;
constexpr std::uint8_t kLatitudeField = 0, kLongitudeField = 1, kTimestampField = 253;
constexpr std::uint32_t kInvalidPosition = 0x7FFFFFFF;
constexpr std::uint32_t kInvalidTime = 0xFFFFFFFF;
// 1989-12-31 00:00:00 UTC in seconds since 1970.
constexpr std::int64_t kFitEpoch = 631065600;

// CRC-16 with the reflected polynomial 0xA001, starting at 0, eight bytes a
// step (a table for each byte's distance from the end of the step; sixteen
// were slower here).
struct CrcTables {
    std::uint16_t t[8][256];
};

constexpr CrcTables MakeCrcTables()
{
    CrcTables tables{};
    for (int b = 0; b < 256; ++b) {
        std::uint16_t crc = static_cast<std::uint16_t>(b);
        for (int k = 0; k < 8; ++k)
            crc = static_cast<std::uint16_t>(crc & 1 ? (crc >> 1) ^ 0xA001 : crc >> 1);
        tables.t[0][b] = crc;
    }
    for (int s = 1; s < 8; ++s)
        for (int b = 0; b < 256; ++b) {
            const std::uint16_t prev = tables.t[s - 1][b];
            tables.t[s][b] = static_cast<std::uint16_t>((prev >> 8) ^ tables.t[0][prev & 0xff]);
        }
    return tables;
}

constexpr CrcTables kCrc = MakeCrcTables();

// The register after n more bytes.
std::uint32_t CrcRun(std::uint32_t crc, const unsigned char* p, std::size_t n)
{
    for (; n >= 8; p += 8, n -= 8) {
        const std::uint32_t lo = (static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8) ^ crc;
        crc = kCrc.t[7][lo & 0xff] ^ kCrc.t[6][lo >> 8] ^ kCrc.t[5][p[2]] ^ kCrc.t[4][p[3]] ^ kCrc.t[3][p[4]] ^
              kCrc.t[2][p[5]] ^ kCrc.t[1][p[6]] ^ kCrc.t[0][p[7]];
    }
    for (; n > 0; ++p, --n)
        crc = (crc >> 8) ^ kCrc.t[0][(crc ^ *p) & 0xff];
    return crc;
}

// What n zero bytes do to the CRC register: a linear map of its 16 bits, one
// column per bit. It joins the CRCs of pieces worked out apart:
// crc(a b) = Shift(crc(a)) ^ crc(b) with the map of b's length.
struct CrcShift {
    std::uint16_t column[16];

    std::uint16_t Apply(std::uint16_t crc) const
    {
        std::uint16_t out = 0;
        for (int i = 0; i < 16; ++i)
            if (crc >> i & 1)
                out ^= column[i];
        return out;
    }

    static CrcShift OfZeroBytes(std::size_t n)
    {
        CrcShift result, step;
        for (int i = 0; i < 16; ++i) {
            result.column[i] = static_cast<std::uint16_t>(1u << i);
            step.column[i] = static_cast<std::uint16_t>((1u << i >> 8) ^ kCrc.t[0][1u << i & 0xff]);
        }
        for (; n > 0; n >>= 1, step = step.Then(step))
            if (n & 1)
                result = result.Then(step);
        return result;
    }

    CrcShift Then(const CrcShift& next) const
    {
        CrcShift both;
        for (int i = 0; i < 16; ++i)
            both.column[i] = next.Apply(column[i]);
        return both;
    }
};

// Two runs at once, over the halves, keep the processor busier than one.
std::uint16_t FitCrc(const unsigned char* p, std::size_t n)
{
    if (n < (std::size_t{1} << 16))
        return static_cast<std::uint16_t>(CrcRun(0, p, n));
    const std::size_t half = n / 16 * 8;
    const unsigned char* q = p + half;
    std::uint32_t a = 0, b = 0;
    for (std::size_t i = 0; i < half; i += 8, p += 8, q += 8) {
        const std::uint32_t la = (static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8) ^ a;
        const std::uint32_t lb = (static_cast<std::uint32_t>(q[0]) | static_cast<std::uint32_t>(q[1]) << 8) ^ b;
        a = kCrc.t[7][la & 0xff] ^ kCrc.t[6][la >> 8] ^ kCrc.t[5][p[2]] ^ kCrc.t[4][p[3]] ^ kCrc.t[3][p[4]] ^
            kCrc.t[2][p[5]] ^ kCrc.t[1][p[6]] ^ kCrc.t[0][p[7]];
        b = kCrc.t[7][lb & 0xff] ^ kCrc.t[6][lb >> 8] ^ kCrc.t[5][q[2]] ^ kCrc.t[4][q[3]] ^ kCrc.t[3][q[4]] ^
            kCrc.t[2][q[5]] ^ kCrc.t[1][q[6]] ^ kCrc.t[0][q[7]];
    }
    b = CrcRun(b, q, n - 2 * half);
    return static_cast<std::uint16_t>(CrcShift::OfZeroBytes(n - half).Apply(static_cast<std::uint16_t>(a)) ^ b);
}

// The CRC of a large file in pieces: a helper thread takes them while this one
// reads the records, and this one takes the rest once it is done, so a helper
// the system holds back delays nothing.
class PiecewiseCrc {
public:
    static constexpr std::size_t kPiece = std::size_t{1} << 20;

    PiecewiseCrc(const unsigned char* data, std::size_t n)
        : data_(data), n_(n), crcs_((n + kPiece - 1) / kPiece), helper_([this] { Work(); }) {}

    std::uint16_t Finish()
    {
        Work();
        helper_.join();
        const CrcShift whole = CrcShift::OfZeroBytes(kPiece);
        std::uint16_t crc = 0;
        for (std::size_t k = 0; k < crcs_.size(); ++k) {
            const std::size_t length = std::min(kPiece, n_ - k * kPiece);
            crc = (length == kPiece ? whole : CrcShift::OfZeroBytes(length)).Apply(crc) ^ crcs_[k];
        }
        return crc;
    }

private:
    void Work()
    {
        for (std::size_t k; (k = next_.fetch_add(1)) < crcs_.size();)
            crcs_[k] = FitCrc(data_ + k * kPiece, std::min(kPiece, n_ - k * kPiece));
    }

    const unsigned char* data_;
    std::size_t n_;
    std::vector<std::uint16_t> crcs_;
    std::atomic<std::size_t> next_{0};
    std::jthread helper_;  // last: it starts once the rest is set
};

std::uint32_t Read32(const unsigned char* p, bool big_endian)
{
    if (big_endian)
        return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
               static_cast<std::uint32_t>(p[2]) << 8 | p[3];
    return static_cast<std::uint32_t>(p[3]) << 24 | static_cast<std::uint32_t>(p[2]) << 16 |
           static_cast<std::uint32_t>(p[1]) << 8 | p[0];
}

std::uint16_t Read16(const unsigned char* p, bool big_endian)
{
    return static_cast<std::uint16_t>(big_endian ? p[0] << 8 | p[1] : p[1] << 8 | p[0]);
}

// As FromEpochSeconds gives it, also past 2038, where FIT times still run.
double FitTime(std::uint32_t seconds)
{
    return static_cast<double>(std::int64_t{25569} * 86400 + kFitEpoch + seconds) / SecondsPerDay;
}

// What a definition message says of its local message type: the bytes after
// the record header, and where the fields this reader needs start (-1 when
// absent or too short to hold their value).
struct Layout {
    bool defined = false;
    bool big_endian = false;
    bool record = false;
    std::uint32_t size = 0;
    std::int32_t time_at = -1, lat_at = -1, lon_at = -1;
};

class FitParser {
public:
    FitParser(std::string_view data, const std::string& file, TrackStore& store)
        : data_(reinterpret_cast<const unsigned char*>(data.data())), size_(data.size()), file_(file),
          store_(store), filler_(store)
    {
        // Nine bytes is the shortest record with a position; the room is only
        // reserved, and taken as points arrive.
        filler_.ExpectPoints(size_ / 9);
    }

    void Run()
    {
        std::size_t at = 0;
        do {
            at = ReadFile(at);
        } while (at < size_);
        if (crc_mismatches_ > 1)
            store_.ReadNotes.push_back("the CRCs of " + std::to_string(crc_mismatches_) +
                                       " of the chained files do not match: their points were read as they are");
        SayWhatWasLeftOut();
        filler_.Finish();
    }

private:
    // One FIT file from `start`; returns where the next one starts, or size_
    // when nothing more can be read.
    std::size_t ReadFile(std::size_t start)
    {
        const std::size_t left = size_ - start;
        const std::size_t header = left > 0 ? data_[start] : 0;
        if (left < 12 || header < 12 || header > left || std::string_view(Chars(start + 8), 4) != ".FIT") {
            if (start == 0)
                throw DataError(file_, 0, "", "not a FIT file: it does not begin with a FIT file header");
            Note("the " + std::to_string(left) + " bytes after byte " + std::to_string(start) +
                 " are not a FIT file and were not read");
            return size_;
        }
        if (header >= 14) {
            const std::uint16_t header_crc = Read16(data_ + start + 12, false);
            if (header_crc != 0 && header_crc != FitCrc(data_ + start, 12))
                Note("the header CRC of the FIT file at byte " + std::to_string(start) +
                     " does not match: its data was read all the same");
        }
        const std::size_t begin = start + header;
        const std::uint64_t declared = Read32(data_ + start + 4, false);
        const bool cut = declared > size_ - begin;
        const std::size_t end = cut ? size_ : begin + static_cast<std::size_t>(declared);

        layouts_ = {};
        stop_reason_.clear();
        time_known_ = false;
        // On a large file the CRC costs as much as reading the records.
        const bool checked = !cut && size_ - end >= 2;
        std::optional<PiecewiseCrc> pieces;
        if (checked && end - start > 2 * PiecewiseCrc::kPiece)
            pieces.emplace(data_ + start, end - start);
        const std::size_t stopped = ReadRecords(begin, end);
        if (stopped < end) {
            const std::string reason = !stop_reason_.empty() ? stop_reason_
                                       : cut ? "the file ends inside the record"
                                             : "a record runs past the end of the data its header gives";
            Note(reason + " at byte " + std::to_string(stopped) + ": the points before it were read");
            return size_;
        }
        if (cut) {
            Note("the file ends " + std::to_string(declared - (end - begin)) +
                 " bytes short of the data its header gives: the points before byte " + std::to_string(end) +
                 " were read");
            return size_;
        }
        if (!checked) {
            Note("the file ends before its CRC: the points were read unchecked");
            return size_;
        }
        const std::uint16_t crc = pieces ? pieces->Finish() : FitCrc(data_ + start, end - start);
        if (Read16(data_ + end, false) != crc && ++crc_mismatches_ == 1)
            Note("the file's CRC does not match: the points before byte " + std::to_string(end) +
                 " were read as they are");
        return end + 2;
    }

    // The records in [at, end); returns end, or where a record could not be read
    // (with stop_reason_ saying why).
    std::size_t ReadRecords(std::size_t at, std::size_t end)
    {
        while (at < end) {
            const unsigned char head = data_[at];
            if (head & 0x80) {
                // Compressed timestamp: five bits of seconds after the last time.
                if (!ReadData(at, end, head >> 5 & 3, true, head & 0x1f))
                    return at;
            } else if (head & 0x40) {
                if (!ReadDefinition(at, end, head & 0x0f, (head & 0x20) != 0))
                    return at;
            } else if (!ReadData(at, end, head & 0x0f, false, 0)) {
                return at;
            }
        }
        return end;
    }

    // Bytes after the record header:
    //   0 reserved, 1 architecture (0 little-endian, else big-endian),
    //   2 global message number (16 bits), 4 field count, 5 fields of 3 bytes
    //   (number, size, base type); with the developer flag, a count and 3-byte
    //   developer fields (number, size, index) follow.
    bool ReadDefinition(std::size_t& at, std::size_t end, int local, bool developer)
    {
        std::size_t p = at + 1;
        if (end - p < 5)
            return Stop();
        Layout layout;
        layout.defined = true;
        layout.big_endian = data_[p + 1] != 0;
        layout.record = Read16(data_ + p + 2, layout.big_endian) == kRecordMessage;
        const std::size_t fields = data_[p + 4];
        p += 5;
        if (end - p < 3 * fields)
            return Stop();
        for (std::size_t f = 0; f < fields; ++f, p += 3) {
            const unsigned char number = data_[p], size = data_[p + 1];
            std::int32_t* where = number == kTimestampField ? &layout.time_at
                                  : number == kLatitudeField ? &layout.lat_at
                                  : number == kLongitudeField ? &layout.lon_at
                                                              : nullptr;
            if (where && *where < 0 && size >= 4)
                *where = static_cast<std::int32_t>(layout.size);
            layout.size += size;
        }
        if (developer) {
            if (end - p < 1 || end - p - 1 < 3 * std::size_t{data_[p]})
                return Stop();
            const std::size_t count = data_[p++];
            for (std::size_t f = 0; f < count; ++f, p += 3)
                layout.size += data_[p + 1];
        }
        layouts_[static_cast<std::size_t>(local)] = layout;
        at = p;
        return true;
    }

    bool ReadData(std::size_t& at, std::size_t end, int local, bool compressed, unsigned offset)
    {
        const Layout& layout = layouts_[static_cast<std::size_t>(local)];
        if (!layout.defined)
            return Stop("a record uses local message type " + std::to_string(local) + " before its definition");
        if (end - at - 1 < layout.size)
            return Stop();
        const unsigned char* body = data_ + at + 1;
        bool timed = false;
        if (compressed && time_known_) {
            // The offset wraps when it is less than the last time's low five bits.
            const std::uint32_t low = last_time_ & 0x1f;
            last_time_ = (last_time_ & ~std::uint32_t{0x1f}) + offset + (offset < low ? 0x20 : 0);
            timed = true;
        }
        if (layout.time_at >= 0) {
            const std::uint32_t t = Read32(body + layout.time_at, layout.big_endian);
            if (t != kInvalidTime) {
                last_time_ = t;
                time_known_ = timed = true;
            }
        }
        if (layout.record) {
            ++records_;
            const std::uint32_t lat = layout.lat_at >= 0 ? Read32(body + layout.lat_at, layout.big_endian)
                                                         : kInvalidPosition;
            const std::uint32_t lon = layout.lon_at >= 0 ? Read32(body + layout.lon_at, layout.big_endian)
                                                         : kInvalidPosition;
            if (lat == kInvalidPosition || lon == kInvalidPosition)
                ++without_position_;
            else if (!timed)
                ++without_time_;
            else
                filler_.Store(FitTime(last_time_), SemicirclesToMinutes(static_cast<std::int32_t>(lat)),
                              SemicirclesToMinutes(static_cast<std::int32_t>(lon)));
        }
        at += 1 + layout.size;
        return true;
    }

    // Without a reason: the record does not fit in the data.
    bool Stop(std::string reason = {})
    {
        stop_reason_ = std::move(reason);
        return false;
    }

    void SayWhatWasLeftOut()
    {
        const auto left_out = [this](std::int64_t n, const char* without) {
            if (n > 0)
                Note(std::to_string(n) + (n == 1 ? " record message without " : " record messages without ") +
                     without + (n == 1 ? " was left out" : " were left out"));
        };
        if (filler_.Count() > 0) {
            left_out(without_position_, "a position");
            left_out(without_time_, "a time");
        } else if (records_ == 0) {
            Note("the file holds no record messages: a workout, settings or other file without a track");
        } else if (without_time_ == 0) {
            Note("the file holds no positions");
        } else if (without_position_ == 0) {
            Note("the file holds no times");
        } else {
            Note("the file holds no record message with both a time and a position");
        }
    }

    void Note(std::string text) { store_.ReadNotes.push_back(std::move(text)); }
    const char* Chars(std::size_t at) const { return reinterpret_cast<const char*>(data_ + at); }

    const unsigned char* data_;
    std::size_t size_;
    const std::string& file_;
    TrackStore& store_;
    TrackFiller filler_;
    std::array<Layout, 16> layouts_{};
    std::uint32_t last_time_ = 0;
    bool time_known_ = false;
    std::string stop_reason_;
    std::int64_t records_ = 0, without_position_ = 0, without_time_ = 0;
    int crc_mismatches_ = 0;
};

} // namespace

void ParseFitTrack(std::string_view data, const std::string& file, TrackStore& store)
{
    FitParser(data, file, store).Run();
}

void ReadFitTrack(const std::string& path, TrackStore& store)
{
    ReadTextFile(path, store, ParseFitTrack);
}

} // namespace tackedit
