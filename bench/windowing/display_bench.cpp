// What a display costs a thread's message loop: an empty peek on a thread
// that has a display window (which first asks whether the display holds
// input for it) against the same peek on a thread without one, measured in
// the same run. SDL's dummy video driver stands in for a display. The ratio
// is printed last; run with --benchmark_repetitions and
// --benchmark_enable_random_interleaving for medians of alternating runs.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "platform/windowing/windows.h"

using namespace platform;

namespace {

HWND MakeDisplayWindow() {
    static bool registered = [] {
        WNDCLASS windowClass;
        windowClass.lpfnWndProc = DefWindowProc;
        windowClass.lpszClassName = "DisplayBenchWindow";
        return RegisterClass(&windowClass) != 0;
    }();
    if (!registered)
        return nullptr;
    return CreateWindowEx(0, "DisplayBenchWindow", "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                          320, 240, nullptr, nullptr, nullptr, nullptr);
}

void DrainMessages() {
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessage(&msg);
}

void BM_PeekWithoutDisplayWindows(benchmark::State& state) {
    DrainMessages();
    MSG msg;
    for (auto _ : state)
        benchmark::DoNotOptimize(PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE));
}

void BM_PeekWithADisplayWindow(benchmark::State& state) {
    HWND window = MakeDisplayWindow();
    if (!window) {
        state.SkipWithError("no display window");
        return;
    }
    DrainMessages();
    MSG msg;
    for (auto _ : state)
        benchmark::DoNotOptimize(PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE));
    DestroyWindow(window);
    DrainMessages();
}

BENCHMARK(BM_PeekWithoutDisplayWindows)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_PeekWithADisplayWindow)->Unit(benchmark::kNanosecond);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> perIteration;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            // With repetitions, the median stands for the benchmark.
            std::string name = run.benchmark_name();
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median")
                continue;
            if (run.run_type == Run::RT_Aggregate)
                name = run.run_name.function_name;
            perIteration[name] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    if (SetPresentationMode(PresentationMode::Display) != PresentationMode::Display) {
        std::fprintf(stderr, "display_bench: SDL cannot start here\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto with = reporter.perIteration.find("BM_PeekWithADisplayWindow");
    auto without = reporter.perIteration.find("BM_PeekWithoutDisplayWindows");
    if (with != reporter.perIteration.end() && without != reporter.perIteration.end() &&
        without->second > 0) {
        std::printf("%-30s = %7.2f x BM_PeekWithoutDisplayWindows\n", "BM_PeekWithADisplayWindow",
                    with->second / without->second);
    }
    return 0;
}
