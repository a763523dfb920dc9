#include "cli/progress.h"

#include <cstdio>
#include <sys/ioctl.h>
#include <unistd.h>

namespace tackedit::cli {

namespace {


// A terminal's width in columns; 80 when it does not say.
std::size_t TerminalColumns()
{
    winsize size{};
    if (::ioctl(2, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

// A line wider than the terminal wraps, and "\r" would then rewrite only its
// last part. Wide characters are counted as two columns to stay on the safe side.
std::string FitColumns(const std::string& text, std::size_t columns, std::size_t& used)
{
    std::string fitted;
    used = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        std::size_t length = byte < 0x80 ? 1 : byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        const std::size_t width = byte < 0x80 ? 1 : 2;
        if (used + width > columns)
            break;
        if (byte < 0x20 || byte == 0x7F) {  // a control character in a name would move the cursor
            fitted += '?';
        } else {
            fitted.append(text, i, length);
        }
        used += width;
        i += length;
    }
    return fitted;
}

} // namespace

void Console::Note(const std::string& text)
{
    if (quiet)
        return;
    ClearProgressLine();
    std::fprintf(stderr, "note: %s\n", text.c_str());
}

void Console::ClearProgressLine()
{
    if (line_columns == 0)
        return;
    std::fprintf(stderr, "\r%*s\r", static_cast<int>(line_columns), "");
    std::fflush(stderr);
    line_columns = 0;
}

Progress::Progress(Console& console) : console_(console), shown_(!console.quiet && ::isatty(2) == 1) {}

Progress::~Progress() { console_.ClearProgressLine(); }

void Progress::Show(const std::string& what)
{
    if (!shown_)
        return;
    std::size_t used = 0;
    const std::string text = FitColumns(console_.command + ": " + what, TerminalColumns() - 1, used);
    // Spaces cover what a longer line before left.
    std::size_t& line_columns = console_.line_columns;
    const std::size_t pad = line_columns > used ? line_columns - used : 0;
    std::fprintf(stderr, "\r%s%*s", text.c_str(), static_cast<int>(pad), "");
    std::fflush(stderr);
    line_columns = used + pad;
    last_ = std::chrono::steady_clock::now();
}

void Progress::Show(const std::string& what, std::size_t done, std::size_t count)
{
    if (!shown_)
        return;
    // Redrawing for every item would make a fast loop wait on the terminal.
    if (done != count && done != 0 && console_.line_columns > 0 &&
        std::chrono::steady_clock::now() - last_ < std::chrono::milliseconds(100))
        return;
    Show(what + " " + std::to_string(done) + "/" + std::to_string(count));
}

} // namespace tackedit::cli
