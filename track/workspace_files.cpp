#include "track/workspace_files.h"

#include "track/numbers.h"

#include <filesystem>
#include <system_error>

namespace tackedit {

bool IsBareFileName(const std::string& name)
{
    // A NUL would end the name early when it reaches the system: "a.gpx\0x" is a.gpx.
    static const std::string forbidden("/\\\0", 3);
    return !name.empty() && name != "." && name != ".." && name.find_first_of(forbidden) == std::string::npos;
}

std::optional<std::string> FindWorkspaceFile(const std::string& folder, const std::string& name)
{
    if (!IsBareFileName(name))
        return std::nullopt;
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path exact = fs::path(folder) / name;
    if (fs::is_regular_file(exact, error))
        return exact.string();
    auto lower = [](std::string text) {
        for (char& c : text)
            c = AsciiLower(c);
        return text;
    };
    const std::string wanted = lower(name);
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (lower(it->path().filename().string()) == wanted && it->is_regular_file(error))
            return it->path().string();
    }
    return std::nullopt;
}

} // namespace tackedit
