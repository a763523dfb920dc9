#include "screens/editor_screen.h"
#include "screens/gps_download_panel.h"
#include "shell/application.h"
#include "screens/captions.h"
#include "shell/tform1.h"
#include "shell/workspace_choice.h"
#include "window_test.h"
#include "base/numbers.h"

#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/lsan_interface.h>
#define TACKEDIT_LEAK_CHECK 1
#endif
#endif

namespace tackedit {
namespace {

namespace fs = std::filesystem;

// Qt's event delivery is not exception-safe: an exception out of a mouse
// handler strands a few of Qt's own event objects on its way to notify(). Those
// are Qt's, so the leak check looks away while such a click is delivered.
class QtUnwindingAllowed {
public:
#ifdef TACKEDIT_LEAK_CHECK
    QtUnwindingAllowed() { __lsan_disable(); }
    ~QtUnwindingAllowed() { __lsan_enable(); }
#else
    QtUnwindingAllowed() {}  // user-provided, so an unused scope object draws no warning
#endif
};

class ShellTest : public WindowTest {
protected:
    void ExpectScreen(int mode, int width, int height)
    {
        EXPECT_EQ(state_.ScreenMode, mode);
        EXPECT_EQ(form_->size(), QSize(width, height)) << "mode " << mode;
    }

    fs::path& workspace_ = ws_;
};

const char* const kCaptionControls[] = {
    "Label7", "Button7", "Button17", "RadioGroup2", "RadioButton8", "RadioButton9", "Label9", "Label30", "Label4",
    "Label12", "Label14", "Button9", "Label17", "Label21", "Label23", "Label24", "Label25", "CheckBox1", "Button6",
    // the editor and the download panel
    "Label39", "Label43", "Button26", "Button25", "Button24", "Button31", "Button23", "GroupBox7", "CheckBox4",
    "CheckBox5", "Button27", "Button29", "Button30", "Button22", "Label44", "Button18", "Button19", "Button28"};

QString CaptionShown(QWidget* w)
{
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text();
    if (auto* group = qobject_cast<QGroupBox*>(w))
        return group->title();
    return {};
}

TEST_F(ShellTest, EnglishStartWithoutTheJapaneseFont)
{
    TForm1& form = Start();
    EXPECT_EQ(state_.UiLanguage, 2);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("tackvue EDITOR  v.5_150318"));
    EXPECT_EQ(form.font().family(), QStringLiteral("DejaVu Sans"));
    EXPECT_TRUE(Find<QListWidget>("ListBox7")->isHidden());
    EXPECT_TRUE(Find<QLabel>("Label26")->isHidden());
    for (const char* name : kCaptionControls)
        EXPECT_EQ(CaptionShown(Find<QWidget>(name)), QString::fromUtf8(CaptionOf(name, 2))) << name;
    EXPECT_EQ(CaptionShown(Find<QWidget>("Label9")), QStringLiteral("  (After)               X"));
    ExpectScreen(1, 323, 433);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
}

TEST_F(ShellTest, JapaneseStartWithEitherNameOfTheFont)
{
    for (const char* font_name : {"ＭＳ Ｐゴシック", "MS PGothic"}) {
        SCOPED_TRACE(font_name);
        TForm1& form = Start({"DejaVu Sans", font_name});
        EXPECT_EQ(state_.UiLanguage, 0);
        EXPECT_EQ(form.font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
        EXPECT_EQ(form.font().pixelSize(), 12);
        EXPECT_FALSE(Find<QListWidget>("ListBox7")->isHidden());
        EXPECT_FALSE(Find<QLabel>("Label26")->isHidden());
        for (const char* name : kCaptionControls)
            EXPECT_EQ(CaptionShown(Find<QWidget>(name)), QString::fromUtf8(CaptionOf(name, 0))) << name;
        EXPECT_EQ(CaptionShown(Find<QWidget>("Label9")),
                  QString::fromUtf8("(ｽﾀｰﾄ後)") + QChar(0x3000) + "  " + QChar(0x3000) + QChar(0x3000) + "     " +
                      QString::fromUtf8("倍"));
        EXPECT_EQ(CaptionShown(Find<QWidget>("Label30")),
                  QString::fromUtf8("再生速度(ｽﾀｰﾄ前)") + QString(3, QChar(0x3000)) + QString(7, QChar(' ')) +
                      QString::fromUtf8("倍"));
        form_.reset();
    }
}

TEST_F(ShellTest, LanguageFollowsTheOverrideThenTheLocaleThenTheFont)
{
    EXPECT_EQ(ChooseUiLanguage(nullptr, "", false), 2);
    EXPECT_EQ(ChooseUiLanguage(nullptr, "", true), 0);
    EXPECT_EQ(ChooseUiLanguage("en", "ja", true), 2);
    EXPECT_EQ(ChooseUiLanguage("JA", "en", false), 0);
    EXPECT_EQ(ChooseUiLanguage("fr", "", false), 2) << "an unknown override is ignored";

    const QByteArray saved = qgetenv("LC_ALL");
    qputenv("LC_ALL", "ja_JP.UTF-8");
    Start();
    EXPECT_EQ(state_.UiLanguage, 0) << "a Japanese locale without the Windows font";
    EXPECT_EQ(CaptionShown(Find<QWidget>("Button9")), QString::fromUtf8(CaptionOf("Button9", 0)));
    form_.reset();
    qputenv("TACKEDIT_LANG", "en");
    Start({"ＭＳ Ｐゴシック"});
    EXPECT_EQ(state_.UiLanguage, 2);
    qunsetenv("TACKEDIT_LANG");
    qputenv("LC_ALL", saved);
}

bool HasJapanese(const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x3040 && u <= 0x30FF) || (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0xFF61 && u <= 0xFF9F))
            return true;
    }
    return false;
}

