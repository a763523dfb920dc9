#pragma once

// What the editor says around opening and saving a track.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tackedit {

// The save confirmation: the question and the new file's name, and when that
// file exists a second line saying it is replaced (with its point count when
// it reads as a track), and a line saying how many fixes the file leaves out
// (those within the second of the fix before) when there are any.
std::string SaveConfirmationText(const std::string& new_file, int ui_language, std::int32_t left_out = 0);

// A track time for the hover: it is UTC, so it says so, and with a time
// difference the local time follows ("2024-06-15 09:00:00 UTC / 18:00:00 UTC+9",
// with the local date too when it is another day).
std::string HoverTimeText(double track_time, std::optional<int> time_diff_hours);

// Why an opened file gave no point: an ending the editor does not read (listing
// those it reads), or no track point in it, with the reader's reasons.
std::string NoPointsMessage(const std::string& path, int ui_language = 2,
                            const std::vector<std::string>& notes = {});

// What a reader said of a file, one note a line.
std::string JoinedNotes(const std::vector<std::string>& notes);

} // namespace tackedit
