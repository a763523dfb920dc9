#include "external/settings.h"

#include "base/data_error.h"
#include "base/file_buffer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace tackedit {
namespace {

const std::string kBuiltin = "C:\\tackedit\\GPSFETCH.exe";

// A file written after two tools were registered and the second one launched.
const std::string kExampleFile =
    "LG,4.7\r\nMG,-7\r\nTD,9\r\nLLUP,45\r\nLLDN,160\r\n"
    "SOFT,C:\\Tools\\fetch_a.exe\r\nSOFT,D:\\GPS\\fetch_b.exe\r\nRUN,D:\\GPS\\fetch_b.exe\r\n";

DownloadToolList BuiltinOnly()
{
    DownloadToolList tools;
    tools.DownloadTools[0] = kBuiltin;
    tools.CurrentDownloadTool = kBuiltin;
    return tools;
}

std::vector<std::string> Registered(const DownloadToolList& tools)
{
    std::vector<std::string> out;
    for (int i = 1; i <= tools.DownloadToolCount; ++i)
        out.push_back(tools.DownloadTools[static_cast<std::size_t>(i)]);
    return out;
}

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tackedit-settings-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        path_ = folder_ + "/ctrl.log";
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    void Store(const std::string& bytes, const std::string& path = "") const
    {
        std::ofstream(path.empty() ? path_ : path, std::ios::binary) << bytes;
    }
    std::string Stored(const std::string& path = "") const
    {
        return std::string(ReadWholeFile(path.empty() ? path_ : path).view());
    }
    // The file's form alone: every path is taken as a program.
    static DownloadToolList Read(const std::string& bytes, SettingsFieldTexts* texts = nullptr)
    {
        DownloadToolList tools = BuiltinOnly();
        const SettingsFieldTexts read = ParseSettingsFile(bytes, tools);
        if (texts)
            *texts = read;
        return tools;
    }
    // An executable file under the test folder, by its full path.
    std::string Program(const std::string& name, const std::string& head = "#!/bin/sh\n",
                        std::filesystem::perms perms = std::filesystem::perms::owner_all) const
    {
        const std::filesystem::path path = std::filesystem::path(folder_) / name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << head;
        std::filesystem::permissions(path, perms);
        return path.string();
    }

    std::string folder_;
    std::string path_;
};

TEST_F(SettingsFile, ReadsTheExampleFile)
{
    SettingsFieldTexts texts;
    Store(kExampleFile);
    DownloadToolList tools = BuiltinOnly();
    RaceSettings race;
    race.Loa = 9.9;
    race.LayUp = 0;
    texts = ReadSettingsFile(path_, race, tools);

    // The race values restart; the file's values go to the edit boxes as text.
    EXPECT_EQ(race.Loa, 4.7);
    EXPECT_EQ(race.LayUp, 45);
    EXPECT_EQ(texts.Edit8, "4.7");
    EXPECT_EQ(texts.Edit9, "-7");
    EXPECT_EQ(texts.Edit10, "9");
    EXPECT_EQ(texts.Edit5, "45");
    EXPECT_EQ(texts.Edit6, "160");
    // Windows paths name no program here: not offered, nor selected, but kept.
    EXPECT_EQ(tools.DownloadToolCount, 0);
    EXPECT_EQ(tools.SetAside, (std::vector<std::string>{"C:\\Tools\\fetch_a.exe", "D:\\GPS\\fetch_b.exe"}));
    EXPECT_EQ(tools.CurrentDownloadTool, kBuiltin);

    tools = Read(kExampleFile);
    EXPECT_EQ(Registered(tools), (std::vector<std::string>{"C:\\Tools\\fetch_a.exe", "D:\\GPS\\fetch_b.exe"}));
    EXPECT_EQ(tools.DownloadTools[0], kBuiltin);
    EXPECT_EQ(tools.CurrentDownloadTool, "D:\\GPS\\fetch_b.exe");
}

