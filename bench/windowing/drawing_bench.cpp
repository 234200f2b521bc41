// Costs of a full repaint of an 800 by 600 window (gradient plus text) and
// of a 1920 by 1080 stretched transfer, each against memcpy of the same
// number of bytes measured in the same run; the ratios are printed last.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/windowing/windows.h"

using namespace platform;

namespace {

LRESULT RepaintProc(HWND hwnd, uint32_t message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT)
        return DefWindowProc(hwnd, message, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    TRIVERTEX v[2];
    v[0].x = 0;
    v[0].y = 0;
    v[0].Red = 0x2000;
    v[0].Green = 0x4000;
    v[0].Blue = 0x8000;
    v[1].x = 800;
    v[1].y = 600;
    v[1].Red = 0xF000;
    v[1].Green = 0xE000;
    v[1].Blue = 0xC000;
    GRADIENT_RECT r{0, 1};
    GradientFill(dc, v, 2, &r, 1, GRADIENT_FILL_RECT_V);
    static HFONT font = CreateFont(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans");
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    for (int line = 0; line < 30; ++line) {
        TextOutUtf8(dc, 10, 10 + line * 19,
                    "The quick brown fox jumps over the lazy dog 0123456789");
    }
    SelectObject(dc, old);
    EndPaint(hwnd, &ps);
    return 0;
}

HWND RepaintWindow() {
    static HWND hwnd = [] {
        SetPresentationMode(PresentationMode::Memory);
        WNDCLASS c;
        c.lpfnWndProc = RepaintProc;
        c.lpszClassName = "BenchRepaint";
        RegisterClass(&c);
        return CreateWindowEx(0, "BenchRepaint", "", WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr,
                              nullptr, nullptr);
    }();
    return hwnd;
}

void Memcpy(benchmark::State& state, size_t bytes) {
    std::vector<uint8_t> from(bytes, 1), to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}

void BM_Memcpy800x600(benchmark::State& state) {
    Memcpy(state, 800 * 600 * 4);
}
void BM_Memcpy1920x1080(benchmark::State& state) {
    Memcpy(state, 1920 * 1080 * 4);
}

void BM_Repaint800x600(benchmark::State& state) {
    HWND hwnd = RepaintWindow();
    for (auto _ : state) {
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
}

void Stretch(benchmark::State& state, int mode) {
    HDC screen = GetDC(nullptr);
    HDC src = CreateCompatibleDC(screen), dst = CreateCompatibleDC(screen);
    HBITMAP small = CreateCompatibleBitmap(screen, 1280, 720);
    HBITMAP big = CreateCompatibleBitmap(screen, 1920, 1080);
    SelectObject(src, small);
    SelectObject(dst, big);
    PixelView pixels = BitmapPixels(small);
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x)
            pixels.Row(y)[x] = uint32_t(x * 7 ^ y * 13);
    SetStretchBltMode(dst, mode);
    for (auto _ : state)
        StretchBlt(dst, 0, 0, 1920, 1080, src, 0, 0, 1280, 720, SRCCOPY);
    DeleteDC(src);
    DeleteDC(dst);
    DeleteObject(small);
    DeleteObject(big);
    ReleaseDC(nullptr, screen);
}
void BM_StretchColorOnColor1920x1080(benchmark::State& state) {
    Stretch(state, COLORONCOLOR);
}
void BM_StretchHalftone1920x1080(benchmark::State& state) {
    Stretch(state, HALFTONE);
}

BENCHMARK(BM_Memcpy800x600)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Repaint800x600)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Memcpy1920x1080)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StretchColorOnColor1920x1080)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StretchHalftone1920x1080)->Unit(benchmark::kMicrosecond);

// Keeps each benchmark's time per iteration for the closing ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> perIteration;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            perIteration[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ratio = [&](const char* what, const char* base) {
        auto a = reporter.perIteration.find(what), b = reporter.perIteration.find(base);
        if (a == reporter.perIteration.end() || b == reporter.perIteration.end() ||
            b->second <= 0) {
            return;
        }
        std::printf("%-34s = %7.1f x %s\n", what, a->second / b->second, base);
    };
    ratio("BM_Repaint800x600", "BM_Memcpy800x600");
    ratio("BM_StretchColorOnColor1920x1080", "BM_Memcpy1920x1080");
    ratio("BM_StretchHalftone1920x1080", "BM_Memcpy1920x1080");
    return 0;
}
