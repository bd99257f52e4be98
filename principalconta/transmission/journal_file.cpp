#include "principalconta/transmission/journal_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace kalvora {

namespace {

#ifdef _WIN32
int openForAppend(const std::string& path)
{
    return _open(path.c_str(), _O_WRONLY | _O_APPEND | _O_CREAT | _O_BINARY, _S_IREAD | _S_IWRITE);
}
long long writeOnce(int fd, const std::string& bytes) { return _write(fd, bytes.data(), unsigned(bytes.size())); }
bool cutBack(int fd, long long written) { return _chsize_s(fd, _lseeki64(fd, 0, SEEK_END) - written) == 0; }
int closeFile(int fd) { return _close(fd); }
#else
int openForAppend(const std::string& path)
{
    return ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
}
long long writeOnce(int fd, const std::string& bytes)
{
    ssize_t n;
    do
        n = ::write(fd, bytes.data(), bytes.size());
    while (n < 0 && errno == EINTR);
    return n;
}
bool cutBack(int fd, long long written) { return ::ftruncate(fd, ::lseek(fd, 0, SEEK_END) - written) == 0; }
int closeFile(int fd) { return ::close(fd); }
#endif

std::string reason(int error) { return std::strerror(error); }

}  // namespace

std::optional<std::string> checkAppendable(const std::string& path)
{
    const int fd = openForAppend(path);
    if (fd < 0)
        return reason(errno);
    if (closeFile(fd) != 0)
        return reason(errno);
    return std::nullopt;
}

std::optional<std::string> appendWhole(const std::string& path, const std::string& bytes)
{
    const int fd = openForAppend(path);
    if (fd < 0)
        return reason(errno);
    const long long written = writeOnce(fd, bytes);
    if (written == static_cast<long long>(bytes.size())) {
        if (closeFile(fd) != 0)
            return reason(errno);
        return std::nullopt;
    }
    int error = errno;
    if (written > 0) {
        // A short write gives no reason of its own: the rest, written once more, tells it.
        const std::string rest = bytes.substr(std::size_t(written));
        const long long more = writeOnce(fd, rest);
        error = more < 0 ? errno : ENOSPC;
        cutBack(fd, written + (more > 0 ? more : 0));
    }
    closeFile(fd);
    return reason(error);
}

}  // namespace kalvora