TEST_F(ShellTest, EnglishUsersSeeNoJapaneseAndTheTimeLineSaysItsMouseRulesInBothLanguages)
{
    std::ofstream(workspace_ / "gpsdat" / "boat.gpx")
        << "<trkpt lat=\"1\" lon=\"2\"><time>2010-01-01T00:00:00Z</time></trkpt>"
           "<trkpt lat=\"1.1\" lon=\"2.1\"><time>2010-01-01T00:00:09Z</time></trkpt>";
    for (const int language : {2, 0}) {
        SCOPED_TRACE(language);
        Start(language == 0 ? std::vector<std::string>{"ＭＳ Ｐゴシック"} : std::vector<std::string>{"DejaVu Sans"});
        dialogs_.paths.push_back((workspace_ / "gpsdat" / "boat.gpx").string());
        Click("Button21");  // the editor, its interval label filled
        ASSERT_EQ(state_.ScreenMode, 22);
        const QString rules = Find<QWidget>("Image6")->toolTip();
        if (language == 2) {
            int captions = 0;
            for (QWidget* w : form_->findChildren<QWidget*>()) {
                EXPECT_FALSE(HasJapanese(CaptionShown(w))) << w->objectName().toStdString();
                EXPECT_FALSE(HasJapanese(w->toolTip())) << w->objectName().toStdString();
                captions += !CaptionShown(w).isEmpty();
            }
            EXPECT_GT(captions, 60);
            EXPECT_TRUE(rules.contains(QStringLiteral("left drag keeps")) &&
                        rules.contains(QStringLiteral("right drag deletes")))
                << rules.toStdString();
            EXPECT_EQ(CaptionShown(Find<QWidget>("Label41")), QStringLiteral("Interval (sec): 5 => 5"));
        } else {
            EXPECT_TRUE(rules.contains(QString::fromUtf8("左ドラッグ")) && rules.contains(QString::fromUtf8("右ドラッグ")))
                << rules.toStdString();
            EXPECT_EQ(CaptionShown(Find<QWidget>("Label41")), QString::fromUtf8("ｲﾝﾀｰﾊﾞﾙ(sec）: 5 ⇒ 5"));
            EXPECT_EQ(Find<QWidget>("CheckBox4")->toolTip(), QString::fromUtf8("データ間隔が密過ぎる場合に間引きします"));
            EXPECT_TRUE(Find<QWidget>("Button27")->toolTip().isEmpty());
        }
        form_.reset();
    }
}

