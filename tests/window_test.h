#pragma once

// A started main window over a fresh temporary workspace, with scripted dialogs,
// fonts and time zone, for tests that drive the real widgets.

#include "platform/fake_platform.h"
#include "platform/null_platform.h"
#include "shell/tform1.h"

#include <QAbstractButton>
#include <QListWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

namespace tackedit {

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ws_ = std::filesystem::temp_directory_path() /
              ("tackedit-window-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(ws_);
        std::filesystem::create_directories(ws_ / "gpsdat");
        qunsetenv("TACKEDIT_LANG");  // the language comes from the fonts each test gives
    }
    void TearDown() override
    {
        form_.reset();
        std::filesystem::remove_all(ws_);
    }

    TForm1& Start(std::vector<std::string> fonts = {"DejaVu Sans"})
    {
        fonts_.families = std::move(fonts);
        form_ = std::make_unique<TForm1>(state_, services_, ws_.string());
        return *form_;
    }

    template <class T>
    T* Find(const char* name)
    {
        T* control = form_->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }

    // Near the left edge: a radio button only takes clicks on its mark and text.
    void Click(const char* name)
    {
        QAbstractButton* button = Find<QAbstractButton>(name);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    }

    // Clicks the first entry of a list whose text starts with `prefix`.
    void ClickEntry(const char* list_name, const QString& prefix, Qt::KeyboardModifiers modifiers = {})
    {
        auto* list = Find<QListWidget>(list_name);
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->text().startsWith(prefix)) {
                QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                                  list->visualItemRect(list->item(i)).center());
                return;
            }
        ADD_FAILURE() << "no entry " << prefix.toStdString() << " in " << list_name;
    }

    static std::string ReadFile(const std::filesystem::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::filesystem::path ws_;
    FakeDialogs dialogs_;
    FakeShell shell_;
    FakeFonts fonts_;
    FakeTimeZone zone_;
    NullCursor cursor_;
    NullPendingEvents events_;
    CountingBeeper beeper_;
    PlatformServices services_{dialogs_, shell_, fonts_, zone_, cursor_, events_, beeper_};
    AppState state_;
    std::unique_ptr<TForm1> form_;
};

} // namespace tackedit
