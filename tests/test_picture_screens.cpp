#include "picture_fixtures.h"
#include "platform/text_codec.h"
#include "screens/captions.h"
#include "window_test.h"
#include "base/messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimeEdit>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

namespace tackedit {
namespace {

namespace fs = std::filesystem;
using namespace fixtures;

std::string Photo(const std::string& exif_time)
{
    ExifBlock block;
    block.date_time_original = exif_time;
    return MakeJpeg(400, 300, 90, ExifPayload(block));
}

class PictureScreensTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        for (const char* folder : {"raceadmin", "ctrl", "photos"})
            fs::create_directories(ws_ / folder);
        std::ofstream(ws_ / "gpsdat" / "alpha.trb", std::ios::binary) << std::string(24, '\0');
        std::ofstream(ws_ / "tackvue.exe") << "viewer";
        WriteBytes((ws_ / "photos" / "IMG_1.JPG").string(), Photo("2024:06:15 10:05:00"));
        WriteBytes((ws_ / "photos" / "IMG_2.JPG").string(), Photo("2024:06:15 10:30:00"));
        WriteBytes((ws_ / "photos" / "late.jpg").string(), Photo("2024:06:16 10:30:00"));
        std::ofstream(ws_ / "raceadmin" / "race1.txt", std::ios::binary)
            << "T1,Cup\r\nST,2024/06/15 10:00:00\r\nFT,2024/06/15 11:00:00\r\nBN,alpha.trb,Alpha\r\nPIC,"
            << (ws_ / "photos").string() << ",-35,400\r\n";
        std::ofstream(ws_ / "raceadmin" / "race2.txt", std::ios::binary) << "T1,Two\r\nBN,alpha.trb,Alpha\r\n";
    }

    std::string CountText() const
    {
        std::int64_t kb = 0, all = 0;
        for (const auto& f : fs::directory_iterator(ws_ / "photos")) {
            all += static_cast<std::int64_t>(f.file_size() / 1024);
            if (f.path().filename() != "late.jpg")
                kb += static_cast<std::int64_t>(f.file_size() / 1024);
        }
        return "2 / 3 Pictures  (" + std::to_string(kb) + "KB / " + std::to_string(all) + "KB)";
    }
};

TEST_F(PictureScreensTest, SavingALoadedRaceAgainKeepsItsPicLine)
{
    Start();
    Click("Button2");
    Click("RadioButton11");
    ClickEntry("ListBox4", QStringLiteral("race1"));
    ASSERT_EQ(state_.ScreenMode, 3);
    EXPECT_EQ(Find<QLabel>("Label32")->text().toStdString(), CountText());
    EXPECT_EQ(Find<QLineEdit>("Edit3")->text().toStdString(), (ws_ / "photos").string());
    EXPECT_EQ(Find<QLineEdit>("Edit2")->text(), QStringLiteral("-35"));
    EXPECT_EQ(Find<QSpinBox>("UpDown1")->value(), -35);
    EXPECT_EQ(Find<QLineEdit>("Edit4")->text(), QStringLiteral("400"));

    Find<QCheckBox>("CheckBox2")->setChecked(false);
    dialogs_.inputs.push_back(std::string("race1.txt"));
    dialogs_.answers.push_back(MessageAnswer::Yes);     // overwrite
    dialogs_.answers.push_back(MessageAnswer::No);  // normal mode
    Click("Button9");
    const std::string saved = Cp932ToUtf8(ReadFile(ws_ / "raceadmin" / "race1.txt"));
    EXPECT_NE(saved.find("\r\nPIC," + (ws_ / "photos").string() + ",-35,400\r\n"), std::string::npos) << saved;
}

