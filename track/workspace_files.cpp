#include "track/workspace_files.h"

#include "track/numbers.h"

#include <filesystem>
#include <string_view>
#include <system_error>

namespace tackedit {

bool IsBareFileName(const std::string& name)
{
    // A NUL would end the name early when it reaches the system: "a.gpx\0x" is a.gpx.
    static const std::string forbidden("/\\\0", 3);
    return !name.empty() && name != "." && name != ".." && name.find_first_of(forbidden) == std::string::npos;
}

std::optional<std::string> WindowsNameProblem(const std::string& name, const std::string& what)
{
    const std::string quoted = "'" + name + "'";
    if (name == "." || name == "..")
        return quoted + " cannot be a " + what + ".";
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20)
            return quoted + " contains a control character, which a " + what + " cannot hold.";
        if (std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos)
            return quoted + " contains '" + std::string(1, c) + "', which a " + what + " cannot hold.";
    }
    if (!name.empty() && name.back() == '.')
        return quoted + " ends with '.', which Windows drops from a " + what + ".";
    // Device names, also with an extension.
    std::string stem = name.substr(0, name.find('.'));
    for (char& c : stem)
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    const bool numbered = stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) &&
                          stem[3] >= '1' && stem[3] <= '9';
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL" || numbered)
        return quoted + " is a device name on Windows.";
    return std::nullopt;
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
