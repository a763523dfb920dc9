#pragma once

// A file's size and modification time: what a track read off the window's
// thread is kept by, so a file saved again is read again.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

namespace tackedit {

struct FileStamp {
    std::uintmax_t size = 0;
    std::filesystem::file_time_type modified;
    bool operator==(const FileStamp&) const = default;
};

// Nullopt when the file is gone or cannot be looked at.
inline std::optional<FileStamp> StampOf(const std::string& path)
{
    std::error_code ec;
    FileStamp stamp;
    stamp.size = std::filesystem::file_size(path, ec);
    if (ec)
        return std::nullopt;
    stamp.modified = std::filesystem::last_write_time(path, ec);
    if (ec)
        return std::nullopt;
    return stamp;
}

} // namespace tackedit
