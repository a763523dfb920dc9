#pragma once

#include <string>

namespace tackedit {

// Moves a file or folder to the desktop's trash (the freedesktop trash on
// Linux), where the user can restore it; false when it could not. Needs only
// QtCore, so the command-line tool uses it too.
bool MoveToTrash(const std::string& path);

} // namespace tackedit
