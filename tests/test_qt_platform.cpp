#include "platform/qt/qt_platform.h"

#include <QCoreApplication>
#include <QString>
#include <QThread>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/prctl.h>
#include <unistd.h>

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

std::string Contents(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(QtShellTest, CopiesFilesAndTopLevelFolderContents)
{
    const fs::path a = root_ / "from" / "a.txt";
    const fs::path copy = root_ / "copy.txt";
    EXPECT_TRUE(shell_.CopyFile(a.string(), copy.string(), false));
    EXPECT_EQ(Contents(copy), "a");
    std::ofstream(copy) << "changed";
    EXPECT_FALSE(shell_.CopyFile(a.string(), copy.string(), false)) << "an existing target is kept unless overwriting";
    EXPECT_EQ(Contents(copy), "changed");
    EXPECT_TRUE(shell_.CopyFile(a.string(), copy.string(), true));
    EXPECT_EQ(Contents(copy), "a");

    EXPECT_TRUE(shell_.CopyFolderFiles((root_ / "from").string(), (root_ / "to" / "deeper").string()));
    EXPECT_EQ(Contents(root_ / "to" / "deeper" / "a.txt"), "a");
    EXPECT_EQ(Contents(root_ / "to" / "deeper" / "b.jpg"), "bb");
    EXPECT_FALSE(fs::exists(root_ / "to" / "deeper" / "sub")) << "only the top-level files";
    EXPECT_FALSE(shell_.CopyFolderFiles((root_ / "nowhere").string(), (root_ / "to2").string()));
}

TEST_F(QtShellTest, ACopyNeverLosesTheSourceOrTheOldTarget)
{
    const fs::path a = root_ / "from" / "a.txt";
    EXPECT_TRUE(shell_.CopyFile(a.string(), a.string(), true)) << "a file onto itself";
    EXPECT_EQ(Contents(a), "a");
    EXPECT_TRUE(shell_.CopyFolderFiles((root_ / "from").string(), (root_ / "from").string()));
    EXPECT_EQ(Contents(root_ / "from" / "b.jpg"), "bb");

    const fs::path old = root_ / "old.txt";
    std::ofstream(old) << "old";
    EXPECT_FALSE(shell_.CopyFile((root_ / "missing").string(), old.string(), true));
    EXPECT_FALSE(shell_.CopyFile((root_ / "from" / "sub").string(), old.string(), true)) << "a folder";
    EXPECT_EQ(Contents(old), "old");
    for (const auto& entry : fs::directory_iterator(root_))
        EXPECT_EQ(entry.path().filename().string().find(".txt."), std::string::npos) << "temporary file left";
}

TEST_F(QtShellTest, TrashTakesTheFolderAway)
{
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((root_ / "data").string()));
    fs::create_directories(root_ / "data");
    ASSERT_TRUE(shell_.MoveFolderToTrash((root_ / "from").string()));
    EXPECT_FALSE(fs::exists(root_ / "from"));
    EXPECT_FALSE(shell_.MoveFolderToTrash((root_ / "from").string())) << "nothing left to move";
}

// What a detached program wrote, once it has written it. A minute at most: a
// busy machine may start a program late.
std::string WaitForOutput(const fs::path& file)
{
    for (int i = 0; i < 3000; ++i) {
        const std::string text = Contents(file);
        if (!text.empty() && text.back() == '\n')
            return text;
        QThread::msleep(20);
    }
    return "(nothing after 60 s)";
}

