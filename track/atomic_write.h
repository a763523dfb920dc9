#pragma once

#include <string>
#include <string_view>

namespace tackedit {

// Replaces the file at path with data through a temporary file in the same folder
// and a rename, so a failure leaves the old file (or no file) and never a partial
// one. Raises DataError naming the path.
void WriteFileAtomically(const std::string& path, std::string_view data);

} // namespace tackedit
