#pragma once

#include <string>

namespace tackedit {

// Moves a file or folder to the freedesktop trash, where the user's file
// manager can restore it: the home trash ($XDG_DATA_HOME/Trash, made when
// missing), or the trash at the top of the item's own file system when it lies
// on another one. True only once the item is in the trash's "files" folder;
// false leaves it where it was.
bool MoveToTrash(const std::string& path);

} // namespace tackedit
