#pragma once

#include <optional>
#include <string>

namespace tackedit {

// A bare file name as race files and the screens give it: no folder separator
// ("/" or "\") nor NUL, not "." or "..", not empty. Anything else could reach outside
// the workspace and is treated like a missing file.
bool IsBareFileName(const std::string& name);

// Why a Windows computer could not hold `name` as a file or folder name (a
// control character, one of / \ : * ? " < > |, a final ".", a device name
// such as CON or LPT1.txt); `what` names it in the message ("folder name").
// nullopt when it can. An empty name is the caller's to refuse.
std::optional<std::string> WindowsNameProblem(const std::string& name, const std::string& what);

// The path of the file `name` inside `folder`, matched without regard to case
// (the exact spelling first); nullopt when there is none or the name is not bare.
std::optional<std::string> FindWorkspaceFile(const std::string& folder, const std::string& name);

} // namespace tackedit
