// The batch's progress on standard error: on a terminal one bar redrawn in
// place, otherwise a plain line whenever another whole percent is done.
// Safe to use from several threads.
#pragma once

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

namespace picbatch {

class ProgressLine {
public:
    ProgressLine(std::FILE* out, bool redraw) : out_(out), redraw_(redraw) {}

    void SetTotal(int32_t total);
    void SetDone(int32_t done);
    // Ends a redrawn bar with a newline.
    void Finish();

    // The text of the bar for `done` of `total` (width characters of bar).
    static std::string Render(int32_t done, int32_t total, int width);

private:
    void Show();

    std::mutex mutex_;
    std::FILE* out_;
    bool redraw_;
    int32_t total_ = 0;
    int32_t done_ = 0;
    int32_t lastPercent_ = -1;
    bool drawn_ = false;
};

}  // namespace picbatch
