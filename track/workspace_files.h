#pragma once

#include <optional>
#include <string>

namespace tackedit {

// A bare file name as race files and the screens give it: no folder separator
// ("/" or "\") nor NUL, not "." or "..", not empty. Anything else could reach outside
// the workspace and is treated like a missing file.
bool IsBareFileName(const std::string& name);

// The path of the file `name` inside `folder`, matched without regard to case
// (the exact spelling first); nullopt when there is none or the name is not bare.
std::optional<std::string> FindWorkspaceFile(const std::string& folder, const std::string& name);

} // namespace tackedit
