#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tackedit {

// Cuts one line of a text format into trimmed fields at a one-character separator.
// The table is reused from line to line: fields 0..9 are emptied by every call,
// higher slots keep what an earlier, longer line left there.
class FieldSplitter {
public:
    // 21 fields hold a race-file course line with its 20 entries; pieces beyond
    // the last slot are dropped.
    static constexpr int kSlots = 24;
    static constexpr std::size_t kRestLimit = 5000;

    void SplitFields(std::string_view line, char separator);

    const std::string& operator[](int i) const { return fields_[static_cast<std::size_t>(i)]; }
    std::int32_t FieldCount = 0;

private:
    std::array<std::string, kSlots> fields_;
};

} // namespace tackedit
