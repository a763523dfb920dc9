#pragma once

// What the editor says around opening and saving a track.

#include <string>

namespace tackedit {

// The save confirmation: the question and the new file's name, and when that
// file exists a second line saying it is replaced (with its point count when
// it reads as a track).
std::string SaveConfirmationText(const std::string& new_file, int ui_language);

// Why an opened file gave no point: an ending the editor does not read (listing
// those it reads), or no track point in it.
std::string NoPointsMessage(const std::string& path, int ui_language = 2);

} // namespace tackedit