TEST_F(PictureScreensTest, ANewRaceCountsByTheScreensTimesAndKeepsItsFolder)
{
    Start();
    Click("Button2");
    Click("RadioButton11");
    ClickEntry("ListBox4", QStringLiteral("race2"));  // the race last read has no start
    Click("Button10");
    Click("Button2");
    Click("RadioButton10");
    dialogs_.inputs.push_back(std::string("Alpha"));
    ClickEntry("ListBox1", QStringLiteral("alpha"));
    const auto set_race = [this](int day) {
        Find<QDateEdit>("DateTimePicker1")->setDate(QDate(2024, 6, day));
        Find<QTimeEdit>("DateTimePicker2")->setTime(QTime(10, 0));
        Find<QDateEdit>("DateTimePicker3")->setDate(QDate(2024, 6, day));
        Find<QTimeEdit>("DateTimePicker4")->setTime(QTime(11, 0));
    };
    set_race(15);
    dialogs_.paths.push_back((ws_ / "photos").string());
    Click("Button17");
    EXPECT_EQ(Find<QLabel>("Label32")->text().toStdString(), CountText());

    Click("ButtonCheckRace");
    auto* findings = Find<QTableWidget>("FindingsTable");
    bool agreed = false;
    for (int row = 0; row < findings->rowCount(); ++row)
        agreed = agreed || (findings->item(row, 2)->text().startsWith(QStringLiteral("2 of 3 pictures")) &&
                            findings->item(row, 2)->text().endsWith(
                                QStringLiteral("; 2 are kept for the replay (as the compile screen counts them)")));
    EXPECT_TRUE(agreed) << "Check Race counts against the same start and finish, and keeps what the screen keeps";

    // The count follows the dates after a short pause; a busy machine may take longer.
    set_race(16);  // only late.jpg falls inside
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return Find<QLabel>("Label32")->text().startsWith(QStringLiteral("1 / 3 Pictures")); }, 60000))
        << Find<QLabel>("Label32")->text().toStdString();
    Find<QDateEdit>("DateTimePicker1")->setDate(QDate(2030, 1, 1));
    Find<QDateEdit>("DateTimePicker3")->setDate(QDate(2030, 1, 1));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return Find<QLabel>("Label32")->text().startsWith(QStringLiteral("0 / 3 Pictures")); }, 60000))
        << Find<QLabel>("Label32")->text().toStdString();

    Find<QCheckBox>("CheckBox2")->setChecked(false);
    Find<QLineEdit>("Edit2")->setText(QStringLiteral("-20"));
    dialogs_.inputs.push_back(std::string("new1"));
    dialogs_.answers.push_back(MessageAnswer::No);  // normal mode
    Click("Button9");
    const std::string saved = Cp932ToUtf8(ReadFile(ws_ / "raceadmin" / "new1.txt"));
    EXPECT_NE(saved.find("\r\nPIC," + (ws_ / "photos").string() + ",-20,500\r\n"), std::string::npos)
        << "no picture inside the race, the folder kept: " << saved;

    Click("Button2");
    Click("RadioButton10");
    EXPECT_EQ(Find<QLineEdit>("Edit3")->text(), QString());
    EXPECT_EQ(Find<QLabel>("Label32")->text(), QStringLiteral("0 / 0 Pictures"));
    EXPECT_EQ(Find<QLineEdit>("Edit2")->text(), QStringLiteral("0"));
    EXPECT_EQ(Find<QLineEdit>("Edit4")->text(), QStringLiteral("500")) << "the size a new race offers";
    dialogs_.inputs.push_back(std::string("Alpha"));
    ClickEntry("ListBox1", QStringLiteral("alpha"));
    dialogs_.inputs.push_back(std::string("new2"));
    dialogs_.answers.push_back(MessageAnswer::No);
    Click("Button9");
    EXPECT_EQ(Cp932ToUtf8(ReadFile(ws_ / "raceadmin" / "new2.txt")).find("PIC,"), std::string::npos);
}

