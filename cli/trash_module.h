#pragma once

#include <string>

namespace tackedit::cli {

// Moves a file or folder to the desktop's trash through the trash module beside
// the executable; false when it could not (the module missing included).
bool MoveToTrashThroughModule(const std::string& path);

} // namespace tackedit::cli
