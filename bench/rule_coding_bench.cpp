// Decoding and encoding a stored list of 1,000 varied rules (about 1 MB of JSON), against
// a bare parse of the same bytes into a JSON document. The ratio of the full decode to the
// bare parse (aim: within 2x) comes from interleaved pairs: each iteration of
// BM_DecodeParseRatio times one parse and one decode back to back, in alternating order,
// so that the machine's changing load falls on both alike; the median ratio is printed.
#include "model/RuleCoding.h"

#include "MedianReporter.h"
#include "ProcessorTime.h"

#include <benchmark/benchmark.h>

#include <QJsonDocument>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace nimbrel;
using json::DateForm;
using nimbrel::bench::percentile;
using nimbrel::bench::threadCpuSeconds;

NimbrelRuleAppTarget app(int i) {
    static const char* const names[] = {"Safari", "Mail", "Visual Studio Code", "Terminal", "Notes", "Finder"};
    const QString name = QString::fromLatin1(names[i % 6]);
    return {name + QStringLiteral(" %1").arg(i), QStringLiteral("com.example.app%1").arg(i),
            i % 3 ? std::optional<QString>(QStringLiteral("/Applications/%1 %2.app").arg(name).arg(i)) : std::nullopt};
}

NimbrelRuleAction action(int i, int k) {
    const auto placement = static_cast<NimbrelWindowPlacement>((i + k) % 9);
    const std::optional<NimbrelDisplayTarget> display =
        k % 2 ? std::optional(NimbrelDisplayTarget{NimbrelDisplayTarget::Kind::external, k}) : std::nullopt;
    switch ((i + k) % 6) {
    case 0:
        return NimbrelRuleAction::openFolder(
            {.folder = {QStringLiteral("Folder %1").arg(k), QStringLiteral("~/Projects/p%1/src").arg(i)},
             .placement = placement,
             .displayTarget = display});
    case 1:
        return NimbrelRuleAction::openApp({.app = app(i + k), .placement = placement, .displayTarget = display});
    case 2:
        return NimbrelRuleAction::openBrowserWebsite(
            {.browser = app(k),
             .urlString = QStringLiteral("example.com/docs/section-%1?query=%2&lang=en").arg(i).arg(k),
             .openingMode = static_cast<NimbrelBrowserOpeningMode>(k % 2),
             .placement = placement,
             .displayTarget = display});
    case 3: {
        ArrangeWindowsRuleAction arrange{.layout = static_cast<NimbrelWindowLayout>(k % 4), .layoutSlots = {}};
        for (int s = 0; s < 1 + k % 3; ++s)
            arrange.layoutSlots.push_back(
                {.placement = static_cast<NimbrelWindowPlacement>(s),
                 .target = s % 2 ? NimbrelLayoutTarget::folder({QStringLiteral("Docs"), QStringLiteral("~/Documents")})
                                 : NimbrelLayoutTarget::app(app(s))});
        return NimbrelRuleAction::arrangeWindows(arrange);
    }
    case 4:
        return NimbrelRuleAction::runSystemBehavior({.behavior = static_cast<NimbrelSystemBehavior>(k % 5)});
    default:
        return NimbrelRuleAction::runTerminalScript(
            {.terminalApp = app(3),
             .commands = {{.command = QStringLiteral("cd ~/src/project-%1").arg(i)},
                          {.command = QStringLiteral("git pull --rebase && make -j4 test")}},
             .stopOnFirstFailure = k % 2 == 0});
    }
}

std::vector<NimbrelRule> variedRules(int count) {
    std::vector<NimbrelRule> rules;
    for (int i = 0; i < count; ++i) {
        std::vector<NimbrelRuleAction> actions;
        for (int k = 0; k < 1 + i % 4; ++k)
            actions.push_back(action(i, k));
        NimbrelRule rule =
            NimbrelRule::make(QStringLiteral("Rule number %1 for the afternoon").arg(i), i % 5 != 0, i % 7 == 0,
                              {1 + i % 3, app(i)}, std::move(actions), Date{786'000'000.0 + i * 61.25});
        if (i % 4 == 0) rule.pausedUntil = Date::distantFuture();
        if (i % 2) {
            rule.availability = {NimbrelRuleAvailabilityMode::scheduled,
                                 {NimbrelWeekday::monday, NimbrelWeekday::friday},
                                 NimbrelClockTime{i % 24, i % 60},
                                 NimbrelClockTime{(i + 8) % 24, 0}};
        }
        rules.push_back(std::move(rule));
    }
    return rules;
}

