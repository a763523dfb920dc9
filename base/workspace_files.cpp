#include "base/workspace_files.h"

#include "base/data_error.h"
#include "base/file_buffer.h"
#include "base/numbers.h"

#include <filesystem>
#include <map>
#include <string_view>
#include <system_error>
#include <vector>

namespace tackedit {

namespace fs = std::filesystem;

namespace {

std::string LowerName(std::string text)
{
    for (char& c : text)
        c = AsciiLower(c);
    return text;
}

// Only a plain file is compared: a link may lead out of the workspace.
bool HoldsExactly(const std::filesystem::path& path, std::string_view bytes)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(path, error)) ||
        std::filesystem::file_size(path, error) != bytes.size() || error)
        return false;
    try {
        return ReadWholeFile(path.string()).view() == bytes;
    } catch (const DataError&) {
        return false;
    }
}

} // namespace

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

bool SameFileName(const std::string& a, const std::string& b) { return LowerName(a) == LowerName(b); }

std::string SavedCopyStem(const std::string& stem)
{
    const std::size_t n = stem.size();
    if (n >= 2 && stem[n - 2] == '_' && AsciiLower(stem[n - 1]) == 's')
        return stem;
    return stem + "_s";
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
    // "ws/gpsdat" and "ws/" both have the workspace "ws" as parent_path().
    const std::string workspace = fs::path(folder).parent_path().string();
    std::error_code error;
    const fs::path exact = fs::path(folder) / name;
    if (IsRegularFileInside(exact, workspace))
        return exact.string();
    const std::string wanted = LowerName(name);
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (LowerName(it->path().filename().string()) == wanted && IsRegularFileInside(it->path(), workspace))
            return it->path().string();
    }
    return std::nullopt;
}

ConversionTarget ChooseConversionTarget(const std::string& folder, const std::string& name, std::string_view bytes,
                                        const std::set<std::string>& taken)
{
    namespace fs = std::filesystem;
    // Entries of every kind count: a folder or a link of that name is not free either.
    std::map<std::string, std::vector<fs::path>> entries;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        entries[LowerName(it->path().filename().string())].push_back(it->path());
    if (error)
        throw DataError(folder, 0, "", "cannot list the folder: " + error.message());
    const std::size_t dot = name.rfind('.');
    const std::string stem = name.substr(0, dot), extension = dot == std::string::npos ? "" : name.substr(dot);
    // Ends: every name tried is taken or in the folder, and both are finite.
    for (std::size_t n = 1;; ++n) {
        const std::string candidate = n == 1 ? name : stem + "_" + std::to_string(n) + extension;
        const std::string key = LowerName(candidate);
        if (taken.count(key))
            continue;
        const auto found = entries.find(key);
        if (found == entries.end())
            return {candidate, false};
        for (const fs::path& path : found->second)
            if (HoldsExactly(path, bytes))
                return {path.filename().string(), true};
    }
}

} // namespace tackedit
