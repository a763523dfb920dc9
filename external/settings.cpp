#include "external/settings.h"

#include "platform/program_start.h"
#include "platform/text_codec.h"
#include "base/atomic_write.h"
#include "base/data_error.h"
#include "base/field_splitter.h"
#include "base/file_buffer.h"
#include "track/formats/format_common.h"
#include "base/workspace_files.h"

#include <algorithm>
#include <string_view>

namespace tackedit {
namespace {

constexpr double kStartLoa = 4.7;
constexpr double kStartMagVar = -7.0;
constexpr int kStartTimeDiff = 9;
constexpr int kStartLayUp = 45;
constexpr int kStartLayDown = 160;

std::string AsciiUpper(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// A path containing the text; no text is contained in anything, so an empty
// tool box never selects nor removes a tool.
bool Contains(const std::string& path, const std::string& text)
{
    return !text.empty() && path.find(text) != std::string::npos;
}

// The built-in tool lives in the workspace, whose names match without regard to
// case: its folder as it is, its file name in any case.
bool IsBuiltin(const std::string& path, const DownloadToolList& tools)
{
    const std::string& builtin = tools.DownloadTools[0];
    if (path.size() != builtin.size())
        return false;
    const std::size_t folder = builtin.size() - ToolFileName(builtin).size();
    return path.compare(0, folder, builtin, 0, folder) == 0 &&
           AsciiUpper(std::string_view(path).substr(folder)) == AsciiUpper(std::string_view(builtin).substr(folder));
}

// The entry among 0..count that is the path; -1 when none is.
int ListedIndex(const std::string& path, const DownloadToolList& tools)
{
    if (IsBuiltin(path, tools))
        return 0;
    for (int i = 1; i <= tools.DownloadToolCount; ++i)
        if (tools.DownloadTools[static_cast<std::size_t>(i)] == path)
            return i;
    return -1;
}

// The file cannot split a value at a comma or a line break, nor hold what code
// page 932 has no code for.
bool Storable(const std::string& path)
{
    for (const char c : path)
        if (c == ',' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return false;
    return Utf8ToCp932(path).has_value();
}

bool HasExeExtension(const std::string& path)
{
    const std::string name = ToolFileName(path);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return false;
    std::string extension = name.substr(dot);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return extension == ".exe";
}

} // namespace

SettingsFieldTexts ReadSettingsFile(const std::string& settings_path, RaceSettings& race, DownloadToolList& tools)
{
    race.Loa = kStartLoa;
    race.MagVar = kStartMagVar;
    race.TimeDiff = kStartTimeDiff;
    race.LayUp = kStartLayUp;
    race.LayDown = kStartLayDown;
    tools.CurrentDownloadTool = tools.DownloadTools[0];

    if (!FileExists(settings_path))
        return {};
    const FileBytes bytes = ReadWholeFile(settings_path);
    SettingsFieldTexts result;
    // A received file may name anything; it gets the checks a registration gets.
    ReadUnchanged(bytes, [&] {
        result = ParseSettingsFile(bytes.view(), tools, [](const std::string& path) { return !CheckDownloadTool(path); });
    });
    return result;
}

SettingsFieldTexts ParseSettingsFile(std::string_view bytes, DownloadToolList& tools,
                                     const std::function<bool(const std::string&)>& offered)
{
    SettingsFieldTexts texts;
    const std::string text = Cp932ToUtf8(bytes);

    // The file's SOFT lines replace the registered tools as a whole.
    DownloadToolList read;
    read.DownloadTools[0] = tools.DownloadTools[0];
    read.CurrentDownloadTool = tools.DownloadTools[0];
    std::optional<std::string> run;

    FieldSplitter splitter;
    LineCursor lines(text);
    std::string_view line;
    while (lines.Next(line)) {
        splitter.SplitFields(line, ',');
        const std::string key = AsciiUpper(splitter[0]);
        const std::string& value = splitter[1];
        // Bytes that did not decode name no program and could not be written back.
        const bool decoded = value.find(kReplacementCharacter) == std::string::npos;
        if (key == "LG")
            texts.Edit8 = value;
        else if (key == "MG")
            texts.Edit9 = value;
        else if (key == "TD")
            texts.Edit10 = value;
        else if (key == "LLUP")
            texts.Edit5 = value;
        else if (key == "LLDN")
            texts.Edit6 = value;
        else if (key == "SOFT") {
            // Duplicates are dropped as they come, so they take no room in the list.
            const bool known = ListedIndex(value, read) >= 0 ||
                               std::find(read.SetAside.begin(), read.SetAside.end(), value) != read.SetAside.end();
            if (!decoded || known)
                continue;
            if (read.DownloadToolCount < DownloadToolList::kMaxTools && (!offered || offered(value)))
                read.DownloadTools[static_cast<std::size_t>(++read.DownloadToolCount)] = value;
            else if (read.SetAside.size() < DownloadToolList::kMaxTools)
                read.SetAside.push_back(value);
        } else if (key == "RUN") {
            if (decoded)
                run = value;
        }
    }
    // Only a tool on offer can be the selected one.
    if (run)
        if (const int index = ListedIndex(*run, read); index >= 0)
            read.CurrentDownloadTool = read.DownloadTools[static_cast<std::size_t>(index)];
    tools = std::move(read);
    return texts;
}

std::optional<ToolProblem> CheckDownloadTool(const std::string& path)
{
    if (!HasExeExtension(path))
        return ToolProblem::NotExe;
    if (!Storable(path))
        return ToolProblem::NotStorable;
    std::string program = path;
    std::replace(program.begin(), program.end(), '\\', '/');
    switch (ExamineProgramFile(program)) {
    case ProgramFile::NotAbsolute: return ToolProblem::NotAbsolute;
    case ProgramFile::Missing:
    case ProgramFile::NotProgram: return ToolProblem::NotProgram;
    case ProgramFile::Native:
    case ProgramFile::Windows:
    case ProgramFile::WindowsNotExecutable: return std::nullopt;
    }
    return ToolProblem::NotProgram;
}

std::string ToolProgramPath(const std::string& entry, const DownloadToolList& tools)
{
    if (IsBuiltin(entry, tools)) {
        const std::string& builtin = tools.DownloadTools[0];
        const std::string name = ToolFileName(builtin);
        const std::optional<std::string> found = FindWorkspaceFile(builtin.substr(0, builtin.size() - name.size()), name);
        return found ? *found : builtin;
    }
    std::string program = entry;
    std::replace(program.begin(), program.end(), '\\', '/');
    return program;
}

std::string ToolFileName(const std::string& path)
{
    const std::size_t cut = path.find_last_of("\\:/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::vector<std::string> ToolBoxItems(const DownloadToolList& tools)
{
    std::vector<std::string> items;
    for (int i = tools.DownloadToolCount; i >= 0; --i)
        items.push_back(ToolFileName(tools.DownloadTools[static_cast<std::size_t>(i)]));
    return items;
}

std::string ToolBoxText(const DownloadToolList& tools)
{
    return ToolFileName(tools.CurrentDownloadTool);
}

std::string EncodeSettings(RaceSettings& race, const DownloadToolList& tools, const std::string& settings_path)
{
    if (race.LayUp == 0)
        race.LayUp = kStartLayUp;
    if (race.LayDown == 0)
        race.LayDown = kStartLayDown;

    std::vector<std::string> lines = {
        "LG," + FormatGeneralNumber(race.Loa),
        "MG," + FormatGeneralNumber(race.MagVar),
        "TD," + std::to_string(race.TimeDiff),
        "LLUP," + FormatGeneralNumber(race.LayUp),
        "LLDN," + FormatGeneralNumber(race.LayDown),
    };
    for (int i = 1; i <= tools.DownloadToolCount; ++i)
        lines.push_back("SOFT," + tools.DownloadTools[static_cast<std::size_t>(i)]);
    // They came from the file, so they go back to it; one that could not would
    // only stop the settings from being saved.
    for (const std::string& path : tools.SetAside)
        if (Utf8ToCp932(path))
            lines.push_back("SOFT," + path);
    // A file without a RUN line selects the built-in tool too; leaving the line
    // out keeps a workspace whose folder name has no code page 932 form usable.
    const bool builtin_unstorable =
        tools.CurrentDownloadTool == tools.DownloadTools[0] && !Utf8ToCp932(tools.CurrentDownloadTool);
    if (!builtin_unstorable)
        lines.push_back("RUN," + tools.CurrentDownloadTool);

    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string bad;
        const std::optional<std::string> bytes = Utf8ToCp932(lines[i], &bad);
        if (!bytes) {
            const std::size_t comma = lines[i].find(',');
            const std::string value = lines[i].substr(comma + 1);
            throw DataError(settings_path, static_cast<std::int64_t>(i + 1), value,
                            lines[i].substr(0, comma) + " value '" + value +
                                "' cannot be written: '" + bad + "' cannot be stored in the settings file");
        }
        out += *bytes;
        out += "\r\n";
    }
    return out;
}

void WriteSettingsFile(const std::string& settings_path, RaceSettings& race, const DownloadToolList& tools)
{
    WriteFileAtomically(settings_path, EncodeSettings(race, tools, settings_path));
}

int FindToolToLaunch(const std::string& box_text, const DownloadToolList& tools)
{
    for (int i = 0; i <= tools.DownloadToolCount; ++i)
        if (Contains(tools.DownloadTools[static_cast<std::size_t>(i)], box_text))
            return i;
    return -1;
}

std::optional<std::string> PickToolToLaunch(const std::string& box_text, DownloadToolList& tools)
{
    const int index = FindToolToLaunch(box_text, tools);
    if (index < 0)
        return std::nullopt;
    tools.CurrentDownloadTool = tools.DownloadTools[static_cast<std::size_t>(index)];
    return tools.CurrentDownloadTool;
}

RegisterResult RegisterDownloadTool(const std::string& chosen, DownloadToolList& tools)
{
    if (const std::optional<ToolProblem> problem = CheckDownloadTool(chosen)) {
        switch (*problem) {
        case ToolProblem::NotExe: return RegisterResult::NotExe;
        case ToolProblem::NotStorable: return RegisterResult::NotStorable;
        case ToolProblem::NotAbsolute: return RegisterResult::NotAbsolute;
        case ToolProblem::NotProgram: return RegisterResult::NotProgram;
        }
    }
    const int index = ListedIndex(chosen, tools);
    if (index >= 0) {
        tools.CurrentDownloadTool = tools.DownloadTools[static_cast<std::size_t>(index)];
        return RegisterResult::Added;
    }
    if (tools.DownloadToolCount >= DownloadToolList::kMaxTools)
        return RegisterResult::ListFull;
    tools.DownloadTools[static_cast<std::size_t>(++tools.DownloadToolCount)] = chosen;
    std::erase(tools.SetAside, chosen);
    tools.CurrentDownloadTool = chosen;
    return RegisterResult::Added;
}

void UnregisterDownloadTool(const std::string& box_text, DownloadToolList& tools)
{
    int kept = 0;
    for (int i = 1; i <= tools.DownloadToolCount; ++i) {
        std::string& path = tools.DownloadTools[static_cast<std::size_t>(i)];
        if (Contains(path, box_text))
            continue;
        if (++kept != i)
            tools.DownloadTools[static_cast<std::size_t>(kept)] = std::move(path);
    }
    for (int i = kept + 1; i <= tools.DownloadToolCount; ++i)
        tools.DownloadTools[static_cast<std::size_t>(i)].clear();
    tools.DownloadToolCount = kept;
    tools.CurrentDownloadTool = tools.DownloadTools[static_cast<std::size_t>(kept)];
}

} // namespace tackedit