TEST_F(ShellTest, EveryScreenTakesItsPanelSizeAndItsEntryState)
{
    Start();
    Click("Button2");
    ExpectScreen(31, 281, 377);
    EXPECT_FALSE(Find<QRadioButton>("RadioButton10")->isChecked());
    EXPECT_TRUE(Find<QGroupBox>("GroupBox3")->isHidden());
    Click("RadioButton11");
    ExpectScreen(31, 281, 377);
    EXPECT_FALSE(Find<QGroupBox>("GroupBox3")->isHidden());
    Click("Button12");
    ExpectScreen(1, 323, 433);
    Click("Button2");
    EXPECT_FALSE(Find<QRadioButton>("RadioButton11")->isChecked()) << "both choices unchecked again";
    EXPECT_TRUE(Find<QGroupBox>("GroupBox3")->isHidden());
    Click("RadioButton10");
    ExpectScreen(3, 1121, 541);
    Click("Button10");
    ExpectScreen(1, 323, 433);

    Find<QListWidget>("ListBox6")->addItem(QStringLiteral("race1.txt"));
    Click("Button3");
    ExpectScreen(4, 289, 417);
    EXPECT_EQ(Find<QListWidget>("ListBox6")->count(), 0);
    auto* quality = Find<QComboBox>("ComboBox8");
    EXPECT_EQ(quality->currentText(), QStringLiteral("30"));
    ASSERT_EQ(quality->count(), 9);
    EXPECT_EQ(quality->itemText(0), QStringLiteral("20"));
    EXPECT_EQ(quality->itemText(8), QStringLiteral("100"));
    Click("Button11");
    Click("Button4");
    ExpectScreen(5, 265, 281);
    Click("Button15");
    ExpectScreen(1, 323, 433);

    for (const auto& [mode, w, h] : {std::tuple{41, 305, 345}, std::tuple{6, 273, 113}}) {
        form_->SwitchScreen(mode);
        ExpectScreen(mode, w, h);
    }
}

TEST_F(ShellTest, EditorOpensOnAChosenTrackAndTheCoverIsCentredAgain)
{
    const fs::path track = workspace_ / "gpsdat" / "boat1.gpx";
    std::ofstream(track) << "<trkpt lat=\"1\" lon=\"2\"><time>2010-01-01T00:00:00Z</time></trkpt>";
    Start();
    dialogs_.paths.push_back(std::nullopt);  // cancelled
    Click("Button21");
    EXPECT_EQ(state_.ScreenMode, 1);
    dialogs_.paths.push_back((workspace_ / "gpsdat" / "missing.gpx").string());
    Click("Button21");
    EXPECT_EQ(state_.ScreenMode, 1);
    dialogs_.paths.push_back(track.string());
    Click("Button21");
    ExpectScreen(22, 913, 596);
    EXPECT_EQ(state_.track.TrackCount, 1);
    EXPECT_EQ(state_.edit.CurrentTrackFile, track.string());
    ASSERT_EQ(dialogs_.calls.size(), 3u);
    EXPECT_EQ(dialogs_.calls[0].folder, (workspace_ / "gpsdat").string());
    EXPECT_EQ(dialogs_.calls[0].text, "ALL(*.*)|*.*|*.TRB|*.TRB|*.DTR|*.DTR|*.GPX|*.GPX");

    Click("Button22");
    ExpectScreen(1, 323, 433);
    const QRect display = QGuiApplication::primaryScreen()->geometry();
    const QSize outer = form_->frameGeometry().size();
    // Halves go to even: (800 - 433) / 2 = 183.5 gives 184.
    EXPECT_EQ(form_->frameGeometry().left() - display.left(),
              RoundHalfEvenToInt32((display.width() - outer.width()) / 2.0L));
    EXPECT_EQ(form_->frameGeometry().top() - display.top(),
              RoundHalfEvenToInt32((display.height() - outer.height()) / 2.0L));
}

TEST_F(ShellTest, TheFirstPositionCentresTheWholeWindowOnceItHasAFrame)
{
    Start();
    form_->show();
    QCoreApplication::processEvents();
    const QRect display = QGuiApplication::primaryScreen()->geometry();
    const QSize outer = form_->frameGeometry().size();
    ASSERT_NE(outer, form_->size()) << "the platform gives the window a frame";
    EXPECT_EQ(form_->frameGeometry().left() - display.left(),
              RoundHalfEvenToInt32((display.width() - outer.width()) / 2.0L));
    EXPECT_EQ(form_->frameGeometry().top() - display.top(),
              RoundHalfEvenToInt32((display.height() - outer.height()) / 2.0L));
}

TEST_F(ShellTest, UnreadableTrackShowsItsErrorAndStaysOnTheCover)
{
    const fs::path bad = workspace_ / "gpsdat" / "bad.log";
    std::ofstream(bad) << "$GPRMC,000001,A,35x2.3,N,13945.6,E,0,0,010210\n";
    Start();
    dialogs_.paths.push_back(bad.string());
    Click("Button21");
    EXPECT_EQ(state_.ScreenMode, 1);
    ASSERT_EQ(dialogs_.Messages().size(), 1u);
    EXPECT_NE(dialogs_.Messages()[0].find("bad.log:1"), std::string::npos) << dialogs_.Messages()[0];
}

