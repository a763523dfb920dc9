#include "pictures/photo_metadata.h"

#include "platform/text_codec.h"

#include <libexif/exif-data.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <unistd.h>

namespace tackedit {

namespace {

// The bytes of a JPEG held in memory.
class MemorySource {
public:
    explicit MemorySource(std::string_view data) : data_(data) {}
    bool Read(std::uint64_t offset, std::size_t size, std::string& out) const
    {
        if (offset > data_.size() || size > data_.size() - offset)
            return false;
        out.assign(data_.data() + offset, size);
        return true;
    }

private:
    std::string_view data_;
};

// A JPEG file read on demand, a block at a time: walking fill bytes or many
// small segments costs one system call per block, not per byte.
class FileSource {
public:
    explicit FileSource(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
    ~FileSource()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }

    bool Read(std::uint64_t offset, std::size_t size, std::string& out) const
    {
        if (offset < block_start_ || offset - block_start_ > block_.size() ||
            size > block_.size() - (offset - block_start_)) {
            if (fd_ < 0 || !Fill(offset, std::max(size, kBlockSize)) || size > block_.size())
                return false;
        }
        out.assign(block_.data() + (offset - block_start_), size);
        return true;
    }

private:
    static constexpr std::size_t kBlockSize = 64 * 1024;

    bool Fill(std::uint64_t offset, std::size_t size) const
    {
        block_.resize(size);
        block_start_ = offset;
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::pread(fd_, block_.data() + done, size - done, static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                block_.clear();
                return false;
            }
            if (n == 0)
                break;  // the end of the file
            done += static_cast<std::size_t>(n);
        }
        block_.resize(done);
        return true;
    }

    int fd_;
    mutable std::string block_;
    mutable std::uint64_t block_start_ = 0;
};

// What the walk over the markers found: the payload of the first APP1 segment
// that starts with the Exif signature, if any, and whether the header read as
// a JPEG's at all.
struct HeaderScan {
    std::optional<std::string> exif;
    bool readable = false;
};

// Headers of real pictures end well before this; fill bytes or segments past it
// are given up on rather than walked for minutes.
constexpr std::uint64_t kMaxHeaderBytes = 16 * 1024 * 1024;

template <class Source>
HeaderScan FindExifSegment(const Source& source)
{
    std::string bytes;
    if (!source.Read(0, 2, bytes) || bytes != "\xFF\xD8")
        return {};
    std::uint64_t pos = 2;
    for (int segments = 0; segments < 1000 && pos < kMaxHeaderBytes; ++segments) {
        if (!source.Read(pos, 1, bytes) || bytes[0] != '\xFF')
            return {};
        unsigned char marker;
        do {
            if (++pos >= kMaxHeaderBytes || !source.Read(pos, 1, bytes))
                return {};
            marker = static_cast<unsigned char>(bytes[0]);
        } while (marker == 0xFF);
        ++pos;
        if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;  // markers without a length
        if (marker == 0xDA || marker == 0xD9)
            return {std::nullopt, true};  // the image data: no Exif block before it
        if (!source.Read(pos, 2, bytes))
            return {};
        const unsigned length = static_cast<unsigned char>(bytes[0]) << 8 | static_cast<unsigned char>(bytes[1]);
        if (length < 2)
            return {};
        if (marker == 0xE1 && length >= 8) {
            if (!source.Read(pos + 2, length - 2, bytes))
                return {};
            if (bytes.compare(0, 6, std::string_view("Exif\0\0", 6)) == 0)
                return {bytes, true};
        }
        pos += length;
    }
    return {};
}

struct ExifDataDeleter {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};

std::string DateTimeOriginal(const std::string& segment)
{
    std::unique_ptr<ExifData, ExifDataDeleter> data(exif_data_new());
    if (!data)
        return {};
    // Read what is there: no repairs, no entries added or dropped by the rules.
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_IGNORE_UNKNOWN_TAGS);
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(data.get(), reinterpret_cast<const unsigned char*>(segment.data()),
                        static_cast<unsigned>(segment.size()));
    ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_EXIF], EXIF_TAG_DATE_TIME_ORIGINAL);
    if (!entry)
        entry = exif_data_get_entry(data.get(), EXIF_TAG_DATE_TIME_ORIGINAL);
    if (!entry || entry->format != EXIF_FORMAT_ASCII || !entry->data)
        return {};
    const auto* text = reinterpret_cast<const char*>(entry->data);
    const void* end = std::memchr(text, '\0', entry->size);
    const std::size_t length = end ? static_cast<std::size_t>(static_cast<const char*>(end) - text) : entry->size;
    return CaptureTimeText(Cp932ToUtf8(std::string_view(text, length)));
}

// The first `count` characters of a UTF-8 text.
std::string_view FirstCharacters(std::string_view text, std::size_t count)
{
    std::size_t i = 0;
    for (std::size_t seen = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            continue;
        if (seen++ == count)
            break;
    }
    return text.substr(0, i);
}

} // namespace

std::string CaptureTimeText(std::string_view s)
{
    // The date's two colons become slashes; those of the time of day stay.
    const std::size_t p = s.find(':');
    const std::string_view a = p == std::string_view::npos ? std::string_view() : s.substr(0, p);
    const std::string_view r = FirstCharacters(p == std::string_view::npos ? s : s.substr(p + 1), 100);
    const std::size_t q = r.find(':');
    const std::string_view b = q == std::string_view::npos ? std::string_view() : r.substr(0, q);
    const std::string_view c = FirstCharacters(q == std::string_view::npos ? r : r.substr(q + 1), 100);
    return std::string(a) + "/" + std::string(b) + "/" + std::string(c);
}

std::string CaptureTimeFromJpeg(std::string_view jpeg)
{
    const HeaderScan scan = FindExifSegment(MemorySource(jpeg));
    return scan.exif ? DateTimeOriginal(*scan.exif) : std::string();
}

PhotoCaptureTime ReadPhotoCaptureTime(const std::string& path)
{
    const FileSource source(path);
    const HeaderScan scan = FindExifSegment(source);
    return {scan.exif ? DateTimeOriginal(*scan.exif) : std::string(), scan.readable};
}

std::string ReadPhotoMetadata(const std::string& path) { return ReadPhotoCaptureTime(path).text; }

} // namespace tackedit
