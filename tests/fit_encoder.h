#pragma once

// Writes FIT bytes for the reader's tests and the fuzzer's seeds: definitions in
// either byte order, with developer fields, and data records behind normal or
// compressed-timestamp headers.

#include <cstdint>
#include <string>
#include <vector>

namespace tackedit::fixtures {

class FitEncoder {
public:
    struct Field {
        std::uint8_t number, size;
    };

    // Local message type `local` (0-15) now means `global` with these fields;
    // developer fields are given by their sizes.
    void Define(int local, std::uint16_t global, const std::vector<Field>& fields, bool big_endian = false,
                const std::vector<std::uint8_t>& developer_sizes = {})
    {
        Byte(0x40 | (developer_sizes.empty() ? 0 : 0x20) | local);
        Byte(0);
        Byte(big_endian ? 1 : 0);
        Number(global, 2, big_endian);
        Byte(static_cast<int>(fields.size()));
        for (const Field& f : fields) {
            Byte(f.number);
            Byte(f.size);
            Byte(f.size == 4 ? 0x85 : 0x0d);
        }
        if (!developer_sizes.empty()) {
            Byte(static_cast<int>(developer_sizes.size()));
            for (std::size_t i = 0; i < developer_sizes.size(); ++i) {
                Byte(static_cast<int>(i));
                Byte(developer_sizes[i]);
                Byte(0);
            }
        }
        layouts_[local] = {fields, big_endian, developer_sizes};
    }

    // A data record of `local`: one value per field, then the developer fields'
    // bytes (0xAB). With offset >= 0 the header is a compressed timestamp.
    void Data(int local, const std::vector<std::uint64_t>& values, int offset = -1)
    {
        Byte(offset >= 0 ? 0x80 | local << 5 | (offset & 0x1f) : local);
        const Layout& layout = layouts_[local];
        for (std::size_t i = 0; i < layout.fields.size(); ++i)
            Number(values.at(i), layout.fields[i].size, layout.big_endian);
        for (std::uint8_t size : layout.developer_sizes)
            records_.append(size, '\xab');
    }

    // Header (12 or 14 bytes), the records so far, the CRC.
    std::string File(int header_size = 14) const
    {
        std::string out;
        out += static_cast<char>(header_size);
        out += '\x20';
        out += "\x08\x08";
        for (int k = 0; k < 4; ++k)
            out += static_cast<char>(records_.size() >> (8 * k) & 0xff);
        out += ".FIT";
        if (header_size == 14) {
            const std::uint16_t crc = Crc(out);
            out += static_cast<char>(crc & 0xff);
            out += static_cast<char>(crc >> 8);
        }
        out += records_;
        const std::uint16_t crc = Crc(out);
        out += static_cast<char>(crc & 0xff);
        out += static_cast<char>(crc >> 8);
        return out;
    }

    // CRC-16 of FIT, bit by bit.
    static std::uint16_t Crc(const std::string& bytes)
    {
        std::uint16_t crc = 0;
        for (unsigned char c : bytes) {
            crc ^= c;
            for (int k = 0; k < 8; ++k)
                crc = static_cast<std::uint16_t>(crc & 1 ? (crc >> 1) ^ 0xA001 : crc >> 1);
        }
        return crc;
    }

private:
    struct Layout {
        std::vector<Field> fields;
        bool big_endian = false;
        std::vector<std::uint8_t> developer_sizes;
    };

    void Byte(int value) { records_ += static_cast<char>(value); }
    void Number(std::uint64_t value, int size, bool big_endian)
    {
        for (int k = 0; k < size; ++k)
            Byte(static_cast<int>(value >> (8 * (big_endian ? size - 1 - k : k)) & 0xff));
    }

    std::string records_;
    Layout layouts_[16];
};

// Fields 253 (timestamp), 0 and 1 (latitude, longitude) of a `record`.
inline const std::vector<FitEncoder::Field> kFitRecordFields = {{253, 4}, {0, 4}, {1, 4}};

} // namespace tackedit::fixtures