TEST_F(ShellTest, DownloadPanelCoversTheButtonsBelowThePicture)
{
    Start();
    Click("Button1");
    ExpectScreen(2, 323, 433);
    auto* panel = Find<QWidget>("pnlGPS1");
    EXPECT_FALSE(panel->isHidden());
    EXPECT_EQ(panel->parentWidget()->objectName(), QStringLiteral("pnlCOVER"));
    EXPECT_EQ(panel->geometry(), QRect(0, 240, 321, 193));
    EXPECT_FALSE(Find<QLabel>("Image4")->isHidden());
    EXPECT_EQ(Find<QLabel>("Image4")->pixmap().size(), QSize(261, 206));
    Click("Button20");
    ExpectScreen(1, 323, 433);
    EXPECT_TRUE(panel->isHidden());
}

TEST_F(ShellTest, AutomaticEditingListsReturnToTheirDefaultsOnEverySwitch)
{
    Start();
    auto* interval = Find<QComboBox>("ComboBox9");
    auto* speed = Find<QComboBox>("ComboBox6");
    ASSERT_EQ(interval->count(), 24);
    EXPECT_EQ(interval->itemText(23), QStringLiteral("120"));
    ASSERT_EQ(speed->count(), 20);
    EXPECT_EQ(speed->itemText(19), QStringLiteral("40"));
    interval->setEditText(QStringLiteral("55"));
    speed->setEditText(QStringLiteral("7"));
    form_->SwitchScreen(1);
    EXPECT_EQ(interval->currentText(), QStringLiteral("20"));
    EXPECT_EQ(speed->currentText(), QStringLiteral("40"));
    EXPECT_EQ(interval->count(), 24) << "refilled, not appended";
}

TEST_F(ShellTest, AnyExceptionFromAHandlerEndsInAMessageAndTheWindowLives)
{
    auto* app = qobject_cast<TackeditApplication*>(QCoreApplication::instance());
    ASSERT_NE(app, nullptr);
    std::vector<std::string> shown;
    app->ShowError = [&shown](const std::string& message) { shown.push_back(message); };
    Start();
    form_->show();
    auto* hungry = new QPushButton(form_.get());
    QObject::connect(hungry, &QPushButton::clicked, [] { throw std::bad_alloc(); });
    {
        const QtUnwindingAllowed unwinding;
        Click("Button21");  // the fake open-file dialog has no answer: it throws std::logic_error
        QTest::mouseClick(hungry, Qt::LeftButton);
    }
    app->ShowError = nullptr;
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], "unexpected open-file dialog");
    EXPECT_NE(shown[1].find("not enough memory"), std::string::npos);
    EXPECT_TRUE(form_->isVisible());
    Click("Button2");
    EXPECT_EQ(state_.ScreenMode, 31) << "the window goes on working";
}

TEST_F(ShellTest, StaleHandoffFileIsDeletedAtStartAndAtClose)
{
    fs::create_directories(workspace_ / "ctrl");
    const fs::path handoff = workspace_ / "ctrl" / "editfile.edt";
    std::ofstream(handoff) << "race1.txt";
    Start();
    EXPECT_FALSE(fs::exists(handoff));
    std::ofstream(handoff) << "race2.txt";
    form_->show();
    Click("Button5");
    EXPECT_FALSE(form_->isVisible());
    EXPECT_FALSE(fs::exists(handoff));
}

TEST_F(ShellTest, WorkspacePathsComeFromTheProgramFolder)
{
    EXPECT_EQ(WithTrailingSeparator("/opt/tack"), "/opt/tack/");
    EXPECT_EQ(WithTrailingSeparator("/opt/tack/"), "/opt/tack/");
    Start();
    const std::string app = workspace_.string() + "/";
    EXPECT_EQ(state_.paths.AppDir, app);
    EXPECT_EQ(state_.paths.SettingsFilePath, app + "ctrl/ctrl.log");
    EXPECT_EQ(state_.paths.HandoffFilePath, app + "ctrl/editfile.edt");
    EXPECT_EQ(state_.paths.ViewerPath, app + "tackvue.exe");
    EXPECT_EQ(state_.tools.DownloadTools[0], app + "GPSFETCH.exe");
    EXPECT_TRUE(fs::is_directory(workspace_ / "ctrl"));
}

