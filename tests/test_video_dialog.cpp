// "Make a video…": the dialog's choices become the video's options.

#include "screens/video_dialog.h"

#include <QComboBox>
#include <QLineEdit>

#include <gtest/gtest.h>

namespace tackedit {
namespace {

TEST(VideoDialog, ChoicesBecomeTheOptions)
{
    VideoDialog dialog(nullptr, "/ws/", "demo_race.txt", {"Kazekiri", "海風"}, 2);
    VideoOptions plain = dialog.Options("/out/a.mp4");
    EXPECT_EQ(plain.app_dir, "/ws/");
    EXPECT_EQ(plain.race_file, "demo_race.txt");
    EXPECT_EQ(plain.out, "/out/a.mp4");
    EXPECT_EQ(plain.from, "");
    EXPECT_EQ(plain.to, "");
    EXPECT_EQ(plain.speed, 10);
    EXPECT_EQ(plain.width, 1920);
    EXPECT_EQ(plain.height, 1080);
    EXPECT_EQ(plain.fps, 30);
    EXPECT_EQ(plain.follow, "") << "the whole fleet, not a boat named after the choice's caption";

    dialog.findChild<QLineEdit*>("VideoFrom")->setText(" 10:10:00 ");
    dialog.findChild<QLineEdit*>("VideoTo")->setText("10:40:00");
    dialog.findChild<QComboBox*>("VideoSpeed")->setCurrentText("30");
    auto* size = dialog.findChild<QComboBox*>("VideoSize");
    size->setCurrentIndex(size->count() - 1);  // the phone's upright size, whatever its caption says
    dialog.findChild<QComboBox*>("VideoFollow")->setCurrentIndex(2);
    dialog.findChild<QComboBox*>("VideoFps")->setCurrentText("60");
    const VideoOptions chosen = dialog.Options("/out/b.mp4");
    EXPECT_EQ(chosen.from, "10:10:00");
    EXPECT_EQ(chosen.to, "10:40:00");
    EXPECT_EQ(chosen.speed, 30);
    EXPECT_EQ(chosen.width, 1080);
    EXPECT_EQ(chosen.height, 1920);
    EXPECT_EQ(chosen.follow, "海風");
    EXPECT_EQ(chosen.fps, 60);
}

} // namespace
} // namespace tackedit
