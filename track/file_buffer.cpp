#include "track/file_buffer.h"

#include "track/data_error.h"

#include <cerrno>
#include <cstring>
#include <utility>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tackedit {

bool FileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

FileBytes& FileBytes::operator=(FileBytes&& other) noexcept
{
    if (this != &other) {
        if (mapping_)
            ::munmap(mapping_, size_);
        buffer_ = std::move(other.buffer_);
        mapping_ = std::exchange(other.mapping_, nullptr);
        size_ = std::exchange(other.size_, 0);
        data_ = mapping_ ? static_cast<const char*>(mapping_) : buffer_.data();
        other.data_ = "";
    }
    return *this;
}

FileBytes::~FileBytes()
{
    if (mapping_)
        ::munmap(mapping_, size_);
}

FileBytes ReadWholeFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw DataError(path, 0, "", std::string("cannot open file: ") + std::strerror(errno));
    FileBytes bytes;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
        void* map = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_PRIVATE,
                           fd, 0);
        if (map != MAP_FAILED) {
            ::madvise(map, static_cast<std::size_t>(st.st_size), MADV_SEQUENTIAL);
            ::close(fd);
            bytes.mapping_ = map;
            bytes.size_ = static_cast<std::size_t>(st.st_size);
            bytes.data_ = static_cast<const char*>(map);
            return bytes;
        }
    }
    // Not mappable (a pipe, a special file system): read it in chunks.
    char chunk[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int saved = errno;
            ::close(fd);
            throw DataError(path, 0, "", std::string("cannot read file: ") + std::strerror(saved));
        }
        if (got == 0)
            break;
        bytes.buffer_.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(fd);
    bytes.size_ = bytes.buffer_.size();
    bytes.data_ = bytes.buffer_.data();
    return bytes;
}

} // namespace tackedit
