#pragma once

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace tackedit {

// A bare file name as race files and the screens give it: no folder separator
// ("/" or "\") nor NUL, not "." or "..", not empty. Anything else could reach outside
// the workspace and is treated like a missing file.
bool IsBareFileName(const std::string& name);

// Whether `entry` may be read as a file of the folder tree `root`: it resolves,
// through any symbolic links on its way, to a regular file inside `root`. A
// received archive may hold links to anywhere on this computer; those count as
// no file at all.
bool IsRegularFileInside(const std::filesystem::path& entry, const std::string& root);

// Why a Windows computer could not hold `name` as a file or folder name (a
// control character, one of / \ : * ? " < > |, a final ".", a device name
// such as CON or LPT1.txt); `what` names it in the message ("folder name").
// nullopt when it can. An empty name is the caller's to refuse.
std::optional<std::string> WindowsNameProblem(const std::string& name, const std::string& what);

// Workspace file names are the same without regard to (ASCII) case.
bool SameFileName(const std::string& a, const std::string& b);

// A saved copy's stem: `stem` + "_s", unless it already ends in "_s" (any
// case), so that saving a copy of a copy replaces it instead of growing names.
std::string SavedCopyStem(const std::string& stem);

// The path of the file `name` inside `folder`, matched without regard to case
// (the exact spelling first); nullopt when there is none or the name is not bare.
// `folder` is the workspace (with its trailing separator) or one of its folders
// (without one): the file must resolve inside that workspace.
std::optional<std::string> FindWorkspaceFile(const std::string& folder, const std::string& name);

// Where a file made from another (a TRB conversion, a mended copy) goes in
// `folder`: under `name` when nothing there has that name, without regard to
// case, or the file of that name already holds exactly `bytes`; else under the
// first of NAME_2.EXT, NAME_3.EXT ... that is. Names in `taken` (lower-cased,
// the files of other boats) are passed over even when identical. A file is never
// replaced: `exists` says the bytes are already there under `name`.
struct ConversionTarget {
    std::string name;  // spelled as in the folder when it exists
    bool exists = false;
};
ConversionTarget ChooseConversionTarget(const std::string& folder, const std::string& name, std::string_view bytes,
                                        const std::set<std::string>& taken = {});

} // namespace tackedit
