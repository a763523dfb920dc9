#include "screens/gps_download_panel.h"

#include "platform/fake_platform.h"
#include "platform/qt/qt_platform.h"
#include "base/data_error.h"
#include "base/file_buffer.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

namespace tackedit {
namespace {

// The panel with the window's side played as the window plays it: reading the
// file refills the box, writing lets DataError reach the panel.
class GpsDownloadPanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tackedit-panel-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        settings_path_ = folder_ + "/ctrl.log";
        builtin_ = folder_ + "/GPSFETCH.exe";
        tools_.DownloadTools[0] = builtin_;
        tool_a_ = Program("a/fetch_a.exe");
        tool_b_ = Program("GPSFETCH.exe.d/fetch_b.exe");
        two_tools_ = "LG,4.7\r\nMG,-7\r\nTD,9\r\nLLUP,45\r\nLLDN,160\r\nSOFT," + tool_a_ + "\r\nSOFT," + tool_b_ +
                     "\r\nRUN," + tool_a_ + "\r\n";
    }
    // An executable file under the test folder, by its full path.
    std::string Program(const std::string& name) const
    {
        const std::filesystem::path path = std::filesystem::path(folder_) / name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << "#!/bin/sh\n";
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path.string();
    }
    int ui_language_ = 0;  // the panel's design texts are Japanese

    void TearDown() override
    {
        panel_.reset();
        std::filesystem::remove_all(folder_);
    }

    // Starts like the program: the built-in tool set, then the file read.
    GpsDownloadPanel& Open(const std::string& file_bytes = "")
    {
        if (!file_bytes.empty())
            std::ofstream(settings_path_, std::ios::binary) << file_bytes;
        GpsDownloadPanel::Actions actions;
        actions.ReadSettings = [this] {
            ++reads_;
            ReadSettingsFile(settings_path_, race_, tools_);
            panel_->FillToolBox();
        };
        actions.WriteSettings = [this] {
            ++writes_;
            WriteSettingsFile(settings_path_, race_, tools_);
        };
        actions.Cancel = [this] { ++cancels_; };
        actions.UiLanguage = [this] { return ui_language_; };
        panel_ = std::make_unique<GpsDownloadPanel>(nullptr, tools_, dialogs_, shell_, actions);
        ReadSettingsFile(settings_path_, race_, tools_);
        panel_->FillToolBox();
        return *panel_;
    }

    void Click(const char* name)
    {
        auto* button = panel_->findChild<QPushButton*>(name);
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    QComboBox* Box() const { return panel_->findChild<QComboBox*>("ComboBox7"); }
    std::vector<std::string> BoxItems() const
    {
        std::vector<std::string> items;
        for (int i = 0; i < Box()->count(); ++i)
            items.push_back(FromQString(Box()->itemText(i)));
        return items;
    }
    std::string BoxText() const { return FromQString(Box()->currentText()); }
    void Type(const std::string& text)
    {
        Box()->lineEdit()->clear();
        QTest::keyClicks(Box()->lineEdit(), ToQString(text));
    }
    std::string Stored() const { return std::string(ReadWholeFile(settings_path_).view()); }

    // The label elides a long path by its width in the font; the tooltip holds it whole.
    std::string PathShown() const { return FromQString(panel_->findChild<QLabel*>("Label45")->toolTip()); }

    std::string folder_, settings_path_, builtin_, tool_a_, tool_b_, two_tools_;
    DownloadToolList tools_;
    RaceSettings race_;
    FakeDialogs dialogs_;
    FakeShell shell_;
    std::unique_ptr<GpsDownloadPanel> panel_;
    int reads_ = 0, writes_ = 0, cancels_ = 0;
};

TEST_F(GpsDownloadPanelTest, ControlsCarryTheirNamesAndCaptions)
{
    GpsDownloadPanel& panel = Open();
    EXPECT_EQ(panel.objectName(), "pnlGPS1");
    EXPECT_EQ(panel.size(), QSize(321, 193));
    auto* label = panel.findChild<QLabel*>("Label44");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QString::fromUtf8("GPSダウンロードソフトウエア"));
    ASSERT_NE(Box(), nullptr);
    EXPECT_TRUE(Box()->isEditable());
    const std::pair<const char*, const char*> buttons[] = {{"Button18", "GPSダウンロードソフトウエアを起動"},
                                                           {"Button19", "ソフトの新規登録"},
                                                           {"Button28", "ソフトの登録削除"},
                                                           {"Button20", "CANCEL"}};
    for (const auto& [name, caption] : buttons) {
        auto* button = panel.findChild<QPushButton*>(name);
        ASSERT_NE(button, nullptr) << name;
        EXPECT_EQ(button->text(), QString::fromUtf8(caption)) << name;
        EXPECT_TRUE(panel.rect().contains(button->geometry())) << name;
    }
    Click("Button20");
    EXPECT_EQ(cancels_, 1);
}

