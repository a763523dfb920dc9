#include "track/workspace_files.h"

#include "track/numbers.h"

#include <system_error>

namespace tackedit {

namespace fs = std::filesystem;

bool IsBareFileName(const std::string& name)
{
    // A NUL would end the name early when it reaches the system: "a.gpx\0x" is a.gpx.
    static const std::string forbidden("/\\\0", 3);
    return !name.empty() && name != "." && name != ".." && name.find_first_of(forbidden) == std::string::npos;
}

bool IsRegularFileInside(const fs::path& entry, const std::string& root)
{
    std::error_code error;
    const fs::path target = fs::canonical(entry, error);
    if (error || !fs::is_regular_file(target, error))
        return false;
    const fs::path base = fs::canonical(root.empty() ? "." : root, error);
    if (error)
        return false;
    const fs::path relative = target.lexically_relative(base);
    return !relative.empty() && *relative.begin() != "..";
}

std::optional<std::string> FindWorkspaceFile(const std::string& folder, const std::string& name)
{
    if (!IsBareFileName(name))
        return std::nullopt;
    // "ws/gpsdat" and "ws/" both have the workspace "ws" as parent_path().
    const std::string workspace = fs::path(folder).parent_path().string();
    std::error_code error;
    const fs::path exact = fs::path(folder) / name;
    if (IsRegularFileInside(exact, workspace))
        return exact.string();
    auto lower = [](std::string text) {
        for (char& c : text)
            c = AsciiLower(c);
        return text;
    };
    const std::string wanted = lower(name);
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (lower(it->path().filename().string()) == wanted && IsRegularFileInside(it->path(), workspace))
            return it->path().string();
    }
    return std::nullopt;
}

} // namespace tackedit
