// Cost of one scan of the installed applications over a tree of 500 app bundles.

#include "../tests/model/AppTree.h"
#include "model/InstalledAppScan.h"

#include <benchmark/benchmark.h>

namespace nimbrel {
namespace {

void BM_InstalledAppScan_500Bundles(benchmark::State& state) {
    testing::AppTree tree;
    testing::TreeWorkspace workspace(tree.files);
    for (int i = 0; i < 500; ++i) {
        // Spread over the roots and some subfolders, each with an Info.plist and an icon.
        QString folder = i % 5 == 0   ? QStringLiteral("/System/Applications")
                         : i % 5 == 1 ? QStringLiteral("/Applications/Utilities %1").arg(i % 7)
                         : i % 5 == 2 ? QStringLiteral("/Users/user/Applications")
                                      : QStringLiteral("/Applications");
        tree.makeApp(QStringLiteral("%1/App %2.app").arg(folder).arg(i), QStringLiteral("com.example.app%1").arg(i),
                     QStringLiteral("App %1").arg(i));
    }
    InstalledAppScan scan(tree.files, workspace);
    for (auto _ : state) {
        auto apps = scan.scanInstalledApplications();
        if (apps.size() != 500) state.SkipWithError("wrong number of applications");
        benchmark::DoNotOptimize(apps);
    }
    state.counters["bundles"] = 500;
}

BENCHMARK(BM_InstalledAppScan_500Bundles)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace nimbrel

BENCHMARK_MAIN();
