// Peak memory of one piece of work, measured as the rise of the process's resident set
// above what it held before (Linux: VmHWM reset through /proc/self/clear_refs).
//
// While measuring, large blocks are kept out of malloc's reusable heap (a low mmap
// threshold, a trim before), so each large allocation shows up in the resident set while it
// lives. Afterwards both thresholds are raised, as glibc raises them itself in a program
// that has freed large blocks before, so the timed runs reuse memory as such a program does.
#pragma once

#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

namespace bench_support {

// kB of a "Name:   123 kB" line of /proc/self/status; -1 when it cannot be read.
inline std::int64_t status_kb(const std::string& name) {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind(name + ":", 0) == 0) return std::stoll(line.substr(name.size() + 1));
    return -1;
}

// Bytes by which `work` raised the resident set at its highest; -1 when not measurable.
inline std::int64_t peak_memory_of(const std::function<void()>& work) {
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024);
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";  // the high-water mark restarts from now
    const std::int64_t before = status_kb("VmRSS");
    work();
    const std::int64_t peak = status_kb("VmHWM");
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    if (before < 0 || peak < 0) return -1;
    return (peak - before) * 1024;
}

// The process's peak resident memory so far (kB).
inline long peak_rss_kb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// The same measure taken in a fork of this process, so that several pieces of work each start
// from the same state (kB; -1 when `work` failed). `work` must open its own connections: the
// child leaves without closing anything of the parent's.
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
