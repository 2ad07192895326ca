// Runs the registered benchmarks and prints, for each (subject, baseline) pair, how many
// times slower the subject ran than the raw baseline in the same run. CPU time is compared:
// single-threaded work measured on a shared machine, where wall time counts the neighbours.
// Benchmarks registered with UseRealTime() (work shared with a database server process) are
// compared by wall time. A benchmark that measures a pair in turns itself (bench/support/
// pairs.h) reports its ratio as the counter "ratio"; name it as the subject and leave the
// baseline empty.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace bench_support {

class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& r : runs) {
            if (r.run_type != Run::RT_Iteration || r.error_occurred) continue;
            const std::string& name = r.run_name.function_name;
            times_[name] = r.run_name.time_type == "real_time" ? r.GetAdjustedRealTime()
                                                               : r.GetAdjustedCPUTime();
            if (auto it = r.counters.find("ratio"); it != r.counters.end())
                pair_ratios_[name] = it->second;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double time(const std::string& name) const { return find(times_, name); }
    double pair_ratio(const std::string& name) const { return find(pair_ratios_, name); }

  private:
    static double find(const std::map<std::string, double>& m, const std::string& name) {
        auto it = m.find(name);
        return it == m.end() ? 0 : it->second;
    }
    std::map<std::string, double> times_, pair_ratios_;
};

struct Ratio {
    std::string subject, baseline;
    double goal;  // 0: no goal
};

// A ratio measured outside the timed benchmarks (memory, for example).
struct Measured {
    std::string what;
    double value;  // below 0: not measured
    double goal;   // 0: no goal
};

inline void print_ratio(const std::string& what, double value, double goal) {
    if (goal <= 0) {  // a ratio shown for what it tells, with no goal of its own
        std::printf("ratio %s = %.2f\n", what.c_str(), value);
        return;
    }
    std::printf("ratio %s = %.2f (goal: at most %.1f) %s\n", what.c_str(), value, goal,
                value <= goal ? "met" : "NOT MET");
}

// Use as the body of main(). Returns 0 always: goals are reported, not asserted.
inline int run_with_ratios(int argc, char** argv, const std::vector<Ratio>& ratios,
                           const std::vector<Measured>& measured = {}) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const auto& r : ratios) {
        if (r.baseline.empty()) {
            double v = reporter.pair_ratio(r.subject);
            if (v > 0) print_ratio(r.subject + " (subject / baseline, in turns)", v, r.goal);
            continue;
        }
        double s = reporter.time(r.subject), b = reporter.time(r.baseline);
        if (s > 0 && b > 0) print_ratio(r.subject + " / " + r.baseline, s / b, r.goal);
    }
    for (const auto& m : measured)
        if (m.value >= 0) print_ratio(m.what, m.value, m.goal);
    benchmark::Shutdown();
    return 0;
}

}  // namespace bench_support
