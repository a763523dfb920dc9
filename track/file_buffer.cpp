#include "track/file_buffer.h"

#include "track/data_error.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tackedit {

bool FileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string ReadWholeFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw DataError(path, 0, "", std::string("cannot open file: ") + std::strerror(errno));
    std::string data;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size > 0)
        data.reserve(static_cast<std::size_t>(st.st_size));
    char chunk[1 << 16];
    for (;;) {
        // Read straight into the reserved buffer when the size is known.
        if (data.capacity() > data.size()) {
            const std::size_t old = data.size();
            data.resize(data.capacity());
            const ssize_t got = ::read(fd, data.data() + old, data.size() - old);
            if (got < 0) {
                if (errno == EINTR) {
                    data.resize(old);
                    continue;
                }
                const int saved = errno;
                ::close(fd);
                throw DataError(path, 0, "", std::string("cannot read file: ") + std::strerror(saved));
            }
            data.resize(old + static_cast<std::size_t>(got));
            if (got == 0)
                break;
            continue;
        }
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
        data.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return data;
}

} // namespace tackedit