TEST_F(GpsDownloadPanelTest, LaunchStartsTheFirstMatchAndAlwaysWrites)
{
    Open(two_tools_);
    EXPECT_EQ(BoxText(), "fetch_a.exe");
    EXPECT_EQ(PathShown(), tool_a_);
    // The second registered path also contains the name; the built-in tool comes
    // first, started as the file the folder holds under any case of its name.
    const std::string builtin_file = Program("GpsFetch.EXE");
    Type("GPSFETCH.exe");
    EXPECT_EQ(PathShown(), builtin_file);
    Click("Button18");
    EXPECT_EQ(shell_.started, std::vector<std::string>{builtin_file});
    EXPECT_EQ(PathShown(), "起動しました: " + builtin_file);
    EXPECT_NE(Stored().find("\r\nRUN," + builtin_ + "\r\n"), std::string::npos);

    // Nothing matches: nothing starts, the file is still written.
    shell_.started.clear();
    std::filesystem::remove(settings_path_);
    Type("");
    EXPECT_EQ(PathShown(), "");
    Click("Button18");
    EXPECT_TRUE(shell_.started.empty());
    EXPECT_TRUE(FileExists(settings_path_));
    EXPECT_TRUE(dialogs_.calls.empty());

    // A tool that cannot start says why, and the file is still written.
    shell_.succeed = false;
    Type("fetch_a.exe");
    Click("Button18");
    EXPECT_EQ(dialogs_.Messages(), std::vector<std::string>{"Cannot start " + tool_a_});
    EXPECT_NE(Stored().find("\r\nRUN," + tool_a_ + "\r\n"), std::string::npos);
}

TEST_F(GpsDownloadPanelTest, RegisterWritesRereadsAndSelectsTheNewTool)
{
    Open();
    const std::string tool = Program("gps/TOOL.EXE");
    dialogs_.paths.push_back(tool);
    Click("Button19");
    ASSERT_EQ(dialogs_.calls.size(), 1u);
    EXPECT_EQ(dialogs_.calls[0].kind, "open");
    EXPECT_EQ(dialogs_.calls[0].text, "");
    EXPECT_EQ(Stored(), "LG,4.7\r\nMG,-7\r\nTD,9\r\nLLUP,45\r\nLLDN,160\r\n"
                        "SOFT," + tool + "\r\nRUN," + tool + "\r\n");
    EXPECT_EQ(reads_, 1);
    EXPECT_EQ(BoxItems(), (std::vector<std::string>{"TOOL.EXE", "GPSFETCH.exe"}));
    EXPECT_EQ(BoxText(), "TOOL.EXE");
    EXPECT_EQ(PathShown(), tool);
    EXPECT_EQ(Box()->itemData(0, Qt::ToolTipRole).toString(), ToQString(tool));

    // Cancelling the dialog does nothing.
    dialogs_.paths.push_back(std::nullopt);
    Click("Button19");
    EXPECT_EQ(writes_, 1);
}

