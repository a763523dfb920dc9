#include "base/workspace_paths.h"

#include "base/workspace_files.h"

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

bool Inside(const fs::path& path, const fs::path& folder)
{
    const fs::path relative = path.lexically_relative(folder);
    return !relative.empty() && *relative.begin() != "..";
}

// The workspace's folders of data that a build reads and the window keeps.
constexpr const char* kDataFolders[] = {"gpsdat", "raceadmin", "pic", "winddat", "attachment", "coastline", "ctrl"};

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

std::optional<std::string> OutputFolderClash(const std::string& app_dir, const std::string& out,
                                             const std::vector<std::string>& inputs)
{
    const fs::path target = Real(out);
    const fs::path workspace = Real(app_dir);
    if (target == workspace)
        return "is the workspace " + workspace.string() + "; give a folder outside it";
    if (Inside(workspace, target))
        return "holds the workspace " + workspace.string() + "; give a folder outside it";
    for (const char* name : kDataFolders)
        if (Inside(target, workspace / name))
            return std::string(target == workspace / name ? "is" : "lies in") + " the workspace's " + name +
                   "/ folder; give a folder outside it";
    for (const std::string& input : inputs) {
        if (input.empty())
            continue;
        const fs::path read = Real(input);
        if (target == read)
            return "is " + input + ", which this build reads";
        if (Inside(read, target))
            return "holds " + input + ", which this build reads";
    }
    return std::nullopt;
}

} // namespace tackedit
