#pragma once

// Paths as the user types them, for every command and the window: the
// workspace, a race file and a folder a build writes.

#include <optional>
#include <string>
#include <vector>

namespace tackedit {

// A workspace given relative to the current folder or absolute, as the folder
// the core code takes: absolute, lexically normal, with a trailing separator.
std::string WorkspaceFolder(const std::string& typed);

// A race file given as a bare name in the workspace's raceadmin/ folder or as a
// path to a file in that folder (relative to the current folder or absolute):
// the bare name. nullopt with `error` saying where race files live when the
// path leads elsewhere. `app_dir` is a WorkspaceFolder.
std::optional<std::string> RaceFileName(const std::string& app_dir, const std::string& typed, std::string& error);

// Why a build may not write or replace the folder `out` (as typed), a phrase
// that names the clash ("lies in the workspace's gpsdat/ folder ..."): it is the workspace or holds it, lies in one of the workspace's data
// folders, or is or holds one of `inputs` (race files, tracks, picture
// folders). nullopt when it may.
std::optional<std::string> OutputFolderClash(const std::string& app_dir, const std::string& out,
                                             const std::vector<std::string>& inputs);

} // namespace tackedit
