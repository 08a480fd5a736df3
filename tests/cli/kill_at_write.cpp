// Preloaded into sonkorac by the kill test: ends the process with SIGKILL at an exact
// point of writing its output, which no timing from outside could hit reliably.
//
//   SONKORA_KILL_AFTER_BYTES=N   when the N-th byte has been written to a temporary file
//                                of a save (its name holds ".sonkora-tmp-"); the bytes up to
//                                it are flushed to the file first; bytes the kernel copies
//                                (copy_file_range) count as written, as asked for
//   SONKORA_KILL_AT_RENAME=1     just before a temporary file is renamed over its target
#include <dlfcn.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

bool IsTemporary(int descriptor) {
    std::error_code unknown;
    const std::string target = std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(descriptor), unknown);
    return target.find(".sonkora-tmp-") != std::string::npos;
}

long long written = 0;

// Whether writing `bytes` to `descriptor` reaches the byte limit, with `left` the bytes
// that may still be written; writes that do not are counted.
bool ReachesLimit(int descriptor, long long bytes, long long& left) {
    static const char* setting = std::getenv("SONKORA_KILL_AFTER_BYTES");
    static const long long limit = setting == nullptr ? -1 : std::atoll(setting);
    if (limit < 0 || bytes == 0 || !IsTemporary(descriptor)) return false;
    left = limit - written;
    written += bytes;
    return written >= limit;
}

}  // namespace

extern "C" size_t fwrite(const void* data, size_t size, size_t count, std::FILE* stream) {
    static const auto real = reinterpret_cast<decltype(&fwrite)>(::dlsym(RTLD_NEXT, "fwrite"));
    long long left = 0;
    if (!ReachesLimit(::fileno(stream), static_cast<long long>(size * count), left))
        return real(data, size, count, stream);
    real(data, 1, static_cast<size_t>(left), stream);
    std::fflush(stream);
    ::kill(::getpid(), SIGKILL);
    return 0;
}

extern "C" ssize_t copy_file_range(int from, loff_t* fromAt, int to, loff_t* toAt, size_t length, unsigned flags) {
    static const auto real = reinterpret_cast<decltype(&copy_file_range)>(::dlsym(RTLD_NEXT, "copy_file_range"));
    long long left = 0;
    if (!ReachesLimit(to, static_cast<long long>(length), left)) return real(from, fromAt, to, toAt, length, flags);
    // The copy stops at the limit, whatever the kernel would have done in one call.
    for (ssize_t done = 1; left > 0 && done > 0; left -= done)
        done = real(from, fromAt, to, toAt, static_cast<size_t>(left), flags);
    ::kill(::getpid(), SIGKILL);
    return -1;
}

extern "C" int rename(const char* from, const char* to) {
    static const auto real = reinterpret_cast<decltype(&rename)>(::dlsym(RTLD_NEXT, "rename"));
    if (std::getenv("SONKORA_KILL_AT_RENAME") != nullptr && std::strstr(from, ".sonkora-tmp-") != nullptr)
        ::kill(::getpid(), SIGKILL);
    return real(from, to);
}
