#include "track/workspace_paths.h"

#include "track/workspace_files.h"

#include <filesystem>
#include <system_error>

namespace tackedit {

namespace fs = std::filesystem;

namespace {

// Absolute and lexically normal, without a trailing separator.
fs::path Absolute(const std::string& typed)
{
    std::error_code error;
    fs::path path = fs::absolute(typed.empty() ? "." : typed, error).lexically_normal();
    if (path.has_relative_path() && path.filename().empty())
        path = path.parent_path();
    return path;
}

// As Absolute, with every symbolic link of the part that exists resolved: a
// link to the workspace is the workspace.
fs::path Real(const std::string& typed)
{
    const fs::path path = Absolute(typed);
    std::error_code error;
    const fs::path real = fs::weakly_canonical(path, error);
    return error ? path : real;
}

} // namespace

std::string WorkspaceFolder(const std::string& typed)
{
    std::string folder = Absolute(typed).string();
    if (folder.empty() || folder.back() != '/')
        folder.push_back('/');
    return folder;
}

std::optional<std::string> RaceFileName(const std::string& app_dir, const std::string& typed, std::string& error)
{
    if (IsBareFileName(typed))
        return typed;
    const fs::path path = Absolute(typed);
    const std::string name = path.filename().string();
    if (IsBareFileName(name) && !typed.ends_with('/') && Real(path.parent_path().string()) == Real(app_dir + "raceadmin"))
        return name;
    error = typed + ": not a race file of the workspace: race files live in " + app_dir +
            "raceadmin/; give the name of one there or its path";
    return std::nullopt;
}

} // namespace tackedit
