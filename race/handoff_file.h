#pragma once

// The hand-off file ctrl/editfile.edt, the editor's only message to the viewer:
// one Shift-JIS line ended by CR LF, the race file name, followed by "_b" when
// the race is to be shown in normal mode rather than edit mode.

#include <string>
#include <string_view>

namespace tackedit {

// The file's bytes for the hand-off text (the name, with "_b" for normal mode).
// A character Shift-JIS cannot hold raises DataError naming `path`.
std::string EncodeHandoffFile(const std::string& text, const std::string& path);

struct Handoff {
    std::string race_file;  // empty: the file names no race
    bool edit_mode = true;
};

// What the viewer takes from the file: its first line, blanks trimmed, with a
// trailing "_b" (after at least one character) marking normal mode.
Handoff ParseHandoffFile(std::string_view bytes);

} // namespace tackedit