TEST_F(ShellTest, WorkspaceIsChosenAndAMissingOneIsMadeWithTheDemo)
{
    const fs::path demo = workspace_ / "share/tackedit/demo", bin = workspace_ / "bin", home = workspace_ / "home";
    fs::create_directories(demo / "raceadmin");
    fs::create_directories(bin);
    std::ofstream(demo / "raceadmin/demo_race.txt") << "T1,Demo\r\n";
    ASSERT_EQ(InstalledDemo(bin.string()), demo.string());
    EXPECT_FALSE(InstalledDemo(workspace_.string()));

    WorkspaceRequest installed{bin.string(), "", "", nullptr, nullptr, demo.string()};
    installed.home = home.c_str();
    // Never the writable folder of an installed program: ~/tackedit, made once.
    WorkspaceChoice first = ChooseWorkspace(installed);
    EXPECT_EQ(first.folder, (home / "tackedit").string() + "/");
    EXPECT_EQ(first.made, (home / "tackedit").string());
    EXPECT_TRUE(fs::is_regular_file(home / "tackedit/raceadmin/demo_race.txt"));
    EXPECT_TRUE(fs::is_directory(home / "tackedit/gpsdat") && fs::is_directory(home / "tackedit/ctrl"));
    EXPECT_EQ(ChooseWorkspace(installed).made, "") << "made on the first start only";

    // --workspace, then an opened race file's workspace, then TACKEDIT_WORKSPACE.
    const std::string other = (workspace_ / "other").string(), env = (workspace_ / "env").string();
    fs::create_directories(other + "/raceadmin");
    installed.environment = env.c_str();
    EXPECT_EQ(ChooseWorkspace(installed).folder, env + "/");
    installed.opened_file = other + "/RACEADMIN/../raceadmin/cup.txt";
    EXPECT_EQ(ChooseWorkspace(installed).folder, other + "/");
    installed.argument = (workspace_ / "arg").string();
    EXPECT_EQ(ChooseWorkspace(installed).folder, installed.argument + "/");

    // A program built or unpacked by the user works beside itself.
    const WorkspaceRequest unpacked{workspace_.string(), "", "", nullptr, home.c_str(), ""};
    EXPECT_EQ(ChooseWorkspace(unpacked).folder, workspace_.string() + "/");
    EXPECT_EQ(ChooseWorkspace(unpacked).made, "");

    // A file in the way is an error, and nothing half-made stays beside it.
    std::ofstream(workspace_ / "file");
    installed = {bin.string(), (workspace_ / "file").string(), "", nullptr, nullptr, demo.string()};
    EXPECT_NE(ChooseWorkspace(installed).error.find("is not a folder"), std::string::npos);
    installed.argument = (workspace_ / "file/sub").string();
    const WorkspaceChoice blocked = ChooseWorkspace(installed);
    EXPECT_TRUE(blocked.folder.empty());
    EXPECT_NE(blocked.error.find("Cannot make the workspace"), std::string::npos) << blocked.error;
    for (const auto& entry : fs::directory_iterator(workspace_))
        EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
}

TEST_F(ShellTest, FilesOnTheCommandLineOpenWhereTheyBelong)
{
    fs::create_directories(workspace_ / "raceadmin");
    std::ofstream(workspace_ / "raceadmin/cup.txt") << "T1,Cup\r\nST,2024/06/15 10:00:00\r\n";
    std::ofstream(workspace_ / "elsewhere.txt") << "T1,Away\r\n";
    std::ofstream(workspace_ / "boat.gpx")
        << "<gpx><trk><trkseg><trkpt lat=\"35.1\" lon=\"139.4\"><time>2024-06-15T01:00:00Z</time></trkpt>"
           "</trkseg></trk></gpx>";
    Start();
    form_->OpenFiles({(workspace_ / "raceadmin/../raceadmin/cup.txt").string()});
    EXPECT_EQ(state_.ScreenMode, 3);
    EXPECT_EQ(state_.RaceFileName, "cup.txt");
    EXPECT_EQ(state_.race.Title1, "Cup");

    form_->OpenFiles({(workspace_ / "elsewhere.txt").string()});
    ASSERT_EQ(dialogs_.Messages().size(), 1u);
    EXPECT_NE(dialogs_.Messages()[0].find("is not in the workspace's race folder"), std::string::npos);
    EXPECT_EQ(state_.RaceFileName, "cup.txt");

    form_->OpenFiles({(workspace_ / "boat.gpx").string(), (workspace_ / "elsewhere.txt").string()});
    EXPECT_EQ(state_.ScreenMode, 22);
    EXPECT_EQ(state_.edit.CurrentTrackFile, (workspace_ / "boat.gpx").string());
    EXPECT_EQ(state_.track.TrackCount, 1);
    ASSERT_EQ(dialogs_.Messages().size(), 2u);
    EXPECT_NE(dialogs_.Messages()[1].find("one file at a time"), std::string::npos);
}

