#pragma once

// The console report, keeping each benchmark's time per iteration (the median when repeated)
// by "<function>/<arguments>", for the summaries that programs print at the end.

#include <benchmark/benchmark.h>

#include <map>
#include <set>
#include <string>

namespace nimbrel::bench {

class MedianReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const std::string name = run.run_name.function_name + "/" + run.run_name.args;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if ((run.run_type == Run::RT_Iteration && !medians_.count(name)) || median) {
                realTime[name] = run.GetAdjustedRealTime();
                cpuTime[name] = run.GetAdjustedCPUTime();
                byName.insert_or_assign(name, run);
            }
            if (median) medians_.insert(name);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // In each benchmark's own unit; zero for a benchmark that did not run.
    std::map<std::string, double> realTime, cpuTime;
    // The runs themselves, for their counters.
    std::map<std::string, Run> byName;

  private:
    std::set<std::string> medians_;
};

} // namespace nimbrel::bench
