#include "base/file_buffer.h"

#include "base/data_error.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <utility>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tackedit {

namespace {

// A mapped file that another program cuts short raises SIGBUS at the first
// read past its new end. The handler below puts zero pages in the place of
// what is gone, marks the mapping, and lets the read go on; the reader's result
// is then refused as "changed". The table is process-wide because a signal
// handler can reach nothing else.
struct MappingGuard {
    std::atomic<std::uintptr_t> begin{0};
    std::atomic<std::uintptr_t> end{0};
    std::atomic<bool> faulted{false};
};
constexpr int kGuards = 256;
std::array<MappingGuard, kGuards> g_guards;
struct sigaction g_previous {};
std::once_flag g_installed;
std::atomic<OpenedFileHook> g_opened_hook{nullptr};

void ForwardToPrevious(int sig, siginfo_t* info, void* context)
{
    if (g_previous.sa_flags & SA_SIGINFO) {
        if (g_previous.sa_sigaction) {
            g_previous.sa_sigaction(sig, info, context);
            return;
        }
    } else if (g_previous.sa_handler != SIG_DFL && g_previous.sa_handler != SIG_IGN) {
        g_previous.sa_handler(sig);
        return;
    }
    // The default action: die by the signal, as without us.
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

void OnBusError(int sig, siginfo_t* info, void* context)
{
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (MappingGuard& guard : g_guards) {
        const std::uintptr_t begin = guard.begin.load(std::memory_order_acquire);
        const std::uintptr_t end = guard.end.load(std::memory_order_acquire);
        if (begin == 0 || address < begin || address >= end)
            continue;
        const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
        const std::uintptr_t from = address & ~(page - 1);
        // Everything from here to the end is past the file's new end.
        void* zeros = ::mmap(reinterpret_cast<void*>(from), end - from, PROT_READ,
                             MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        if (zeros == MAP_FAILED)
            break;
        guard.faulted.store(true, std::memory_order_release);
        return;
    }
    ForwardToPrevious(sig, info, context);
}

void InstallBusErrorHandler()
{
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, &g_previous);
}

// A free slot for a mapping, or -1 when every slot is taken (the file is then
// read instead of mapped).
int ClaimGuard(const void* map, std::size_t size)
{
    std::call_once(g_installed, InstallBusErrorHandler);
    const auto begin = reinterpret_cast<std::uintptr_t>(map);
    for (int i = 0; i < kGuards; ++i) {
        std::uintptr_t expected = 0;
        if (g_guards[i].begin.compare_exchange_strong(expected, begin, std::memory_order_acq_rel)) {
            g_guards[i].faulted.store(false, std::memory_order_relaxed);
            g_guards[i].end.store(begin + size, std::memory_order_release);
            return i;
        }
    }
    return -1;
}

void ReleaseGuard(int index)
{
    g_guards[index].end.store(0, std::memory_order_release);
    g_guards[index].begin.store(0, std::memory_order_release);
}

std::int64_t ModifiedNs(const struct stat& st)
{
    return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

} // namespace

bool FileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void SetOpenedFileHookForTesting(OpenedFileHook hook) { g_opened_hook.store(hook); }

void RunOpenedFileHook(const std::string& path)
{
    if (const OpenedFileHook hook = g_opened_hook.load())
        hook(path);
}

FileChangedError::FileChangedError(const std::string& path)
    : DataError(path, 0, "", "the file changed while it was read (another program is writing it?); "
                             "read it again once it is complete")
{
}

void FileBytes::Release()
{
    if (mapping_) {
        if (guard_ >= 0)
            ReleaseGuard(guard_);
        ::munmap(mapping_, size_);
    }
    if (fd_ >= 0)
        ::close(fd_);
    mapping_ = nullptr;
    guard_ = -1;
    fd_ = -1;
}

FileBytes& FileBytes::operator=(FileBytes&& other) noexcept
{
    if (this != &other) {
        Release();
        buffer_ = std::move(other.buffer_);
        mapping_ = std::exchange(other.mapping_, nullptr);
        size_ = std::exchange(other.size_, 0);
        guard_ = std::exchange(other.guard_, -1);
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
        mtime_ns_ = other.mtime_ns_;
        data_ = mapping_ ? static_cast<const char*>(mapping_) : buffer_.data();
        other.data_ = "";
    }
    return *this;
}

FileBytes::~FileBytes() { Release(); }

bool FileBytes::Changed() const
{
    if (guard_ >= 0 && g_guards[guard_].faulted.load(std::memory_order_acquire))
        return true;
    if (fd_ < 0)
        return false;
    struct stat st {};
    return ::fstat(fd_, &st) != 0 || static_cast<std::size_t>(st.st_size) != size_ || ModifiedNs(st) != mtime_ns_;
}

void FileBytes::ThrowIfChanged() const
{
    if (Changed())
        throw FileChangedError(path_);
}

FileBytes ReadWholeFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw DataError(path, 0, "", std::string("cannot open file: ") + std::strerror(errno));
    FileBytes bytes;
    bytes.path_ = path;
    bytes.fd_ = fd;
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (regular)
        bytes.mtime_ns_ = ModifiedNs(st);
    if (regular && st.st_size > 0) {
        const auto size = static_cast<std::size_t>(st.st_size);
        void* map = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (map != MAP_FAILED) {
            const int guard = ClaimGuard(map, size);
            if (guard >= 0) {
                ::madvise(map, size, MADV_SEQUENTIAL);
                bytes.mapping_ = map;
                bytes.guard_ = guard;
                bytes.size_ = size;
                bytes.data_ = static_cast<const char*>(map);
                RunOpenedFileHook(path);
                return bytes;
            }
            ::munmap(map, size);
        }
    }
    RunOpenedFileHook(path);
    // Not mappable (a pipe, a special file system): read it in chunks.
    char chunk[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw DataError(path, 0, "", std::string("cannot read file: ") + std::strerror(errno));
        }
        if (got == 0)
            break;
        bytes.buffer_.append(chunk, static_cast<std::size_t>(got));
    }
    bytes.size_ = bytes.buffer_.size();
    bytes.data_ = bytes.buffer_.data();
    if (!regular) {
        // A pipe's content is what was read; there is nothing to compare later.
        ::close(bytes.fd_);
        bytes.fd_ = -1;
    }
    return bytes;
}

} // namespace tackedit
