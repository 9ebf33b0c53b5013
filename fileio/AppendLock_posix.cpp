#include "AppendLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace merivox {

bool appendLockHeld(const std::filesystem::path &path)
{
    // Non-blocking, so that a pipe at the path does not hold the caller.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    int taken = 0;
    do {
        taken = ::flock(fd, LOCK_SH | LOCK_NB);
    } while (taken != 0 && errno == EINTR);
    const bool held = taken != 0 && errno == EWOULDBLOCK;
    if (taken == 0) {
        ::flock(fd, LOCK_UN);
    }
    ::close(fd);
    return held;
}

} // namespace merivox
