#include "shell/workspace_choice.h"

#include "base/atomic_write.h"
#include "base/data_error.h"
#include "base/numbers.h"
#include "base/workspace_paths.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

namespace tackedit {

namespace fs = std::filesystem;

namespace {

constexpr const char* kFolders[] = {"gpsdat", "raceadmin", "winddat",      "attachment", "coastline", "pic",
                                    "ctrl",   "distribution", "help", "vd", "HELP_EDITOR"};

bool SameNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

// Made under a private name beside its place and renamed, so that a failure
// (a full disc, a demo file that cannot be read) leaves no half-made workspace.
std::string MakeWorkspace(const fs::path& folder, const std::string& demo_dir)
{
    const std::string failed = "Cannot make the workspace " + folder.string() + ": ";
    std::error_code ec;
    fs::create_directories(folder.parent_path(), ec);
    std::string building;
    try {
        building = MakeBuildingFolder(folder.parent_path().string(), folder.filename().string());
    } catch (const DataError& e) {
        return failed + e.message();
    }
    if (!demo_dir.empty())
        fs::copy(demo_dir, building, fs::copy_options::recursive, ec);
    for (const char* name : kFolders)
        if (!ec)
            fs::create_directories(fs::path(building) / name, ec);
    if (!ec && !RenameIntoPlace(building, folder.string()))
        ec.assign(errno, std::generic_category());
    if (ec) {
        std::error_code ignored;
        fs::remove_all(building, ignored);
        return failed + ec.message();
    }
    return {};
}

WorkspaceChoice Take(const fs::path& chosen, const WorkspaceRequest& request)
{
    WorkspaceChoice choice;
    std::error_code ec;
    const std::string app_dir = WorkspaceFolder(chosen.string());
    const fs::path folder = fs::path(app_dir).parent_path();
    if (fs::is_directory(folder, ec)) {
        choice.folder = app_dir;
        return choice;
    }
    if (fs::exists(folder, ec)) {
        choice.error = "The workspace " + folder.string() + " is not a folder.";
        return choice;
    }
    choice.error = MakeWorkspace(folder, request.demo_dir);
    if (choice.error.empty()) {
        choice.folder = app_dir;
        choice.made = folder.string();
    }
    return choice;
}

} // namespace

WorkspaceChoice ChooseWorkspace(const WorkspaceRequest& request)
{
    if (!request.argument.empty())
        return Take(request.argument, request);
    if (!request.opened_file.empty()) {
        std::error_code ec;
        const fs::path file = fs::absolute(request.opened_file, ec).lexically_normal();
        const std::string folder = file.parent_path().filename().string();
        if (SameNoCase(folder, "raceadmin") || SameNoCase(folder, "gpsdat"))
            return Take(file.parent_path().parent_path(), request);
    }
    if (request.environment && *request.environment)
        return Take(request.environment, request);
    // An installed program (its demo in PREFIX/share) never works in PREFIX/bin,
    // even for root, who may write there.
    const bool installed = !request.demo_dir.empty();
    if (!installed && !request.program_dir.empty() && access(request.program_dir.c_str(), W_OK) == 0)
        return Take(request.program_dir, request);
    if (!request.home || !*request.home) {
        WorkspaceChoice choice;
        choice.error = "The program's folder " + request.program_dir +
                       " is not writable and HOME is not set: choose a workspace with --workspace DIR.";
        return choice;
    }
    return Take(fs::path(request.home) / "tackedit", request);
}

std::optional<std::string> InstalledDemo(const std::string& program_dir)
{
    std::error_code ec;
    const fs::path demo = (fs::path(program_dir) / ".." / "share" / "tackedit" / "demo").lexically_normal();
    if (fs::is_directory(demo / "raceadmin", ec))
        return demo.string();
    return std::nullopt;
}

} // namespace tackedit