TEST_F(QtShellTest, WindowsProgramsStartThroughWineAndEveryFailureSaysWhy)
{
    const fs::path bin = root_ / "bin";
    fs::create_directories(bin);
    const auto script = [](const fs::path& path, const std::string& body) {
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        fs::permissions(path, fs::perms::owner_all);
    };
    const QByteArray saved_path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(bin.string()));

    const fs::path exe = root_ / "tool.exe";
    std::ofstream(exe, std::ios::binary) << std::string("MZ\x90\0\3\0", 6);
    script(bin / "wine", "echo \"$1\" > '" + (root_ / "wine-ran").string() + "'");
    // A Windows program nobody marked executable is not handed to wine.
    const std::string unmarked = shell_.StartProgram(exe.string());
    EXPECT_NE(unmarked.find(exe.string() + ": the Windows program is not marked executable"), std::string::npos)
        << unmarked;
    fs::permissions(exe, fs::perms::owner_all);

    // Nor is a relative name, though PATH and the current folder both hold it.
    script(bin / "tool.exe", "echo ran > '" + (root_ / "namesake-ran").string() + "'");
    const fs::path here = fs::current_path();
    fs::current_path(root_);
    const std::string relative = shell_.StartProgram("tool.exe");
    EXPECT_NE(relative.find("tool.exe: the program is not named by its full path"), std::string::npos) << relative;
    // Wine itself is looked for only in the PATH's absolute folders.
    script(root_ / "wine", "echo ran > '" + (root_ / "namesake-ran").string() + "'");
    fs::remove(bin / "wine");
    qputenv("PATH", QByteArray::fromStdString(":.:" + bin.string()));
    const std::string needs_wine = shell_.StartProgram(exe.string());
    fs::current_path(here);
    qputenv("PATH", QByteArray::fromStdString(bin.string()));
    EXPECT_NE(needs_wine.find(exe.string() + " is a Windows program"), std::string::npos) << needs_wine;
    EXPECT_NE(needs_wine.find("wine"), std::string::npos);

    script(bin / "wine", "echo \"$1\" > '" + (root_ / "wine-ran").string() + "'");
    EXPECT_EQ(shell_.StartProgram(exe.string()), "");
    EXPECT_EQ(WaitForOutput(root_ / "wine-ran"), exe.string() + "\n");
    EXPECT_FALSE(fs::exists(root_ / "namesake-ran"));

    script(root_ / "viewer", "pwd > '" + (root_ / "viewer-ran").string() + "'");
    EXPECT_EQ(shell_.StartProgram((root_ / "viewer").string()), "") << "a native program starts directly";
    EXPECT_EQ(WaitForOutput(root_ / "viewer-ran"), root_.string() + "\n") << "in its own folder";

    const std::string not_executable = shell_.StartProgram((root_ / "from" / "a.txt").string());
    EXPECT_NE(not_executable.find("a.txt: the file is not an executable program"), std::string::npos)
        << not_executable;
    const std::string missing = shell_.StartProgram((root_ / "GPSFETCH.exe").string());
    EXPECT_NE(missing.find("GPSFETCH.exe: there is no such program"), std::string::npos) << missing;
    qputenv("PATH", saved_path);
}

TEST_F(QtShellTest, OpeningADocumentFailsWhenTheDesktopsOpenerFindsNoProgram)
{
    const fs::path bin = root_ / "bin";
    fs::create_directories(bin);
    const fs::path opener = bin / "xdg-open";
    const auto set_opener = [&](const std::string& body) {
        std::ofstream(opener) << "#!/bin/sh\n" << body << "\n";
        fs::permissions(opener, fs::perms::owner_all);
    };
    const QByteArray saved_path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(bin.string() + ":/usr/bin:/bin"));
    const std::string page = (root_ / "from" / "a.txt").string();
    // xdg-open's own code for "no method available".
    set_opener("exit 3");
    EXPECT_FALSE(shell_.OpenDocument(page));
    set_opener("echo \"$1\" > '" + (root_ / "asked").string() + "'");
    EXPECT_TRUE(shell_.OpenDocument(page));
    EXPECT_EQ(Contents(root_ / "asked"), "file://" + page + "\n");
    set_opener("exec sleep 30");
    EXPECT_TRUE(shell_.OpenDocument(page)) << "an opener waiting on the browser it started";
    qputenv("PATH", saved_path);
}

// This process's children that have ended and were not collected.
std::vector<std::string> ZombieChildren()
{
    std::vector<std::string> zombies;
    const std::string self = std::to_string(::getpid());
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc", error)) {
        std::ifstream in(entry.path() / "stat");
        std::string stat;
        std::getline(in, stat);
        // pid (name) state parent ...: the name may hold blanks and brackets.
        const auto name_end = stat.rfind(')');
        if (name_end == std::string::npos)
            continue;
        std::istringstream fields(stat.substr(name_end + 1));
        std::string state, parent;
        if (fields >> state >> parent && parent == self && state == "Z")
            zombies.push_back(entry.path().filename().string());
    }
    return zombies;
}

TEST_F(QtShellTest, AStartedProgramThatEndsLeavesNoZombieWhenThisProcessAdoptsIt)
{
    // As the first process of a container does, this process adopts orphans:
    // the detached viewer becomes its child.
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    const fs::path viewer = root_ / "tackvue.exe";
    std::ofstream(viewer) << "#!/bin/sh\necho shown > '" << (root_ / "shown").string() << "'\n";
    fs::permissions(viewer, fs::perms::owner_all);
    ASSERT_EQ(shell_.StartProgram(viewer.string()), "");
    ASSERT_EQ(WaitForOutput(root_ / "shown"), "shown\n");
    for (int i = 0; i < 30; ++i) {  // the editor's event loop, for 1.5 s
        QCoreApplication::processEvents();
        QThread::msleep(50);
    }
    const std::vector<std::string> zombies = ZombieChildren();
    ::prctl(PR_SET_CHILD_SUBREAPER, 0);
    EXPECT_TRUE(zombies.empty()) << "zombie " << zombies.front();
}

TEST(QtPlatform, StandardBiasFollowsTheSystemZone)
{
    QtTimeZone zone;
    // Tests run with TZ=UTC.
    EXPECT_EQ(zone.StandardBiasMinutes(), 0);
}

} // namespace
} // namespace tackedit