TEST_F(SettingsFile, OnlyProgramsTheFileNamesAreOfferedAndTheRestIsKept)
{
    const std::string native = Program("a/fetch.exe");
    const std::string windows = Program("b/dl.EXE", "MZ\x90", std::filesystem::perms::owner_read);
    const std::string plain = Program("c/notes.exe", "text", std::filesystem::perms::owner_read);
    const std::string builtin = Program("ws/gpsfetch.exe");
    const std::string run = "RUN," + plain + "\r\n";
    Store("SOFT,relative/fetch.exe\r\nSOFT," + plain + "\r\nSOFT," + folder_ + "/none.exe\r\nSOFT," + native +
          "\r\nSOFT," + Program("d/fetch") + "\r\nSOFT," + windows + "\r\nSOFT," + folder_ +
          "/ws/GPSFetch.exe\r\n" + run);
    DownloadToolList tools;
    tools.DownloadTools[0] = folder_ + "/ws/GPSFETCH.exe";
    RaceSettings race;
    ReadSettingsFile(path_, race, tools);
    EXPECT_EQ(Registered(tools), (std::vector<std::string>{native, windows}));
    EXPECT_EQ(tools.SetAside.size(), 4u);
    // A RUN line naming a tool not on offer leaves the built-in one selected.
    EXPECT_EQ(tools.CurrentDownloadTool, tools.DownloadTools[0]);
    // The built-in tool is started as the file its folder holds, in any case.
    EXPECT_EQ(ToolProgramPath(tools.DownloadTools[0], tools), builtin);
    EXPECT_EQ(ToolProgramPath("\\opt\\x.exe", tools), "/opt/x.exe");

    // Rewritten, the file keeps every line it had, and reads back alike.
    WriteSettingsFile(path_, race, tools);
    const std::string written = Stored();
    for (const std::string& path : tools.SetAside)
        EXPECT_NE(written.find("\r\nSOFT," + path + "\r\n"), std::string::npos) << path;
    DownloadToolList again = tools;
    ReadSettingsFile(path_, race, again);
    EXPECT_EQ(Registered(again), Registered(tools));
    EXPECT_EQ(again.SetAside, tools.SetAside);

    // A set-aside tool registered after all is listed once.
    std::filesystem::permissions(plain, std::filesystem::perms::owner_all);
    ASSERT_EQ(RegisterDownloadTool(plain, again), RegisterResult::Added);
    EXPECT_EQ(again.SetAside.size(), 3u);
}

TEST_F(SettingsFile, LineFormVariants)
{
    SettingsFieldTexts texts;
    // Lower-case keys, LF and lone CR line ends, extra fields, unknown keys, any order.
    DownloadToolList tools =
        Read("run,C:\\a\\x.exe\nsoft,C:\\a\\x.exe\rPORT,3\r\nLg, 5.5 ,junk\nSOFT,C:\\My,Tools\\x.exe\nSOFT\n", &texts);
    EXPECT_EQ(Registered(tools), (std::vector<std::string>{"C:\\a\\x.exe", "C:\\My", ""}));
    EXPECT_EQ(tools.CurrentDownloadTool, "C:\\a\\x.exe");
    EXPECT_EQ(texts.Edit8, "5.5");
    EXPECT_FALSE(texts.Edit9);

    // A key alone empties its box.
    Read("LG\r\n", &texts);
    EXPECT_EQ(texts.Edit8, "");

    // Shift-JIS paths come in as UTF-8.
    tools = Read("SOFT,C:\\\x83\x63\x81\x5B\x83\x8B\\get.exe\r\n");
    EXPECT_EQ(Registered(tools), std::vector<std::string>{"C:\\ツール\\get.exe"});
}

TEST_F(SettingsFile, DuplicatesAndTheBuiltinPathAreDropped)
{
    const DownloadToolList tools = Read("SOFT,C:\\b.exe\r\nSOFT," + kBuiltin + "\r\nSOFT,C:\\a.exe\r\n"
                                        "SOFT,C:\\b.exe\r\nSOFT,c:\\b.exe\r\n");
    // Case counts: c:\b.exe is another path.
    EXPECT_EQ(Registered(tools), (std::vector<std::string>{"C:\\b.exe", "C:\\a.exe", "c:\\b.exe"}));
    EXPECT_EQ(tools.DownloadTools[0], kBuiltin);
}

TEST_F(SettingsFile, MissingFileKeepsTheToolsAndRestartsTheRest)
{
    DownloadToolList tools = BuiltinOnly();
    tools.DownloadTools[1] = "C:\\a.exe";
    tools.DownloadToolCount = 1;
    tools.CurrentDownloadTool = "C:\\a.exe";
    RaceSettings race;
    race.MagVar = 3;
    const SettingsFieldTexts texts = ReadSettingsFile(folder_ + "/none.log", race, tools);
    EXPECT_EQ(Registered(tools), std::vector<std::string>{"C:\\a.exe"});
    EXPECT_EQ(tools.CurrentDownloadTool, kBuiltin);
    EXPECT_EQ(race.MagVar, -7.0);
    EXPECT_FALSE(texts.Edit8);

    // A file with no SOFT line empties the list.
    Store("LG,4\r\n");
    ReadSettingsFile(path_, race, tools);
    EXPECT_EQ(tools.DownloadToolCount, 0);
}

