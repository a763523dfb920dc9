#pragma once

// What a command says beside its output: progress while long work runs, and
// notes. --quiet silences both; errors always print.

#include <chrono>
#include <string>

namespace tackedit::cli {

// Set by main before the command runs.
void SetQuiet(bool quiet);
bool Quiet();
void SetCommandName(const std::string& name);
const std::string& CommandName();

// "note: TEXT" on stderr unless --quiet.
void Note(const std::string& text);

// One line on stderr, rewritten in place, saying how far the command is:
// "distribute: pictures 12/80". Only a terminal sees it (logs and pipes stay
// clean), and not with --quiet. The line is cleared when it goes and before
// any other message on stderr.
class Progress {
public:
    Progress();
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    bool Shown() const { return shown_; }
    void Show(const std::string& what);
    void Show(const std::string& what, std::size_t done, std::size_t count);

private:
    bool shown_;
    std::chrono::steady_clock::time_point last_{};
};

// Clears the progress line, if one is showing, so a message starts on a clean line.
void ClearProgressLine();

} // namespace tackedit::cli
