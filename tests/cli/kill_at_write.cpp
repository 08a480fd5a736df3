// Preloaded into sonkorac by the kill test: ends the process with SIGKILL at an exact
// point of writing its output, which no timing from outside could hit reliably.
//
//   SONKORA_KILL_AFTER_BYTES=N   when the N-th byte has been written to a temporary file
//                                of a save (its name holds ".sonkora-tmp-"); the bytes up to
//                                it are flushed to the file first; bytes the kernel copies
//                                (copy_file_range) count as written
//   SONKORA_KILL_AT_RENAME=1     just before a temporary file is renamed over its target
#include <dlfcn.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool IsTemporary(int descriptor) {
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", descriptor);
    char target[4096];
    const ssize_t length = ::readlink(link, target, sizeof target - 1);
    if (length <= 0) return false;
    target[length] = '\0';
    return std::strstr(target, ".sonkora-tmp-") != nullptr;
}

long long Limit() {
    const char* setting = std::getenv("SONKORA_KILL_AFTER_BYTES");
    return setting == nullptr ? -1 : std::atoll(setting);
}

long long written = 0;

}  // namespace

extern "C" size_t fwrite(const void* data, size_t size, size_t count, std::FILE* stream) {
    using Fwrite = size_t (*)(const void*, size_t, size_t, std::FILE*);
    static const Fwrite real = reinterpret_cast<Fwrite>(::dlsym(RTLD_NEXT, "fwrite"));
    static const long long limit = Limit();
    const long long bytes = static_cast<long long>(size * count);
    if (limit < 0 || size == 0 || !IsTemporary(::fileno(stream)) || written + bytes < limit) {
        written += limit >= 0 && IsTemporary(::fileno(stream)) ? bytes : 0;
        return real(data, size, count, stream);
    }
    real(data, 1, static_cast<size_t>(limit - written), stream);
    std::fflush(stream);
    ::kill(::getpid(), SIGKILL);
    return 0;
}

extern "C" ssize_t copy_file_range(int from, loff_t* fromAt, int to, loff_t* toAt, size_t length, unsigned flags) {
    using Copy = ssize_t (*)(int, loff_t*, int, loff_t*, size_t, unsigned);
    static const Copy real = reinterpret_cast<Copy>(::dlsym(RTLD_NEXT, "copy_file_range"));
    static const long long limit = Limit();
    if (limit < 0 || !IsTemporary(to) || written + static_cast<long long>(length) < limit) {
        const ssize_t done = real(from, fromAt, to, toAt, length, flags);
        if (limit >= 0 && done > 0 && IsTemporary(to)) written += done;
        return done;
    }
    // The copy stops at the limit, whatever the kernel would have done in one call.
    for (long long left = limit - written; left > 0;) {
        const ssize_t done = real(from, fromAt, to, toAt, static_cast<size_t>(left), flags);
        if (done <= 0) break;
        left -= done;
    }
    ::kill(::getpid(), SIGKILL);
    return -1;
}

extern "C" int rename(const char* from, const char* to) {
    using Rename = int (*)(const char*, const char*);
    static const Rename real = reinterpret_cast<Rename>(::dlsym(RTLD_NEXT, "rename"));
    if (std::getenv("SONKORA_KILL_AT_RENAME") != nullptr && std::strstr(from, ".sonkora-tmp-") != nullptr)
        ::kill(::getpid(), SIGKILL);
    return real(from, to);
}
