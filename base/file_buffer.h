#pragma once

#include <cstdint>
#include "base/data_error.h"
#include "base/text_scan.h"

#include <cstring>
#include <string>
#include <string_view>
#include <utility>

namespace tackedit {

// A regular file exists at the path (folders do not count).
bool FileExists(const std::string& path);

// The whole content of a file, mapped read-only when the file system allows it
// (no copy of a 100 MB track), read into memory otherwise.
class FileBytes {
public:
    FileBytes() = default;
    FileBytes(FileBytes&& other) noexcept { *this = std::move(other); }
    FileBytes& operator=(FileBytes&& other) noexcept;
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;
    ~FileBytes();

    std::string_view view() const { return {data_, size_}; }
    operator std::string_view() const { return view(); }

    // True when the file was cut short or rewritten since it was opened: the
    // bytes read may then be zeros where the file had shrunk, or a mix of old
    // and new content.
    bool Changed() const;
    // Raises DataError naming the file when Changed().
    void ThrowIfChanged() const;

private:
    friend FileBytes ReadWholeFile(const std::string& path);
    void Release();
    const char* data_ = "";
    std::size_t size_ = 0;
    std::string buffer_;
    void* mapping_ = nullptr;
    int guard_ = -1;  // the slot that turns a fault past the file's end into zeros
    int fd_ = -1;     // kept open to see whether the file changed
    std::string path_;
    std::int64_t mtime_ns_ = 0;
};

// The whole file; a file that cannot be opened or read raises DataError. A file
// cut short while it is read does not end the program: the part that is gone
// reads as zeros and Changed() says so.
FileBytes ReadWholeFile(const std::string& path);

// The error for a file that changed while it was read: what was read of it is
// worth nothing.
class FileChangedError : public DataError {
public:
    explicit FileChangedError(const std::string& path);
};

// Runs fn on data; when the file changed meanwhile, the error says so instead of
// whatever the reader made of the changed bytes.
template <class Fn>
void ReadUnchanged(const FileBytes& data, Fn fn)
{
    try {
        fn();
    } catch (const DataError&) {
        data.ThrowIfChanged();
        throw;
    }
    data.ThrowIfChanged();
}

// Called with the path once a file is open for reading (mapped or about to be
// copied), so that tests can change the file at that moment; nullptr removes it.
using OpenedFileHook = void (*)(const std::string& path);
void SetOpenedFileHookForTesting(OpenedFileHook hook);
void RunOpenedFileHook(const std::string& path);

// Lines of a text file, ended by CR LF, LF or a lone CR, numbered from 1.
class LineCursor {
public:
    explicit LineCursor(std::string_view text)
        : pos_(text.data()), end_(text.data() + text.size()), breaks_(pos_, end_) {}

    bool Next(std::string_view& line)
    {
        if (pos_ >= end_)
            return false;
        const char* brk = breaks_.From(pos_);
        line = std::string_view(pos_, static_cast<std::size_t>(brk - pos_));
        pos_ = brk;
        if (pos_ < end_ && *pos_++ == '\r' && pos_ < end_ && *pos_ == '\n')
            ++pos_;
        ++number_;
        return true;
    }

    std::int64_t LineNumber() const { return number_; }

private:
    const char* pos_;
    const char* end_;
    LineBreaks breaks_;
    std::int64_t number_ = 0;
};

} // namespace tackedit

namespace tackedit {

// The path form of a text reader: a missing file leaves an empty track, otherwise
// the whole file goes to the buffer parser with the path for its error messages.
template <class Store, class Parse>
void ReadTextFile(const std::string& path, Store& store, Parse parse)
{
    if (!FileExists(path)) {
        store.TrackCount = 0;
        return;
    }
    const FileBytes data = ReadWholeFile(path);
    ReadUnchanged(data, [&] { parse(data.view(), path, store); });
}

} // namespace tackedit