TEST_F(PictureScreensTest, ChoosingAFolderIndexesItAndTheArrowsFollowTheBoxes)
{
    Start();
    Click("Button2");
    Click("RadioButton11");
    ClickEntry("ListBox4", QStringLiteral("race2"));
    EXPECT_EQ(Find<QLabel>("Label32")->text(), QStringLiteral("0 / 0 Pictures"));
    dialogs_.paths.push_back(std::nullopt);
    Click("Button17");
    EXPECT_EQ(dialogs_.calls.back().caption, "Choose the Picture Folder");
    EXPECT_EQ(Find<QLabel>("Label32")->text(), QStringLiteral("0 / 0 Pictures")) << "cancelled";
    Find<QDateEdit>("DateTimePicker1")->setDate(QDate(2024, 6, 15));
    Find<QTimeEdit>("DateTimePicker2")->setTime(QTime(10, 0));
    Find<QDateEdit>("DateTimePicker3")->setDate(QDate(2024, 6, 15));
    Find<QTimeEdit>("DateTimePicker4")->setTime(QTime(11, 0));
    dialogs_.paths.push_back((ws_ / "photos").string());
    Click("Button17");
    EXPECT_EQ(Find<QLabel>("Label32")->text().toStdString(), CountText());
    EXPECT_EQ(Find<QLineEdit>("Edit3")->text().toStdString(), (ws_ / "photos").string());
    EXPECT_TRUE(Find<QFrame>("pnlGetExifDat")->isHidden());
    EXPECT_EQ(Find<QLabel>("Label32")->toolTip(), QString()) << "the whole text shows";

    // Files that do not read are counted; the longer text is elided, whole in the tooltip.
    WriteBytes((ws_ / "photos" / "broken.jpg").string(), "not a picture");
    dialogs_.paths.push_back((ws_ / "photos").string());
    Click("Button17");
    auto* count = Find<QLabel>("Label32");
    const QString whole = count->toolTip();
    EXPECT_TRUE(whole.startsWith(QStringLiteral("2 / 4 Pictures  ("))) << whole.toStdString();
    EXPECT_TRUE(whole.endsWith(QStringLiteral("), 1 unreadable"))) << whole.toStdString();
    EXPECT_LE(count->fontMetrics().horizontalAdvance(count->text()), count->width());
    EXPECT_TRUE(count->text().endsWith(QChar(0x2026))) << count->text().toStdString();

    Find<QSpinBox>("UpDown1")->stepBy(-3);
    EXPECT_EQ(Find<QLineEdit>("Edit2")->text(), QStringLiteral("-3"));
    EXPECT_FLOAT_EQ(state_.race.PicTimeCorr, -3);
    Find<QLineEdit>("Edit2")->setText(QStringLiteral("12.5"));
    EXPECT_FLOAT_EQ(state_.race.PicTimeCorr, 12.5f);
    Find<QLineEdit>("Edit2")->setText(QStringLiteral("x"));
    EXPECT_FLOAT_EQ(state_.race.PicTimeCorr, 12.5f) << "not a number: unchanged";
    Find<QLineEdit>("Edit2")->setText(QStringLiteral("250"));
    EXPECT_EQ(Find<QSpinBox>("UpDown1")->value(), 250);
    Find<QLineEdit>("Edit4")->setText(QStringLiteral("700"));
    Find<QSpinBox>("UpDown2")->stepBy(1);
    EXPECT_EQ(Find<QLineEdit>("Edit4")->text(), QStringLiteral("800"));
}

TEST_F(PictureScreensTest, DistributionScreenBuildsWithPictures)
{
    Start();
    Click("Button3");
    ASSERT_EQ(state_.ScreenMode, 4);
    EXPECT_FALSE(Find<QCheckBox>("CheckBox3")->isEnabled());
    dialogs_.inputs.push_back(std::string("x"));
    Click("Button6");
    EXPECT_EQ(dialogs_.Messages().back(), "Fill All Frames");
    dialogs_.inputs.clear();

    ClickEntry("ListBox5", QStringLiteral("race1"));
    EXPECT_TRUE(Find<QCheckBox>("CheckBox3")->isEnabled());
    EXPECT_TRUE(Find<QComboBox>("ComboBox8")->isEnabled());
    ClickEntry("ListBox5", QStringLiteral("race1"));
    EXPECT_EQ(dialogs_.Messages().back(), "Same file exists");
    ClickEntry("ListBox5", QStringLiteral("race2"));
    EXPECT_EQ(Find<QListWidget>("ListBox6")->count(), 2);

    dialogs_.inputs.push_back(std::string("a:b"));
    Click("Button6");
    EXPECT_NE(dialogs_.Messages().back().find("':'"), std::string::npos);
    EXPECT_FALSE(fs::exists(ws_ / "distribution" / "a:b"));

    // A name with a comma would break the index file's lines: left out and named.
    WriteBytes((ws_ / "photos" / "IMG_3,b.JPG").string(), Photo("2024:06:15 10:40:00"));
    Find<QComboBox>("ComboBox8")->setEditText(QStringLiteral("50"));
    dialogs_.inputs.push_back(std::string(" Cup "));
    dialogs_.answers.push_back(MessageAnswer::Yes);  // look at the folder
    Click("Button6");
    EXPECT_EQ(state_.ScreenMode, 1);
    const fs::path dist = ws_ / "distribution" / "Cup";
    ASSERT_EQ(shell_.opened, std::vector<std::string>{dist.string()});
    EXPECT_EQ(dialogs_.calls.back().caption, "Check Distribution");
    EXPECT_EQ(dialogs_.calls.back().text,
              "The distribution is in " + dist.string() + ".\nOpen the distribution folder to check it?");
    EXPECT_EQ(ReadFile(dist / "raceadmin" / "racefile.st"), "race1.txt\r\nrace2.txt\r\n");
    EXPECT_EQ(ReadFile(dist / "pic" / "race1" / "datetime.csv"),
              "s_IMG_1.JPG,2024/06/15 10:05:00\r\ns_IMG_2.JPG,2024/06/15 10:30:00\r\n");
    const auto frame = ReadFrame(ReadFile(dist / "pic" / "race1" / "s_IMG_2.JPG"));
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->width, 400);
    EXPECT_EQ(frame->height, 300);
    EXPECT_FALSE(fs::exists(dist / "pic" / "race1" / "s_IMG_3,b.JPG"));
    const auto messages = dialogs_.Messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), "1 picture left out of the distribution (1 comma, CR or LF in the name):\n" +
                                   (ws_ / "photos" / "IMG_3,b.JPG").string() +
                                   ": a comma, CR or LF in the name would break the lines of datetime.csv");
    EXPECT_EQ(Find<QLabel>("Label37")->text(), QStringLiteral("IMG_3,b.JPG   ( 3 / 3 )"));
    EXPECT_EQ(Find<QLabel>("Image5")->geometry(), QRect(17, 51, 270, 202));

    // The same name again: No keeps the folder as it is.
    std::ofstream(dist / "mine.txt") << "mine";
    Click("Button3");
    ClickEntry("ListBox5", QStringLiteral("race2"));
    dialogs_.inputs.push_back(std::string("cup"));
    dialogs_.answers.push_back(MessageAnswer::No);
    Click("Button6");
    EXPECT_EQ(dialogs_.calls.back().text, "Same folder name exists. Overwrite?\nThe old folder goes to the trash.");
    EXPECT_TRUE(fs::exists(dist / "mine.txt"));
    EXPECT_TRUE(shell_.trashed.empty());

    // Yes, but the pictures cannot be made: the old folder stays whole and
    // nothing of the new one is left.
    std::ofstream(ws_ / "raceadmin" / "race3.txt", std::ios::binary)
        << "ST,2024/06/15 10:00:00\r\nFT,2024/06/15 11:00:00\r\nPIC," << (ws_ / "photos").string() << ",0,20000\r\n";
    const auto tree = [&] {
        std::map<std::string, std::string> files;
        for (const auto& f : fs::recursive_directory_iterator(dist))
            files[f.path().string()] = f.is_directory() ? "/" : ReadFile(f.path());
        return files;
    };
    const auto before = tree();
    Click("Button3");
    ClickEntry("ListBox5", QStringLiteral("race3"));
    dialogs_.inputs.push_back(std::string("Cup"));
    dialogs_.answers.push_back(MessageAnswer::Yes);
    Click("Button6");
    EXPECT_EQ(state_.ScreenMode, 1);
    EXPECT_NE(dialogs_.Messages().back().find("20000"), std::string::npos) << dialogs_.Messages().back();
    EXPECT_TRUE(shell_.trashed.empty());
    EXPECT_EQ(tree(), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(ws_ / "distribution"), {}), 1) << "no temporary folder left";
}

