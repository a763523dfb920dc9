#include "track/atomic_write.h"

#include "track/data_error.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tackedit {

void WriteFileAtomically(const std::string& path, std::string_view data)
{
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        throw DataError(path, 0, "", std::string("cannot create file: ") + std::strerror(errno));
    auto fail = [&](const char* what) {
        const int saved = errno;
        ::close(fd);
        ::unlink(temp.c_str());
        throw DataError(path, 0, "", std::string(what) + std::strerror(saved));
    };
    const char* p = data.data();
    std::size_t left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail("cannot write file: ");
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    // mkstemp makes the file private; give it the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    if (::fsync(fd) != 0)
        fail("cannot write file: ");
    if (::close(fd) != 0) {
        const int saved = errno;
        ::unlink(temp.c_str());
        throw DataError(path, 0, "", std::string("cannot write file: ") + std::strerror(saved));
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int saved = errno;
        ::unlink(temp.c_str());
        throw DataError(path, 0, "", std::string("cannot replace file: ") + std::strerror(saved));
    }
}

} // namespace tackedit
