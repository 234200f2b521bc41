#include "tools/picbatch/progress_line.h"

namespace picbatch {

std::string ProgressLine::Render(int32_t done, int32_t total, int width) {
    if (total < 0)
        total = 0;
    if (done < 0)
        done = 0;
    if (done > total)
        done = total;
    int filled = total > 0 ? int(int64_t(done) * width / total) : 0;
    std::string bar = "[";
    bar.append(size_t(filled), '#');
    bar.append(size_t(width - filled), '.');
    bar += "] ";
    bar += std::to_string(done) + "/" + std::to_string(total);
    int percent = total > 0 ? int(int64_t(done) * 100 / total) : 0;
    bar += " (" + std::to_string(percent) + "%)";
    return bar;
}

void ProgressLine::SetTotal(int32_t total) {
    std::lock_guard lock(mutex_);
    total_ = total;
    done_ = 0;
    lastPercent_ = -1;
    Show();
}

void ProgressLine::SetDone(int32_t done) {
    std::lock_guard lock(mutex_);
    done_ = done;
    Show();
}

void ProgressLine::Show() {
    if (total_ <= 0)
        return;
    int32_t done = done_ > total_ ? total_ : done_;
    if (redraw_) {
        std::fprintf(out_, "\r%s", Render(done, total_, 40).c_str());
        drawn_ = true;
    } else {
        int32_t percent = int32_t(int64_t(done) * 100 / total_);
        if (percent == lastPercent_)
            return;
        lastPercent_ = percent;
        std::fprintf(out_, "%s\n", Render(done, total_, 40).c_str());
    }
    std::fflush(out_);
}

void ProgressLine::Finish() {
    std::lock_guard lock(mutex_);
    if (redraw_ && drawn_) {
        std::fputc('\n', out_);
        std::fflush(out_);
        drawn_ = false;
    }
}

}  // namespace picbatch
