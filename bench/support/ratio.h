// Runs the registered benchmarks and prints, for each (subject, baseline) pair, how many
// times slower the subject ran than the raw baseline in the same run. CPU time is compared:
// single-threaded work measured on a shared machine, where wall time counts the neighbours.
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
        for (const auto& r : runs)
            if (r.run_type == Run::RT_Iteration)
                times_[r.run_name.function_name] = r.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    double time(const std::string& name) const {
        auto it = times_.find(name);
        return it == times_.end() ? 0 : it->second;
    }

  private:
    std::map<std::string, double> times_;
};

struct Ratio {
    std::string subject, baseline;
    double goal;  // 0: no goal
};

// Use as the body of main(). Returns 0 always: goals are reported, not asserted.
inline int run_with_ratios(int argc, char** argv, const std::vector<Ratio>& ratios) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const auto& r : ratios) {
        double s = reporter.time(r.subject), b = reporter.time(r.baseline);
        if (s <= 0 || b <= 0) continue;
        if (r.goal <= 0) {  // a ratio shown for what it tells, with no goal of its own
            std::printf("ratio %s / %s = %.2f\n", r.subject.c_str(), r.baseline.c_str(), s / b);
            continue;
        }
        std::printf("ratio %s / %s = %.2f (goal: at most %.1f) %s\n", r.subject.c_str(),
                    r.baseline.c_str(), s / b, r.goal, s / b <= r.goal ? "met" : "NOT MET");
    }
    benchmark::Shutdown();
    return 0;
}

}  // namespace bench_support
