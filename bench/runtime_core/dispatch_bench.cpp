// FindFirst, SplitText and SystemNotify dispatch against their plain
// baselines (std::string_view::find, a split over it, a direct call),
// measured in one run; the ratios are printed at the end.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "corelib/commands/core_commands.h"
#include "corelib/commands/core_library.h"
#include "runtime/application_object.h"
#include "runtime/services.h"

namespace {

const std::string& Haystack() {
    static const std::string text = [] {
        std::string t;
        for (int i = 0; i < 400; ++i)
            t += "picture-" + std::to_string(i) + ".jpg;";
        return t + "needle";
    }();
    return text;
}

void BM_FindFirstCommand(benchmark::State& state) {
    rt::ArgRecord args[2] = {rt::ArgRecord::TextArg(Haystack().c_str()),
                             rt::ArgRecord::TextArg("needle")};
    for (auto _ : state) {
        rt::CommandResult r = rt::RtCallCoreCommand(&corelib::FindFirst, 2, args);
        benchmark::DoNotOptimize(r);
    }
}

void BM_StringViewFind(benchmark::State& state) {
    std::string_view text = Haystack();
    for (auto _ : state) {
        benchmark::DoNotOptimize(text);
        size_t at = text.find("needle");
        benchmark::DoNotOptimize(at);
    }
}

void BM_SplitTextCommand(benchmark::State& state) {
    rt::ArgRecord args[2] = {rt::ArgRecord::TextArg(Haystack().c_str()),
                             rt::ArgRecord::TextArg(";")};
    for (auto _ : state) {
        rt::CommandResult r = rt::RtCallCoreCommand(&corelib::SplitText, 2, args);
        auto* array =
            reinterpret_cast<rt::ArrayBlock*>(uintptr_t(r.low) | (uintptr_t(r.high) << 32));
        for (uint64_t i = 0; i < array->elementCount(); ++i) {
            char* piece;
            std::memcpy(&piece, array->elements() + i * sizeof piece, sizeof piece);
            rt::RtFree(piece);
        }
        rt::RtFree(array);
    }
}

void BM_StringViewSplit(benchmark::State& state) {
    std::string_view text = Haystack();
    for (auto _ : state) {
        std::vector<std::string> pieces;
        size_t start = 0;
        for (size_t at; (at = text.find(';', start)) != std::string_view::npos; start = at + 1) {
            pieces.emplace_back(text.substr(start, at - start));
        }
        if (start < text.size())
            pieces.emplace_back(text.substr(start));
        benchmark::DoNotOptimize(pieces.data());
    }
}

void BM_CallSystemDispatch(benchmark::State& state) {
    for (auto _ : state) {
        intptr_t version = corelib::CallSystem(rt::SN_GET_VERSION);
        benchmark::DoNotOptimize(version);
    }
}

[[gnu::noinline]] intptr_t DirectVersion(int32_t message, intptr_t, intptr_t) {
    benchmark::ClobberMemory();
    return message == rt::SN_GET_VERSION ? 0x30005 : 0;
}

void BM_DirectCall(benchmark::State& state) {
    for (auto _ : state) {
        intptr_t version = DirectVersion(rt::SN_GET_VERSION, 0, 0);
        benchmark::DoNotOptimize(version);
    }
}

BENCHMARK(BM_FindFirstCommand);
BENCHMARK(BM_StringViewFind);
BENCHMARK(BM_SplitTextCommand);
BENCHMARK(BM_StringViewSplit);
BENCHMARK(BM_CallSystemDispatch);
BENCHMARK(BM_DirectCall);

// Keeps each benchmark's time per iteration for the ratio lines.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            times[run.benchmark_name()] = run.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
    rt::ApplicationObject& app = rt::ApplicationObject::Instance();
    app.SetLibrary(corelib::kCoreLibraryNumber, &corelib::CoreLibraryInfo());
    app.AnnounceSystem(&rt::SystemNotify);

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ratio = [&](const char* name, const char* baseline) {
        double base = reporter.times[baseline];
        if (base <= 0 || !reporter.times.count(name))
            return;
        std::printf("%-24s %6.2fx %s\n", name, reporter.times[name] / base, baseline);
    };
    std::printf("\nRatios (time per call against the baseline, same run):\n");
    ratio("BM_FindFirstCommand", "BM_StringViewFind");
    ratio("BM_SplitTextCommand", "BM_StringViewSplit");
    ratio("BM_CallSystemDispatch", "BM_DirectCall");
    benchmark::Shutdown();
    return 0;
}
