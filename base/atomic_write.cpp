#include "base/atomic_write.h"

#include "base/data_error.h"
#include "base/file_buffer.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tackedit {

namespace {

RenameStep g_rename = nullptr;

// The target's name with a random suffix, in its folder. A name near the file
// system's limit is cut so that the suffix still fits: the target itself must
// not fail for want of room its temporary file took.
std::string TempPattern(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    constexpr std::size_t kSuffix = 7;  // ".XXXXXX"
    std::string name = path.substr(start);
    if (name.size() > NAME_MAX - kSuffix && name.size() <= NAME_MAX)
        name.resize(NAME_MAX - kSuffix);
    return path.substr(0, start) + name + ".XXXXXX";
}

// A temporary file beside the target that becomes the target on Commit() and
// disappears in every other case.
class TempFile {
public:
    explicit TempFile(const std::string& path) : path_(path), temp_(TempPattern(path))
    {
        fd_ = ::mkstemp(temp_.data());
        if (fd_ < 0)
            throw DataError(path_, 0, "", std::string("cannot create file: ") + std::strerror(errno));
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
        if (!committed_)
            ::unlink(temp_.c_str());
    }

    void Write(const char* p, std::size_t left)
    {
        while (left > 0) {
            const ssize_t n = ::write(fd_, p, left);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                Fail("cannot write file: ");
            }
            p += n;
            left -= static_cast<std::size_t>(n);
        }
    }

    void Commit(mode_t mode)
    {
        ::fchmod(fd_, mode);
        if (::fsync(fd_) != 0)
            Fail("cannot write file: ");
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0)
            Fail("cannot write file: ");
        if ((g_rename ? g_rename : ::rename)(temp_.c_str(), path_.c_str()) != 0)
            Fail("cannot replace file: ");
        committed_ = true;
    }

private:
    [[noreturn]] void Fail(const char* what)
    {
        throw DataError(path_, 0, "", std::string(what) + std::strerror(errno));
    }

    std::string path_;
    std::string temp_;
    int fd_ = -1;
    bool committed_ = false;
};

mode_t DefaultFileMode()
{
    // mkstemp makes the file private; give it the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

void SetRenameStepForTesting(RenameStep step) { g_rename = step; }

void WriteFileAtomically(const std::string& path, std::string_view data)
{
    TempFile temp(path);
    temp.Write(data.data(), data.size());
    temp.Commit(DefaultFileMode());
}

void CopyFileAtomically(const std::string& from, const std::string& to)
{
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        throw DataError(from, 0, "", std::string("cannot open file: ") + std::strerror(errno));
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{in};
    struct stat source {};
    if (::fstat(in, &source) != 0 || !S_ISREG(source.st_mode))
        throw DataError(from, 0, "", "not a file that can be copied");
    struct stat target {};
    if (::stat(to.c_str(), &target) == 0 && target.st_dev == source.st_dev && target.st_ino == source.st_ino)
        return;  // the file onto itself: removing the target first would lose it

    RunOpenedFileHook(from);
    TempFile temp(to);
    char buffer[1 << 16];
    off_t copied = 0;
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw DataError(from, 0, "", std::string("cannot read file: ") + std::strerror(errno));
        }
        temp.Write(buffer, static_cast<std::size_t>(n));
        copied += n;
    }
    // A source cut short or rewritten meanwhile would leave a copy that is neither.
    struct stat after {};
    if (::fstat(in, &after) != 0 || copied != source.st_size || after.st_size != source.st_size ||
        after.st_mtim.tv_sec != source.st_mtim.tv_sec || after.st_mtim.tv_nsec != source.st_mtim.tv_nsec)
        throw FileChangedError(from);
    temp.Commit(source.st_mode & 07777);
}

std::string MakeBuildingFolder(const std::string& parent, const std::string& name)
{
    // Part of a long name only: the suffix must not push it past the longest name.
    std::string pattern = parent + "/." + name.substr(0, 100) + ".building-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throw DataError(parent, 0, "", std::string("cannot create a folder to build in: ") + std::strerror(errno));
    // mkdtemp keeps the folder to its owner.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(pattern.c_str(), 0777 & ~mask);
    return pattern;
}

bool RenameIntoPlace(const std::string& building, const std::string& target)
{
    if (g_rename)
        return g_rename(building.c_str(), target.c_str()) == 0;
    if (::renameat2(AT_FDCWD, building.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the no-replace rename: the check and the rename
    // leave only a moment for another build of the same name.
    struct stat seen {};
    if (::lstat(target.c_str(), &seen) == 0) {
        errno = EEXIST;
        return false;
    }
    return std::rename(building.c_str(), target.c_str()) == 0;
}

} // namespace tackedit