TEST_F(SettingsFile, OnlyTenToolsAreKept)
{
    std::string file;
    for (int i = 1; i <= 300; ++i)
        file += "SOFT,C:\\t" + std::to_string(i) + ".exe\r\n";
    DownloadToolList tools = Read(file);
    ASSERT_EQ(tools.DownloadToolCount, 10);
    EXPECT_EQ(tools.DownloadTools[10], "C:\\t10.exe");
    // The next ten wait for room; more than that are not kept.
    ASSERT_EQ(tools.SetAside.size(), 10u);
    EXPECT_EQ(tools.SetAside.back(), "C:\\t20.exe");

    // Duplicates take no room.
    tools = Read("SOFT,C:\\t1.exe\r\nSOFT,C:\\t1.exe\r\n" + file);
    ASSERT_EQ(tools.DownloadToolCount, 10);
    EXPECT_EQ(tools.DownloadTools[10], "C:\\t10.exe");
}

TEST_F(SettingsFile, BadInputEndsWithWhatCouldBeRead)
{
    // Undecodable bytes in a path: that line is dropped, the others are read.
    SettingsFieldTexts texts;
    DownloadToolList tools =
        Read("SOFT,C:\\a.exe\r\nSOFT,C:\\\xFF\x80.exe\r\nRUN,C:\\\xFF.exe\r\nSOFT,C:\\b.exe\r\nLG,4\xFF\r\n", &texts);
    EXPECT_EQ(Registered(tools), (std::vector<std::string>{"C:\\a.exe", "C:\\b.exe"}));
    EXPECT_EQ(tools.CurrentDownloadTool, kBuiltin);
    EXPECT_EQ(texts.Edit8, "4\uFFFD");

    // NUL bytes, a megabyte line and then a good line.
    tools = Read(std::string("SOFT,C:\\n\0l.exe\r\n", 17) + "SOFT," + std::string(1 << 20, 'x') +
                 "\r\nSOFT,C:\\c.exe\r\n");
    ASSERT_EQ(tools.DownloadToolCount, 3);
    EXPECT_EQ(tools.DownloadTools[1], std::string("C:\\n\0l.exe", 10));
    EXPECT_EQ(tools.DownloadTools[2], std::string(5000, 'x'));
    EXPECT_EQ(tools.DownloadTools[3], "C:\\c.exe");

    // Random bytes: no crash, no entry past the list, entry 0 untouched.
    std::mt19937 random(7);
    for (int round = 0; round < 50; ++round) {
        std::string garbage;
        for (int i = 0; i < 4000; ++i)
            garbage += static_cast<char>(random() % 4 == 0 ? "SOFT,\r\n"[random() % 7] : random() % 256);
        tools = Read(garbage);
        EXPECT_LE(tools.DownloadToolCount, 10);
        EXPECT_EQ(tools.DownloadTools[0], kBuiltin);
    }

    // A folder where the file should be counts as no file.
    std::filesystem::create_directory(folder_ + "/dir.log");
    tools = BuiltinOnly();
    RaceSettings race;
    EXPECT_NO_THROW(ReadSettingsFile(folder_ + "/dir.log", race, tools));
}

TEST(ToolBox, NewestFirstBuiltinLastAndFileNamesOnly)
{
    DownloadToolList tools = BuiltinOnly();
    tools.DownloadTools[1] = "C:\\Tools\\fetch_a.exe";
    tools.DownloadTools[2] = "D:fetch_b.exe";
    tools.DownloadTools[3] = "/opt/gps/fetch_c.exe";
    tools.DownloadToolCount = 3;
    tools.CurrentDownloadTool = "D:fetch_b.exe";
    EXPECT_EQ(ToolBoxItems(tools),
              (std::vector<std::string>{"fetch_c.exe", "fetch_b.exe", "fetch_a.exe", "GPSFETCH.exe"}));
    EXPECT_EQ(ToolBoxText(tools), "fetch_b.exe");
}

