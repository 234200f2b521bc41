// Test helpers for sound: files written by other programs (songs by mido,
// sounds by Python's wave module) into a folder of the test's own, the
// recording device's log, and hand-made MIDI and RIFF images.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "tests/multimedia/device_test_support.h"

namespace soundtest {

using mmtest::ReadBytes;
using mmtest::ReadLines;
using mmtest::ThreadCount;

// Runs one of this folder's generator scripts into `folder`.
inline void RunGenerator(const char* script, const std::string& folder) {
    std::string command = std::string(PICBATCH_TEST_PYTHON) + " " + PICBATCH_SOUND_TEST_DIR + "/" +
                          script + " " + folder;
    ASSERT_EQ(std::system(command.c_str()), 0)
        << command << " failed: the sound tests need Debian's python3-mido";
}

// What one of the generator scripts writes, made once for a test suite (in
// its SetUpTestSuite) into a folder of its own that goes with the suite
// (TearDownTestSuite).
class GeneratedFiles {
public:
    void Make(const char* script) {
        folder_ = std::make_unique<mmtest::TempFolder>();
        RunGenerator(script, folder_->File(""));
    }
    void Remove() { folder_.reset(); }
    std::string File(const std::string& name) const { return folder_->File(name); }

private:
    std::unique_ptr<mmtest::TempFolder> folder_;
};

struct LogLine {
    double ms = 0;
    std::string bytes;  // "90 3c 64"
};

// Lines of "<ms> <hex bytes>", from the device log or a .expected file.
inline std::vector<LogLine> ReadTimedLines(const std::string& path) {
    std::vector<LogLine> lines;
    for (const std::string& text : ReadLines(path)) {
        if (text.empty())
            continue;
        size_t space = text.find(' ');
        lines.push_back({std::atof(text.substr(0, space).c_str()), text.substr(space + 1)});
    }
    return lines;
}

// Every line has the same bytes and a time within `toleranceMs`, after the
// expected times are scaled and shifted.
inline void ExpectSameTimedLines(const std::vector<LogLine>& played,
                                 const std::vector<LogLine>& expected, double toleranceMs,
                                 double scale = 1.0, double shiftMs = 0.0) {
    ASSERT_EQ(played.size(), expected.size());
    for (size_t i = 0; i < played.size(); ++i) {
        EXPECT_EQ(played[i].bytes, expected[i].bytes) << "line " << i;
        EXPECT_NEAR(played[i].ms, expected[i].ms * scale + shiftMs, toleranceMs)
            << "line " << i << ": " << played[i].bytes;
    }
}

// Standard MIDI files by hand, for the cases no writer produces.
inline std::vector<uint8_t> VarLen(uint32_t value) {
    std::vector<uint8_t> bytes{uint8_t(value & 0x7F)};
    while (value >>= 7)
        bytes.insert(bytes.begin(), uint8_t(0x80 | (value & 0x7F)));
    return bytes;
}

inline void AppendBe(std::vector<uint8_t>& out, uint32_t value, int width) {
    for (int shift = 8 * (width - 1); shift >= 0; shift -= 8)
        out.push_back(uint8_t(value >> shift));
}

inline std::vector<uint8_t> Smf(uint16_t division, const std::vector<std::vector<uint8_t>>& tracks,
                                uint16_t format = 1) {
    std::vector<uint8_t> out{'M', 'T', 'h', 'd'};
    AppendBe(out, 6, 4);
    AppendBe(out, format, 2);
    AppendBe(out, uint16_t(tracks.size()), 2);
    AppendBe(out, division, 2);
    for (const auto& body : tracks) {
        out.insert(out.end(), {'M', 'T', 'r', 'k'});
        AppendBe(out, uint32_t(body.size()), 4);
        out.insert(out.end(), body.begin(), body.end());
    }
    return out;
}

// A track body from (delta, event bytes) pairs; End of Track is not added.
inline std::vector<uint8_t> Track(
    const std::vector<std::pair<uint32_t, std::vector<uint8_t>>>& events) {
    std::vector<uint8_t> body;
    for (const auto& [delta, bytes] : events) {
        auto d = VarLen(delta);
        body.insert(body.end(), d.begin(), d.end());
        body.insert(body.end(), bytes.begin(), bytes.end());
    }
    return body;
}

inline const std::vector<uint8_t> kEndOfTrack{0xFF, 0x2F, 0x00};

inline std::vector<uint8_t> TempoMeta(uint32_t microseconds) {
    return {0xFF,
            0x51,
            0x03,
            uint8_t(microseconds >> 16),
            uint8_t(microseconds >> 8),
            uint8_t(microseconds)};
}

// RIFF images by hand: chunks in the given order, odd bodies padded.
struct Chunk {
    std::string id;
    std::vector<uint8_t> body;
};

inline void AppendLe(std::vector<uint8_t>& out, uint32_t value, int width) {
    for (int i = 0; i < width; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}

inline std::vector<uint8_t> PcmFormat(uint16_t channels, uint32_t rate, uint16_t bits) {
    std::vector<uint8_t> body;
    uint16_t align = uint16_t(channels * bits / 8);
    AppendLe(body, 1, 2);
    AppendLe(body, channels, 2);
    AppendLe(body, rate, 4);
    AppendLe(body, rate * align, 4);
    AppendLe(body, align, 2);
    AppendLe(body, bits, 2);
    return body;
}

inline std::vector<uint8_t> Riff(const std::vector<Chunk>& chunks) {
    std::vector<uint8_t> out{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    for (const Chunk& chunk : chunks) {
        out.insert(out.end(), chunk.id.begin(), chunk.id.end());
        AppendLe(out, uint32_t(chunk.body.size()), 4);
        out.insert(out.end(), chunk.body.begin(), chunk.body.end());
        if (chunk.body.size() % 2)
            out.push_back(0);
    }
    uint32_t riffSize = uint32_t(out.size() - 8);
    for (int i = 0; i < 4; ++i)
        out[4 + i] = uint8_t(riffSize >> (8 * i));
    return out;
}

}  // namespace soundtest
