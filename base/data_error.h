#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace tackedit {

// The one error type of the data layer: a text that did not convert, or a file
// that could not be opened, created or written. The window shows what() in a
// message box; the command-line tool prints it after "error: ".
class DataError : public std::runtime_error {
public:
    // line 0 means "no line": a file-level failure.
    DataError(std::string file, std::int64_t line, std::string text, const std::string& message)
        : std::runtime_error(Compose(file, line, message)),
          file_(std::move(file)), line_(line), text_(std::move(text)), message_(message) {}

    const std::string& file() const { return file_; }
    const std::string& message() const { return message_; }
    std::int64_t line() const { return line_; }
    const std::string& text() const { return text_; }

    // The same error with its line counted from `lines` lines further up: a
    // piece of a file parsed on its own numbers its lines from 1.
    DataError LinesAfter(std::int64_t lines) const
    {
        return line_ > 0 ? DataError(file_, line_ + lines, text_, message_) : *this;
    }

    // "'abc' is not a valid number" style message for a failed conversion.
    static DataError Conversion(const std::string& file, std::int64_t line, const std::string& text,
                                const char* what)
    {
        return DataError(file, line, text, "'" + Shorten(text) + "' is not a valid " + what);
    }

private:
    static std::string Compose(const std::string& file, std::int64_t line, const std::string& message)
    {
        return line > 0 ? file + ":" + std::to_string(line) + ": " + message : file + ": " + message;
    }
    static std::string Shorten(const std::string& text)
    {
        return text.size() <= 60 ? text : text.substr(0, 60) + "...";
    }

    std::string file_;
    std::int64_t line_;
    std::string text_;
    std::string message_;
};

} // namespace tackedit