TEST_F(SettingsFile, WritesTheExampleFileByteForByte)
{
    DownloadToolList tools = Read(kExampleFile);
    RaceSettings race;
    WriteSettingsFile(path_, race, tools);
    EXPECT_EQ(Stored(), kExampleFile);

    // Shift-JIS paths, reals in their shortest form.
    race.Loa = 12.25;
    race.MagVar = 0.5;
    race.TimeDiff = -10;
    tools.DownloadTools[1] = "C:\\ツール\\get.exe";
    tools.DownloadToolCount = 1;
    tools.CurrentDownloadTool = kBuiltin;
    WriteSettingsFile(path_, race, tools);
    EXPECT_EQ(Stored(), "LG,12.25\r\nMG,0.5\r\nTD,-10\r\nLLUP,45\r\nLLDN,160\r\n"
                        "SOFT,C:\\\x83\x63\x81\x5B\x83\x8B\\get.exe\r\nRUN," + kBuiltin + "\r\n");

    // What was written reads back the same.
    DownloadToolList again = Read(Stored());
    EXPECT_EQ(Registered(again), Registered(tools));
    EXPECT_EQ(again.CurrentDownloadTool, kBuiltin);
}

TEST_F(SettingsFile, ZeroLayLineAnglesBecomeTheirStartValues)
{
    RaceSettings race;
    race.LayUp = 0;
    race.LayDown = 0;
    const std::string bytes = EncodeSettings(race, BuiltinOnly());
    EXPECT_NE(bytes.find("\r\nLLUP,45\r\nLLDN,160\r\n"), std::string::npos);
    EXPECT_EQ(race.LayUp, 45);
    EXPECT_EQ(race.LayDown, 160);
}

TEST_F(SettingsFile, FailedWritesLeaveTheOldFile)
{
    Store(kExampleFile);
    DownloadToolList tools = BuiltinOnly();
    tools.DownloadTools[1] = "/home/jos\u00e9/tool.exe";
    tools.DownloadToolCount = 1;
    RaceSettings race;
    try {
        WriteSettingsFile(path_, race, tools);
        FAIL() << "no error";
    } catch (const DataError& e) {
        EXPECT_EQ(e.file(), path_);
        EXPECT_EQ(e.line(), 6);
        EXPECT_EQ(e.text(), "/home/jos\u00e9/tool.exe");
        EXPECT_NE(std::string(e.what()).find("\u00e9"), std::string::npos);
    }
    EXPECT_EQ(Stored(), kExampleFile);

    // A folder that cannot exist: its parent is a file.
    Store("x", folder_ + "/plain");
    EXPECT_THROW(WriteSettingsFile(folder_ + "/plain/ctrl.log", race, BuiltinOnly()), DataError);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 2);
}

TEST_F(SettingsFile, BuiltinToolInAnUnwritableFolderNameLeavesOutRun)
{
    DownloadToolList tools;
    tools.DownloadTools[0] = "/home/jos\u00e9/tackedit/GPSFETCH.exe";
    tools.CurrentDownloadTool = tools.DownloadTools[0];
    RaceSettings race;
    WriteSettingsFile(path_, race, tools);
    EXPECT_EQ(Stored(), "LG,4.7\r\nMG,-7\r\nTD,9\r\nLLUP,45\r\nLLDN,160\r\n");
    ReadSettingsFile(path_, race, tools);
    EXPECT_EQ(tools.CurrentDownloadTool, tools.DownloadTools[0]);
}

TEST(DownloadTools, LaunchPicksTheFirstEntryContainingTheText)
{
    DownloadToolList tools = BuiltinOnly();
    tools.DownloadTools[1] = "C:\\old\\GPSFETCH.exe";
    tools.DownloadTools[2] = "C:\\gps\\fetch_b.exe";
    tools.DownloadToolCount = 2;

    // The built-in tool is tried first.
    EXPECT_EQ(PickToolToLaunch("GPSFETCH.exe", tools), kBuiltin);
    EXPECT_EQ(tools.CurrentDownloadTool, kBuiltin);
    EXPECT_EQ(PickToolToLaunch("fetch_b", tools), "C:\\gps\\fetch_b.exe");
    EXPECT_EQ(tools.CurrentDownloadTool, "C:\\gps\\fetch_b.exe");

    // No match, case differences and an empty box change nothing.
    EXPECT_FALSE(PickToolToLaunch("FETCH_B", tools));
    EXPECT_FALSE(PickToolToLaunch("", tools));
    EXPECT_EQ(tools.CurrentDownloadTool, "C:\\gps\\fetch_b.exe");
}

