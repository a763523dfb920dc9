#pragma once

#include <string>
#include <string_view>

namespace tackedit {

// Replaces the file at path with data through a temporary file in the same folder
// and a rename, so a failure leaves the old file (or no file) and never a partial
// one. Raises DataError naming the path.
void WriteFileAtomically(const std::string& path, std::string_view data);

// Copies a file the same way: the old target stays untouched when the copy
// fails, and copying a file onto itself changes nothing. Raises DataError naming
// the file that could not be read or written.
void CopyFileAtomically(const std::string& from, const std::string& to);

// Whole folders the same way. MakeBuildingFolder makes a new empty folder in
// `parent` that only this build knows (".NAME.building-XXXXXX"), with the
// permissions a folder made there would have; DataError names `parent` when it
// cannot. RenameIntoPlace then renames it to `target`, never over a folder that
// took that name meanwhile: true when it is in place, else false with errno.
std::string MakeBuildingFolder(const std::string& parent, const std::string& name);
bool RenameIntoPlace(const std::string& building, const std::string& target);

// The one step of a write that no real failure in a test can reach: putting the
// finished temporary file or folder in the target's place. Tests install a
// stand-in for rename(2) (for a folder, the no-replace rename); nullptr restores it.
using RenameStep = int (*)(const char* from, const char* to);
void SetRenameStepForTesting(RenameStep step);

} // namespace tackedit
