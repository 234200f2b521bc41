// The recording device's log: one line per short message, flushed as it is
// written, so a reader sees every message that has played.
#include <cstdio>

#include "platform/multimedia/midi_sink.h"

namespace platform::multimedia {
namespace {

class RecordingSink : public MidiSink {
public:
    explicit RecordingSink(std::FILE* log) : log_(log) {}
    ~RecordingSink() override { std::fclose(log_); }

    void ShortMessage(double ms, uint32_t message, uint32_t length) override {
        std::fprintf(log_, "%.1f", ms);
        for (uint32_t i = 0; i < length; ++i)
            std::fprintf(log_, " %02x", (message >> (8 * i)) & 0xFF);
        std::fputc('\n', log_);
        std::fflush(log_);
    }
    void LongMessage(const uint8_t*, uint32_t) override {}
    void NotesOff() override {}
    void ResetControllers() override {}

private:
    std::FILE* log_;
};

}  // namespace

std::unique_ptr<MidiSink> OpenRecordingSink(const std::string& path) {
    std::FILE* log = std::fopen(path.c_str(), "a");
    if (!log)
        return nullptr;
    return std::make_unique<RecordingSink>(log);
}

}  // namespace platform::multimedia
