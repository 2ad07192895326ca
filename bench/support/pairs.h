// A subject and its raw baseline measured in turns inside one benchmark: blocks of runs of
// one, then of the other, in alternating order. Both then see the same machine at the same
// moments, so the bursts of other programs on a shared machine slow both alike. The ratio
// reported is the median of the blocks' ratios; the counters also show the median time of
// one run of each.
#pragma once

#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace bench_support {

// CPU time of this thread for work done here; wall time for work shared with a database
// server in another process.
enum class Clock { cpu, wall };

// One run of the subject or the baseline; false when it went wrong.
using Step = std::function<bool()>;

inline double seconds_now(Clock clock) {
    timespec t{};
    clock_gettime(clock == Clock::cpu ? CLOCK_THREAD_CPUTIME_ID : CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

inline double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

inline void measure_pair(benchmark::State& state, const Step& subject, const Step& baseline,
                         Clock clock = Clock::cpu) {
    // Blocks of about two milliseconds: long enough for the clock, short enough to interleave.
    double start = seconds_now(clock);
    if (!subject() || !baseline()) {
        state.SkipWithError("the subject or the baseline failed");
        return;
    }
    double one = std::max((seconds_now(clock) - start) / 2, 1e-7);
    const int runs = std::clamp(static_cast<int>(0.002 / one), 1, 1000);
    auto block = [&](const Step& step, double& seconds) {
        double t0 = seconds_now(clock);
        for (int i = 0; i < runs; ++i)
            if (!step()) return false;
        seconds = (seconds_now(clock) - t0) / runs;
        return true;
    };
    std::vector<double> ratios, subject_times, baseline_times;
    bool subject_first = true;
    for (auto _ : state) {
        double s = 0, b = 0;
        bool ok = subject_first ? block(subject, s) && block(baseline, b)
                                : block(baseline, b) && block(subject, s);
        if (!ok) {
            state.SkipWithError("the subject or the baseline failed");
            return;
        }
        subject_first = !subject_first;
        ratios.push_back(s / b);
        subject_times.push_back(s);
        baseline_times.push_back(b);
    }
    state.counters["subject_us"] = median(subject_times) * 1e6;
    state.counters["baseline_us"] = median(baseline_times) * 1e6;
    state.counters["ratio"] = median(ratios);
}

}  // namespace bench_support
