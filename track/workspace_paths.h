#pragma once

// Paths as the user types them, for every command and the window: the
// workspace and a race file.

#include <optional>
#include <string>

namespace tackedit {

// A workspace given relative to the current folder or absolute, as the folder
// the core code takes: absolute, lexically normal, with a trailing separator.
std::string WorkspaceFolder(const std::string& typed);

// A race file given as a bare name in the workspace's raceadmin/ folder or as a
// path to a file in that folder (relative to the current folder or absolute):
// the bare name. nullopt with `error` saying where race files live when the
// path leads elsewhere. `app_dir` is a WorkspaceFolder.
std::optional<std::string> RaceFileName(const std::string& app_dir, const std::string& typed, std::string& error);

} // namespace tackedit