TEST_F(ShellTest, TheStandInStartsWhenTheWorkspaceHasNoViewer)
{
    WorkspacePaths paths;
    paths.ViewerPath = (workspace_ / "tackvue.exe").string();
    EXPECT_EQ(ViewerToStart(paths), paths.ViewerPath) << "no stand-in named";
    paths.StandinViewerPath = (workspace_ / "bin/tackvue-standin").string();
    EXPECT_EQ(ViewerToStart(paths), paths.ViewerPath) << "the stand-in is not there";
    fs::create_directories(workspace_ / "bin");
    std::ofstream(paths.StandinViewerPath) << "x";
    EXPECT_EQ(ViewerToStart(paths), paths.StandinViewerPath);
    std::ofstream(paths.ViewerPath) << "x";
    EXPECT_EQ(ViewerToStart(paths), paths.ViewerPath) << "the workspace's own viewer comes first";
}

TEST_F(ShellTest, HelpButtonsOpenThePageOfTheLanguage)
{
    Start();
    Click("Button14");
    Click("Button2");
    Click("RadioButton10");
    Click("Button16");
    ASSERT_EQ(shell_.opened.size(), 2u);
    EXPECT_EQ(shell_.opened[0], workspace_.string() + "/HELP_EDITOR/index_editor_e.html");
    EXPECT_EQ(shell_.opened[1], shell_.opened[0]);
    form_.reset();
    Start({"ＭＳ Ｐゴシック"});
    Click("Button14");
    EXPECT_EQ(shell_.opened.back(), workspace_.string() + "/HELP_EDITOR/index_editor.html");
    EXPECT_TRUE(dialogs_.Messages().empty());
    shell_.succeed = false;  // no browser set up
    Click("Button14");
    ASSERT_EQ(dialogs_.Messages().size(), 1u);
    EXPECT_NE(dialogs_.Messages()[0].find(shell_.opened.back()), std::string::npos) << dialogs_.Messages()[0];
}

TEST_F(ShellTest, SettingsFileFillsTheCompileFieldsAtStart)
{
    fs::create_directories(workspace_ / "ctrl");
    const fs::path tool = workspace_ / "tools" / "fetch_a.exe";
    fs::create_directories(tool.parent_path());
    std::ofstream(tool) << "MZ";
    std::ofstream(workspace_ / "ctrl" / "ctrl.log", std::ios::binary)
        << "LG,5.5\r\nMG,-6\r\nTD,8\r\nLLUP,40\r\nLLDN,150\r\nSOFT," << tool.string()
        << "\r\nSOFT,/opt/none/fetch_b.exe\r\n";
    Start();
    EXPECT_EQ(Find<QLineEdit>("Edit8")->text(), QStringLiteral("5.5"));
    EXPECT_EQ(Find<QLineEdit>("Edit9")->text(), QStringLiteral("-6"));
    EXPECT_EQ(Find<QLineEdit>("Edit10")->text(), QStringLiteral("8"));
    EXPECT_EQ(Find<QLineEdit>("Edit5")->text(), QStringLiteral("40"));
    EXPECT_EQ(Find<QLineEdit>("Edit6")->text(), QStringLiteral("150"));
    auto* box = Find<QComboBox>("ComboBox7");
    ASSERT_EQ(box->count(), 2);
    EXPECT_EQ(box->itemText(0), QStringLiteral("fetch_a.exe"));
    EXPECT_EQ(box->itemText(1), QStringLiteral("GPSFETCH.exe"));
}

TEST_F(ShellTest, ControlFolderThatCannotBeCreatedIsReported)
{
    // A regular file where the workspace folder should be.
    fs::remove_all(workspace_);
    std::ofstream(workspace_) << "not a folder";
    Start();
    ASSERT_FALSE(dialogs_.Messages().empty());
    EXPECT_NE(dialogs_.Messages()[0].find("ctrl"), std::string::npos);
    EXPECT_EQ(state_.ScreenMode, 1);
    form_.reset();
    fs::remove(workspace_);
}

} // namespace
} // namespace tackedit
