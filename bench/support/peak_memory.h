// Peak memory of one piece of work, measured in a child process so that every measurement
// starts from the same state and the peaks of other work in this process do not hide it.
#pragma once

#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

namespace bench_support {

inline long peak_rss_kb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// How far the peak resident memory rose while `work` ran (kB), or -1 when it failed. `work`
// runs in a fork of this process and must open its own connections (the child leaves
// without closing anything of the parent's).
inline long peak_growth_kb(const std::function<bool()>& work) {
    std::fflush(nullptr);
    malloc_trim(0);
    int fds[2];
    if (pipe(fds) != 0) return -1;
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        long before = peak_rss_kb();
        long growth = work() ? peak_rss_kb() - before : -1;
        ssize_t ignored = write(fds[1], &growth, sizeof growth);
        (void)ignored;
        _exit(0);
    }
    close(fds[1]);
    long growth = -1;
    if (pid < 0 || read(fds[0], &growth, sizeof growth) != sizeof growth) growth = -1;
    close(fds[0]);
    if (pid > 0) waitpid(pid, nullptr, 0);
    return growth;
}

}  // namespace bench_support
