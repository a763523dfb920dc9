#pragma once

// The settings file ("ctrl.log" in the ctrl folder): five race values as they
// were last written, and the user's list of GPS download tools. Plain text in
// code page 932, one "KEY,value" per line, CR LF line ends.

#include "race/race_settings.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tackedit {

// Entry 0 is the built-in tool (DownloadToolPath), set by the shell before the
// first read; it is never removed and never written. Entries 1..DownloadToolCount
// are the registered tools, oldest first.
struct DownloadToolList {
    static constexpr int kMaxTools = 10;
    std::array<std::string, kMaxTools + 1> DownloadTools;
    int DownloadToolCount = 0;
    std::string CurrentDownloadTool;
    // SOFT paths of the file that are not offered: no program to start here now
    // (missing, relative, not a program) or beyond the tenth. Written back after
    // the registered tools so the file loses no line; offered again once usable.
    std::vector<std::string> SetAside;
};

// The value texts the file gives for the compile screen's edit boxes, unparsed:
// LG, MG, TD, LLUP, LLDN. nullopt when the file has no such line.
struct SettingsFieldTexts {
    std::optional<std::string> Edit8, Edit9, Edit10, Edit5, Edit6;
};

// Puts the start values into `race`, selects the built-in tool, then reads the
// file when there is one: its SOFT lines replace the registered tools and its RUN
// line selects one of them. Only a path CheckDownloadTool accepts is offered; the
// others are set aside. A path equal to the built-in one or to an earlier entry is
// dropped, so is a path whose bytes are not valid code page 932 (it could never
// name a program nor be written back). A missing file leaves the registered tools
// as they were; so does a file that cannot be read, which raises DataError.
SettingsFieldTexts ReadSettingsFile(const std::string& settings_path, RaceSettings& race,
                                    DownloadToolList& tools);

// The file's bytes read into `tools` (entry 0 kept) and the texts returned. A SOFT
// path `offered` refuses is set aside; without `offered` every path is offered.
SettingsFieldTexts ParseSettingsFile(std::string_view bytes, DownloadToolList& tools,
                                     const std::function<bool(const std::string&)>& offered = {});

enum class ToolProblem {
    NotExe,       // the file name does not end in ".exe", in any case
    NotStorable,  // the file cannot keep the path: a comma, a control character,
                  // or a character code page 932 cannot hold
    NotAbsolute,  // not a full path
    NotProgram,   // nothing there, or neither an executable nor a Windows program
};

// Why `path` cannot be a download tool; nullopt when it can.
std::optional<ToolProblem> CheckDownloadTool(const std::string& path);

// The file to start for an entry of the list: "\" read as "/", and the built-in
// tool found in its folder without regard to case.
std::string ToolProgramPath(const std::string& entry, const DownloadToolList& tools);

// The file-name part of a path: the text after its last "\", ":" or "/".
std::string ToolFileName(const std::string& path);

// The tool box's items, newest registration first and the built-in tool last,
// and the text it shows (the selected tool).
std::vector<std::string> ToolBoxItems(const DownloadToolList& tools);
std::string ToolBoxText(const DownloadToolList& tools);

// The file's bytes. A lay-line angle of 0 is first set to its start value (45
// upwind, 160 downwind) in `race`. A path that code page 932 cannot hold raises
// DataError naming `settings_path`, the line and the path.
std::string EncodeSettings(RaceSettings& race, const DownloadToolList& tools,
                           const std::string& settings_path = "ctrl.log");

// Replaces the file whole; on any failure the old file stays as it was.
void WriteSettingsFile(const std::string& settings_path, RaceSettings& race, const DownloadToolList& tools);

// The first of entries 0..DownloadToolCount whose path contains `box_text`
// (case-sensitive; an empty text matches nothing); -1 when none does.
int FindToolToLaunch(const std::string& box_text, const DownloadToolList& tools);

// That entry becomes the selected tool and is returned.
std::optional<std::string> PickToolToLaunch(const std::string& box_text, DownloadToolList& tools);

enum class RegisterResult {
    Added,        // registered (or already listed) and selected
    NotExe,       // as the ToolProblem of that name
    NotStorable,
    NotAbsolute,
    NotProgram,
    ListFull,     // ten tools are registered already
};

// Appends `chosen` as the newest tool and selects it once CheckDownloadTool
// accepts it. A path already in the list (the built-in one included, its file
// name in any case) is selected without a second entry.
RegisterResult RegisterDownloadTool(const std::string& chosen, DownloadToolList& tools);

// Removes every registered tool whose path contains `box_text` (an empty text
// matches nothing; the built-in tool always stays) and selects the last one kept,
// or the built-in tool.
void UnregisterDownloadTool(const std::string& box_text, DownloadToolList& tools);

} // namespace tackedit
