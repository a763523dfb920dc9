#include "pictures/photo_metadata.h"

#include "platform/text_codec.h"

#include <libexif/exif-data.h>

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

// A JPEG file read on demand: a small head for the first markers in one
// read, anything further (a large Exif block) by position.
class FileSource {
public:
    explicit FileSource(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC))
    {
        if (fd_ < 0)
            return;
        head_.resize(kHeadSize);
        const ssize_t n = ::pread(fd_, head_.data(), head_.size(), 0);
        head_.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
    ~FileSource()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }

    bool Read(std::uint64_t offset, std::size_t size, std::string& out) const
    {
        if (offset <= head_.size() && size <= head_.size() - offset) {
            out.assign(head_.data() + offset, size);
            return true;
        }
        if (fd_ < 0)
            return false;
        out.resize(size);
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::pread(fd_, out.data() + done, size - done, static_cast<off_t>(offset + done));
            if (n <= 0)
                return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

private:
    static constexpr std::size_t kHeadSize = 4096;
    int fd_;
    std::string head_;
};

// The payload of the first APP1 segment that starts with the Exif signature,
// found by walking the markers up to the start of the image data.
template <class Source>
std::optional<std::string> FindExifSegment(const Source& source)
{
    std::string bytes;
    if (!source.Read(0, 2, bytes) || bytes != "\xFF\xD8")
        return std::nullopt;
    std::uint64_t pos = 2;
    for (int segments = 0; segments < 1000; ++segments) {
        if (!source.Read(pos, 1, bytes) || bytes[0] != '\xFF')
            return std::nullopt;
        unsigned char marker;
        do {
            if (!source.Read(++pos, 1, bytes))
                return std::nullopt;
            marker = static_cast<unsigned char>(bytes[0]);
        } while (marker == 0xFF);
        ++pos;
        if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;  // markers without a length
        if (marker == 0xDA || marker == 0xD9 || !source.Read(pos, 2, bytes))
            return std::nullopt;
        const unsigned length = static_cast<unsigned char>(bytes[0]) << 8 | static_cast<unsigned char>(bytes[1]);
        if (length < 2)
            return std::nullopt;
        if (marker == 0xE1 && length >= 8) {
            if (!source.Read(pos + 2, length - 2, bytes))
                return std::nullopt;
            if (bytes.compare(0, 6, std::string_view("Exif\0\0", 6)) == 0)
                return bytes;
        }
        pos += length;
    }
    return std::nullopt;
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
    const auto segment = FindExifSegment(MemorySource(jpeg));
    return segment ? DateTimeOriginal(*segment) : std::string();
}

std::string ReadPhotoMetadata(const std::string& path)
{
    const FileSource source(path);
    const auto segment = FindExifSegment(source);
    return segment ? DateTimeOriginal(*segment) : std::string();
}

} // namespace tackedit
