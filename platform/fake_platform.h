#pragma once

// Scriptable stand-ins for the dialogs and the shell. Every call is recorded; a
// dialog nobody scripted an answer for throws, so a test fails on a dialog it
// did not expect.

#include "platform/dialogs.h"
#include "platform/installed_fonts.h"
#include "platform/shell_services.h"
#include "platform/time_zone.h"

#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tackedit {

class FakeDialogs final : public DialogService {
public:
    struct Call {
        std::string kind;  // "open", "save", "folder", "input", "message", "yesno", "yesnocancel"
        std::string caption;
        std::string text;  // prompt, message text, filter
        std::string folder;
    };

    // Scripted answers, used in order; nullopt stands for Cancel.
    std::deque<std::optional<std::string>> paths;   // OpenFile, SaveFile and BrowseForFolder
    std::deque<std::optional<std::string>> inputs;  // InputBox
    std::deque<MessageAnswer> answers;              // AskYesNo and AskYesNoCancel
    std::vector<Call> calls;
    // Runs as each dialog opens, so a test can look at the window behind it.
    std::function<void(const Call&)> on_call;

    std::optional<std::string> OpenFile(const std::string& filter, const std::string& initial_folder) override
    {
        Record({"open", "", filter, initial_folder});
        return Take(paths, "open-file dialog");
    }
    std::optional<std::string> SaveFile(const std::string& filter, const std::string& initial_path) override
    {
        Record({"save", "", filter, initial_path});
        return Take(paths, "save-file dialog");
    }
    std::optional<std::string> BrowseForFolder(const std::string& caption, const std::string& initial_folder) override
    {
        Record({"folder", caption, "", initial_folder});
        return Take(paths, "folder dialog");
    }
    std::optional<std::string> InputBox(const std::string& caption, const std::string& prompt,
                                        const std::string& default_text) override
    {
        Record({"input", caption, prompt, default_text});
        return Take(inputs, "input box");
    }
    void ShowMessage(const std::string& caption, const std::string& text, bool information) override
    {
        Record({information ? "information" : "message", caption, text, ""});
    }
    bool AskYesNo(const std::string& caption, const std::string& text) override
    {
        Record({"yesno", caption, text, ""});
        return Take(answers, "yes/no question") == MessageAnswer::Yes;
    }
    MessageAnswer AskYesNoCancel(const std::string& caption, const std::string& text) override
    {
        Record({"yesnocancel", caption, text, ""});
        return Take(answers, "yes/no/cancel question");
    }

    // The messages shown so far, for checks.
    std::vector<std::string> Messages() const
    {
        std::vector<std::string> out;
        for (const Call& c : calls)
            if (c.kind == "message" || c.kind == "information")
                out.push_back(c.text);
        return out;
    }

private:
    void Record(Call call)
    {
        calls.push_back(std::move(call));
        if (on_call)
            on_call(calls.back());
    }

    template <class T>
    static T Take(std::deque<T>& queue, const char* what)
    {
        if (queue.empty())
            throw std::logic_error(std::string("unexpected ") + what);
        T value = queue.front();
        queue.pop_front();
        return value;
    }
};

class FakeShell final : public ShellService {
public:
    std::vector<std::string> opened, started, trashed;
    std::vector<std::pair<std::string, std::string>> copies;
    bool succeed = true;

    bool OpenDocument(const std::string& path) override { opened.push_back(path); return succeed; }
    std::string StartProgram(const std::string& program) override
    {
        started.push_back(program);
        return succeed ? "" : "Cannot start " + program;
    }
    bool CopyFile(const std::string& from, const std::string& to, bool) override
    {
        copies.emplace_back(from, to);
        return succeed;
    }
    bool CopyFolderFiles(const std::string& from, const std::string& to) override
    {
        copies.emplace_back(from, to);
        return succeed;
    }
    bool MoveFolderToTrash(const std::string& folder) override { trashed.push_back(folder); return succeed; }
};

class FakeFonts final : public InstalledFonts {
public:
    std::vector<std::string> families;
    std::vector<std::string> FontFamilies() override { return families; }
};

class FakeTimeZone final : public TimeZoneInfo {
public:
    int bias = -540;
    int StandardBiasMinutes() override { return bias; }
};

} // namespace tackedit
