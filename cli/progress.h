#pragma once

// What a command says beside its output: progress while long work runs, and
// notes. --quiet silences both; errors always print.

#include "cli/cli_common.h"

#include <chrono>
#include <string>

namespace tackedit::cli {

// One line on stderr, rewritten in place, saying how far the command is:
// "distribute: cup.txt: pictures 12/80". Only a terminal sees it (logs and pipes stay
// clean), and not with --quiet. The line is cleared when it goes and before
// any other message on stderr.
class Progress {
public:
    explicit Progress(Console& console);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    bool Shown() const { return shown_; }
    void Show(const std::string& what);
    void Show(const std::string& what, std::size_t done, std::size_t count);

private:
    Console& console_;
    bool shown_;
    std::chrono::steady_clock::time_point last_{};
};

} // namespace tackedit::cli