TEST_F(GpsDownloadPanelTest, RegisterRefusalsShowAMessageAndChangeNothing)
{
    Open(two_tools_);
    dialogs_.paths.push_back("/opt/gps/tool.exe.lnk");
    Click("Button19");
    ASSERT_EQ(dialogs_.calls.size(), 2u);
    EXPECT_EQ(dialogs_.calls[1].kind, "information");
    EXPECT_EQ(dialogs_.calls[1].caption, "tackvue");
    EXPECT_EQ(dialogs_.calls[1].text, "有効なアプリを選択してください");

    dialogs_.paths.push_back("/opt/My,Tools/x.exe");
    Click("Button19");
    ASSERT_EQ(dialogs_.calls.size(), 4u);
    EXPECT_NE(dialogs_.calls[3].text.find("/opt/My,Tools/x.exe"), std::string::npos);

    // A name that ends in ".exe" but no program behind it.
    std::ofstream(folder_ + "/notes.exe") << "text";
    dialogs_.paths.push_back(folder_ + "/notes.exe");
    Click("Button19");
    ASSERT_EQ(dialogs_.calls.size(), 6u);
    EXPECT_EQ(dialogs_.calls[5].text.find("有効なアプリを選択してください\n" + folder_ + "/notes.exe\n"), 0u);

    for (int i = 3; i <= 10; ++i)
        RegisterDownloadTool(Program("t/" + std::to_string(i) + ".exe"), tools_);
    const std::vector<std::string> items = BoxItems();
    dialogs_.paths.push_back(Program("t/11.exe"));
    Click("Button19");
    ASSERT_EQ(dialogs_.calls.size(), 8u);
    EXPECT_EQ(dialogs_.calls[7].kind, "information");
    EXPECT_EQ(tools_.DownloadToolCount, 10);
    EXPECT_EQ(BoxItems(), items);
    EXPECT_EQ(writes_, 0);
    EXPECT_EQ(Stored(), two_tools_);

    // In English, and a character the settings file cannot store is named.
    ui_language_ = 2;
    dialogs_.paths.push_back("/opt/gps/tool.exe.lnk");
    dialogs_.paths.push_back("/opt/\xED\x95\x9C/x.exe");
    Click("Button19");
    Click("Button19");
    ASSERT_EQ(dialogs_.calls.size(), 12u);
    EXPECT_EQ(dialogs_.calls[9].text, "Choose a valid program.");
    EXPECT_EQ(dialogs_.calls[11].text, "This program cannot be registered: its path holds '\xED\x95\x9C', which "
                                       "cannot be stored in the settings file.\n/opt/\xED\x95\x9C/x.exe");
}

TEST_F(GpsDownloadPanelTest, RemovalReachesTheFileOnlyWithTheNextWrite)
{
    Open(two_tools_);
    Type("GPSFETCH.exe");
    Click("Button28");
    EXPECT_EQ(BoxItems(), (std::vector<std::string>{"fetch_a.exe", "GPSFETCH.exe"}));
    EXPECT_EQ(BoxText(), "fetch_a.exe");
    EXPECT_EQ(Stored(), two_tools_);

    // Closed without a write: the removed tool is back at the next start.
    panel_.reset();
    tools_ = DownloadToolList();
    tools_.DownloadTools[0] = builtin_;
    Open();
    EXPECT_EQ(tools_.DownloadToolCount, 2);

    Type("fetch_");
    Click("Button28");
    EXPECT_EQ(BoxItems(), std::vector<std::string>{"GPSFETCH.exe"});
    EXPECT_EQ(BoxText(), "GPSFETCH.exe");
    Click("Button18");
    EXPECT_EQ(Stored().find("SOFT"), std::string::npos);
}

TEST_F(GpsDownloadPanelTest, WriteErrorsAreShownAndKeepTheNewTool)
{
    std::ofstream(folder_ + "/plain") << "x";
    settings_path_ = folder_ + "/plain/ctrl.log";
    Open();
    Click("Button18");
    ASSERT_EQ(dialogs_.Messages().size(), 1u);
    EXPECT_NE(dialogs_.Messages()[0].find(settings_path_), std::string::npos);

    dialogs_.paths.push_back(Program("gps/new.exe"));
    Click("Button19");
    EXPECT_EQ(dialogs_.Messages().size(), 2u);
    EXPECT_EQ(reads_, 0);
    EXPECT_EQ(BoxItems(), (std::vector<std::string>{"new.exe", "GPSFETCH.exe"}));
    EXPECT_EQ(BoxText(), "new.exe");
}

} // namespace
} // namespace tackedit
