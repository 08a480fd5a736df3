#pragma once
// Runs `write` with the size of the files this process writes limited, so that writing
// an output fails part way, as on a full disk.

#include <sys/resource.h>

#include <csignal>

namespace sonkora::test {

template <typename Write>
void WithFileSizeLimit(rlim_t bytes, const Write& write) {
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit limit{bytes, saved.rlim_max};
    const auto previous = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limit);
    write();
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);
}

}  // namespace sonkora::test
