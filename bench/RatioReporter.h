#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <set>
#include <string>

namespace nimbrel::bench {

// Keeps each run's time per iteration so that ratios can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        // With repetitions the median counts; a single run counts as it is.
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const std::string name = run.run_name.function_name + "/" + run.run_name.args;
            if (run.run_type == Run::RT_Iteration && !medians.count(name)) seconds[name] = run.GetAdjustedRealTime();
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                seconds[name] = run.GetAdjustedRealTime();
                medians.insert(name);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // The time of `function` (with its arguments after a "/", or "/" alone), in the benchmark's unit.
    double timeOf(const std::string& function, const std::string& args = {}) { return seconds[function + "/" + args]; }

    std::map<std::string, double> seconds;
    std::set<std::string> medians;
};

} // namespace nimbrel::bench
