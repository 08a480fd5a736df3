#include "common/FileCopy.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

#ifdef __linux__
#include <unistd.h>
#endif

namespace sonkora {

std::optional<int64_t> CopyBetweenFiles(std::FILE* from, std::FILE* to, int64_t count) {
#ifdef __linux__
    // Both streams hand over to their descriptors at their logical positions.
    if (std::fflush(to) != 0) throw std::system_error(errno, std::generic_category(), "cannot write");
    const off_t fromStart = ftello(from);
    const off_t toStart = ftello(to);
    if (fromStart < 0 || toStart < 0) return std::nullopt;
    off_t fromAt = fromStart;
    off_t toAt = toStart;
    int64_t copied = 0;
    while (copied < count) {
        constexpr int64_t Step = int64_t{1} << 30;
        const ssize_t done = copy_file_range(fileno(from), &fromAt, fileno(to), &toAt,
                                             static_cast<size_t>(std::min(count - copied, Step)), 0);
        if (done == 0) break;  // the end of `from`
        if (done < 0) {
            if (errno == EINTR) continue;
            const bool unsupported = errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP ||
                                     errno == EBADF || errno == ESPIPE;
            if (copied == 0 && unsupported) return std::nullopt;
            throw std::system_error(errno, std::generic_category(), "cannot copy");
        }
        copied += done;
    }
    // copy_file_range with explicit offsets leaves the descriptors where they were; the
    // streams move on to after the copy.
    if (fseeko(from, fromAt, SEEK_SET) != 0 || fseeko(to, toAt, SEEK_SET) != 0)
        throw std::system_error(errno, std::generic_category(), "cannot seek");
    return copied;
#else
    (void)from;
    (void)to;
    (void)count;
    return std::nullopt;
#endif
}

}  // namespace sonkora