const QByteArray& document(DateForm form) {
    static const std::vector<NimbrelRule> rules = variedRules(1000);
    static const QByteArray seconds = encodeRules(rules, DateForm::SecondsSince2001);
    static const QByteArray iso = encodeRules(rules, DateForm::ISO8601);
    return form == DateForm::ISO8601 ? iso : seconds;
}

DateForm formOf(const benchmark::State& state) {
    return static_cast<DateForm>(state.range(0));
}

void BM_BareParse(benchmark::State& state) {
    const QByteArray& bytes = document(formOf(state));
    for (auto _ : state)
        benchmark::DoNotOptimize(QJsonDocument::fromJson(bytes));
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void BM_DecodeRules(benchmark::State& state) {
    const QByteArray& bytes = document(formOf(state));
    for (auto _ : state) {
        auto decoded = decodeRules(bytes, formOf(state));
        if (!decoded) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(decoded);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void BM_EncodeRules(benchmark::State& state) {
    const auto rules = *decodeRules(document(formOf(state)), formOf(state)).value;
    for (auto _ : state)
        benchmark::DoNotOptimize(encodeRules(rules, formOf(state)));
}

void BM_DecodeAndEncodeRules(benchmark::State& state) {
    const QByteArray& bytes = document(formOf(state));
    for (auto _ : state)
        benchmark::DoNotOptimize(encodeRules(*decodeRules(bytes, formOf(state)).value, formOf(state)));
}

#define NIMBREL_BOTH_FORMS(bm)                                                                                         \
    BENCHMARK(bm)                                                                                                      \
        ->Arg(static_cast<int>(DateForm::SecondsSince2001))                                                            \
        ->Arg(static_cast<int>(DateForm::ISO8601))                                                                     \
        ->Unit(benchmark::kMillisecond)

NIMBREL_BOTH_FORMS(BM_BareParse);
NIMBREL_BOTH_FORMS(BM_DecodeRules);
NIMBREL_BOTH_FORMS(BM_EncodeRules);
NIMBREL_BOTH_FORMS(BM_DecodeAndEncodeRules);

// Processor time of the calling thread, so that waits for a core count in neither.
void BM_DecodeParseRatio(benchmark::State& state) {
    const QByteArray& bytes = document(formOf(state));
    std::vector<double> parse, decode, ratio;
    bool parseFirst = true;
    for (auto _ : state) {
        double parseTime = 0, decodeTime = 0;
        for (int half = 0; half < 2; ++half) {
            const double start = threadCpuSeconds();
            if ((half == 0) == parseFirst) {
                benchmark::DoNotOptimize(QJsonDocument::fromJson(bytes));
                parseTime = threadCpuSeconds() - start;
            } else {
                auto decoded = decodeRules(bytes, formOf(state));
                if (!decoded) state.SkipWithError("decode failed");
                benchmark::DoNotOptimize(decoded);
                decodeTime = threadCpuSeconds() - start;
            }
        }
        parseFirst = !parseFirst;
        parse.push_back(parseTime * 1e3);
        decode.push_back(decodeTime * 1e3);
        ratio.push_back(decodeTime / parseTime);
    }
    state.counters["parse_ms"] = percentile(parse, 0.5);
    state.counters["decode_ms"] = percentile(decode, 0.5);
    state.counters["ratio"] = percentile(ratio, 0.5);
    state.counters["ratio_p10"] = percentile(ratio, 0.1);
    state.counters["ratio_p90"] = percentile(ratio, 0.9);
}
NIMBREL_BOTH_FORMS(BM_DecodeParseRatio)->MinTime(2);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::printf("document sizes: %lld bytes (seconds since 2001), %lld bytes (ISO 8601), 1000 rules\n",
                static_cast<long long>(document(DateForm::SecondsSince2001).size()),
                static_cast<long long>(document(DateForm::ISO8601).size()));
    nimbrel::bench::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (int form : {0, 1}) {
        const std::string args = "/" + std::to_string(form);
        const auto run = reporter.byName.find("BM_DecodeParseRatio" + args);
        if (run == reporter.byName.end()) continue;
        const auto counter = [&](const char* name) { return double(run->second.counters.at(name)); };
        const double both = reporter.realTime["BM_DecodeAndEncodeRules" + args];
        std::printf("%s: bare parse %.2f ms, full decode %.2f ms (processor time, medians of interleaved pairs); "
                    "decode/parse = %.2fx (aim <= 2x; 10th-90th percentile %.2fx-%.2fx)",
                    form == 0 ? "seconds since 2001" : "ISO 8601", counter("parse_ms"), counter("decode_ms"),
                    counter("ratio"), counter("ratio_p10"), counter("ratio_p90"));
        if (both > 0) std::printf("; decode+encode %.2f ms", both);
        std::printf("\n");
    }
    benchmark::Shutdown();
    return 0;
}