TEST_F(PictureScreensTest, AWindowClosedDuringTheBuildClosesWhenItIsDone)
{
    Start();
    form_->show();
    Click("Button3");
    ClickEntry("ListBox5", QStringLiteral("race1"));
    bool visible_after_close = false;
    events_.meanwhile = [&] {
        if (!visible_after_close && state_.ScreenMode == 41) {
            form_->close();
            visible_after_close = form_->isVisible();
        }
    };
    dialogs_.inputs.push_back(std::string("Cup"));
    dialogs_.answers.push_back(MessageAnswer::No);  // only used if the folder question came
    Click("Button6");
    EXPECT_TRUE(visible_after_close) << "the window stays while the pictures are reduced";
    EXPECT_EQ(dialogs_.answers.size(), 1u) << "no question about the folder";
    const fs::path dist = ws_ / "distribution" / "Cup";
    EXPECT_TRUE(fs::exists(dist / "pic" / "race1" / "s_IMG_2.JPG")) << "the build went to its end";
    EXPECT_EQ(dialogs_.Messages(), std::vector<std::string>{Say(texts::kCloseAfterLongWork, 2)});
    EXPECT_FALSE(form_->isVisible()) << "then the window closed, without the question";
}

TEST_F(PictureScreensTest, AFolderThatDoesNotOpenIsSaid)
{
    Start({"ＭＳ Ｐゴシック"});
    Click("Button3");
    ClickEntry("ListBox5", QStringLiteral("race2"));
    shell_.succeed = false;  // no file manager
    dialogs_.inputs.push_back(std::string("Two"));
    dialogs_.answers.push_back(MessageAnswer::Yes);
    Click("Button6");
    const std::string dist = (ws_ / "distribution" / "Two").string();
    EXPECT_EQ(shell_.opened, std::vector<std::string>{dist});
    EXPECT_EQ(dialogs_.Messages(), std::vector<std::string>{Say(texts::kFolderDoesNotOpen, 0, {dist})});
    EXPECT_NE(dialogs_.Messages()[0].find("フォルダ " + dist + " を開けません"), std::string::npos);
}

} // namespace
} // namespace tackedit