TEST_F(SettingsFile, RegisterAcceptsOnlyExeProgramsItCanStore)
{
    DownloadToolList tools = BuiltinOnly();
    const std::string tool = Program("gps/TOOL.EXE");
    EXPECT_EQ(RegisterDownloadTool(tool, tools), RegisterResult::Added);
    EXPECT_EQ(tools.CurrentDownloadTool, tool);
    for (const char* path : {"/opt/gps/tool.exe.lnk", "/opt/gps/tool", "/opt/x.exe/tool", "C:\\x.exe\\tool",
                             "/opt/gps/tool.exe "})
        EXPECT_EQ(RegisterDownloadTool(path, tools), RegisterResult::NotExe) << path;
    // The file would cut the first at its comma and break the second in two lines.
    for (const char* path : {"/opt/My,Tools/x.exe", "/opt/a\nb.exe", "/home/jos\u00e9/x.exe"})
        EXPECT_EQ(RegisterDownloadTool(path, tools), RegisterResult::NotStorable) << path;
    EXPECT_EQ(RegisterDownloadTool("gps/TOOL.EXE", tools), RegisterResult::NotAbsolute);
    EXPECT_EQ(RegisterDownloadTool(folder_ + "/none.exe", tools), RegisterResult::NotProgram);
    EXPECT_EQ(RegisterDownloadTool(Program("text.exe", "", std::filesystem::perms::owner_read), tools),
              RegisterResult::NotProgram);
    EXPECT_EQ(Registered(tools), std::vector<std::string>{tool});
    EXPECT_EQ(tools.CurrentDownloadTool, tool);
}

TEST_F(SettingsFile, RegisterRefusesAnEleventhToolButSelectsAListedOne)
{
    DownloadToolList tools;
    tools.DownloadTools[0] = folder_ + "/GPSFETCH.exe";
    for (int i = 1; i <= 10; ++i)
        ASSERT_EQ(RegisterDownloadTool(Program(std::to_string(i) + ".exe"), tools), RegisterResult::Added);
    const DownloadToolList full = tools;
    EXPECT_EQ(RegisterDownloadTool(Program("11.exe"), tools), RegisterResult::ListFull);
    EXPECT_EQ(Registered(tools), Registered(full));
    EXPECT_EQ(tools.CurrentDownloadTool, folder_ + "/10.exe");

    EXPECT_EQ(RegisterDownloadTool(folder_ + "/3.exe", tools), RegisterResult::Added);
    EXPECT_EQ(RegisterDownloadTool(Program("gpsfetch.EXE"), tools), RegisterResult::Added);
    EXPECT_EQ(Registered(tools), Registered(full));
    EXPECT_EQ(tools.CurrentDownloadTool, tools.DownloadTools[0]);
}

TEST(DownloadTools, UnregisterRemovesEveryRegisteredMatch)
{
    DownloadToolList tools = BuiltinOnly();
    for (const char* path : {"C:\\a\\GPSFETCH.exe", "C:\\b\\other.exe", "C:\\c\\GPSFETCH.exe"})
        tools.DownloadTools[static_cast<std::size_t>(++tools.DownloadToolCount)] = path;

    // An empty box removes nothing.
    UnregisterDownloadTool("", tools);
    EXPECT_EQ(tools.DownloadToolCount, 3);

    UnregisterDownloadTool("GPSFETCH.exe", tools);
    EXPECT_EQ(Registered(tools), std::vector<std::string>{"C:\\b\\other.exe"});
    EXPECT_EQ(tools.DownloadTools[0], kBuiltin);
    EXPECT_EQ(tools.CurrentDownloadTool, "C:\\b\\other.exe");
    EXPECT_EQ(ToolBoxItems(tools), (std::vector<std::string>{"other.exe", "GPSFETCH.exe"}));

    UnregisterDownloadTool("other", tools);
    EXPECT_EQ(tools.DownloadToolCount, 0);
    EXPECT_EQ(tools.CurrentDownloadTool, kBuiltin);
    EXPECT_EQ(ToolBoxItems(tools), std::vector<std::string>{"GPSFETCH.exe"});
}

} // namespace
} // namespace tackedit
