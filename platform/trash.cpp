#include "platform/trash.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <pwd.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace tackedit {

namespace {

namespace fs = std::filesystem;

std::string HomeDataDir()
{
    // A relative XDG_DATA_HOME is ignored, as the base directory rules say.
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && data[0] == '/')
        return data;
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        const passwd* user = ::getpwuid(::getuid());
        home = user ? user->pw_dir : nullptr;
    }
    return home && *home ? std::string(home) + "/.local/share" : std::string();
}

// Makes each missing folder of `path` with `mode`; true when all of it is a
// folder afterwards. Without this a missing ~/.local/share left no trash at all.
bool MakeFolders(const fs::path& path, mode_t mode)
{
    fs::path partial;
    for (const fs::path& part : path) {
        partial /= part;
        if (::mkdir(partial.c_str(), mode) != 0 && errno != EEXIST)
            return false;
    }
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A trash folder with its "files" and "info", made when missing.
bool PrepareTrash(const fs::path& trash)
{
    return MakeFolders(trash, 0700) && MakeFolders(trash / "files", 0700) && MakeFolders(trash / "info", 0700);
}

dev_t DeviceOf(const fs::path& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? st.st_dev : static_cast<dev_t>(-1);
}

// The top folder of the file system holding `path`: the trash there is
// $topdir/.Trash-$uid, a private folder of ours, never a link.
std::optional<fs::path> TopDirTrash(const fs::path& path)
{
    fs::path top = path.parent_path();
    const dev_t device = DeviceOf(top);
    while (top.has_relative_path() && DeviceOf(top.parent_path()) == device)
        top = top.parent_path();
    const fs::path trash = top / (".Trash-" + std::to_string(::getuid()));
    if (::mkdir(trash.c_str(), 0700) != 0 && errno != EEXIST)
        return std::nullopt;
    struct stat st;
    if (::lstat(trash.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
        return std::nullopt;
    return trash;
}

std::string PercentEncoded(std::string_view path)
{
    std::string out;
    for (const char c : path) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') ||
            std::string_view("-_.~/").find(c) != std::string_view::npos) {
            out += c;
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", b);
            out += hex;
        }
    }
    return out;
}

bool WriteAll(int fd, const std::string& text)
{
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool Exists(const fs::path& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

} // namespace

bool MoveToTrash(const std::string& path_text)
{
    std::error_code error;
    fs::path path = fs::absolute(path_text, error).lexically_normal();
    if (error)
        return false;
    if (!path.has_filename())
        path = path.parent_path();
    if (!path.has_relative_path() || !Exists(path))
        return false;

    const std::string data = HomeDataDir();
    fs::path trash = fs::path(data) / "Trash";
    if (data.empty() || !PrepareTrash(trash))
        return false;
    // A rename cannot cross file systems: an item on another one goes to the
    // trash at the top of its own.
    if (DeviceOf(trash / "files") != DeviceOf(path.parent_path())) {
        const auto top = TopDirTrash(path);
        if (!top || !PrepareTrash(*top) || DeviceOf(*top / "files") != DeviceOf(path.parent_path()))
            return false;
        trash = *top;
    }

    char date[32];
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    const std::string info_text =
        "[Trash Info]\nPath=" + PercentEncoded(path.string()) + "\nDeletionDate=" + date + "\n";

    const std::string base = path.filename().string();
    for (int n = 1; n < 10000; ++n) {
        const std::string name = n == 1 ? base : base + "." + std::to_string(n);
        const fs::path info = trash / "info" / (name + ".trashinfo");
        const fs::path target = trash / "files" / name;
        // The info file claims the name first, so that two programs trashing
        // at once never pick the same one.
        const int fd = ::open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        const bool written = WriteAll(fd, info_text);
        const bool closed = ::close(fd) == 0;
        if (written && closed && !Exists(target) && std::rename(path.c_str(), target.c_str()) == 0)
            return Exists(target) && !Exists(path);
        ::unlink(info.c_str());
        if (!written || !closed || !Exists(target))
            return false;
    }
    return false;
}

} // namespace tackedit
