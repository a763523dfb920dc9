#include "platform/qt/qt_platform.h"

#include <QString>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace tackedit {
namespace {

namespace fs = std::filesystem;

TEST(QtPlatform, FileFiltersTakeBothSpellingsOfEachPattern)
{
    EXPECT_EQ(QtFileFilter("ALL(*.*)|*.*|*.TRB|*.TRB|*.GPX|*.GPX"),
              QStringLiteral("ALL (*.*);;*.TRB (*.TRB *.trb);;*.GPX (*.GPX *.gpx)"));
    EXPECT_EQ(QtFileFilter("Text|*.txt;*.TXT"), QStringLiteral("Text (*.txt *.TXT *.txt)"));
    EXPECT_EQ(QtFileFilter(""), QString());
}

class QtShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = fs::temp_directory_path() / ("tackedit-qtshell-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_ / "from" / "sub");
        std::ofstream(root_ / "from" / "a.txt") << "a";
        std::ofstream(root_ / "from" / "b.jpg") << "bb";
        std::ofstream(root_ / "from" / "sub" / "c.txt") << "c";
    }
    void TearDown() override { fs::remove_all(root_); }
    fs::path root_;
    QtShell shell_;
};

TEST_F(QtShellTest, CopiesFilesAndTopLevelFolderContents)
{
    const std::string a = (root_ / "from" / "a.txt").string();
    const std::string copy = (root_ / "copy.txt").string();
    EXPECT_TRUE(shell_.CopyFile(a, copy, false));
    EXPECT_FALSE(shell_.CopyFile(a, copy, false)) << "an existing target is kept unless overwriting";
    std::ofstream(copy) << "changed";
    EXPECT_TRUE(shell_.CopyFile(a, copy, true));
    EXPECT_EQ(fs::file_size(copy), 1u);
    EXPECT_FALSE(shell_.CopyFile((root_ / "missing").string(), copy, true));

    EXPECT_TRUE(shell_.CopyFolderFiles((root_ / "from").string(), (root_ / "to" / "deeper").string()));
    EXPECT_TRUE(fs::exists(root_ / "to" / "deeper" / "a.txt"));
    EXPECT_TRUE(fs::exists(root_ / "to" / "deeper" / "b.jpg"));
    EXPECT_FALSE(fs::exists(root_ / "to" / "deeper" / "sub")) << "only the top-level files";
    EXPECT_FALSE(shell_.CopyFolderFiles((root_ / "nowhere").string(), (root_ / "to2").string()));
}

TEST_F(QtShellTest, TrashTakesTheFolderAway)
{
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((root_ / "data").string()));
    fs::create_directories(root_ / "data");
    ASSERT_TRUE(shell_.MoveFolderToTrash((root_ / "from").string()));
    EXPECT_FALSE(fs::exists(root_ / "from"));
    EXPECT_FALSE(shell_.MoveFolderToTrash((root_ / "from").string())) << "nothing left to move";
}

TEST(QtPlatform, StandardBiasFollowsTheSystemZone)
{
    QtTimeZone zone;
    // Tests run with TZ=UTC.
    EXPECT_EQ(zone.StandardBiasMinutes(), 0);
}

} // namespace
} // namespace tackedit
