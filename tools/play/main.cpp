// picbatch-play: plays a standard MIDI file or a RIFF WAVE file through the
// runtime's own sequencer and wave player, for listening and for checks.
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "corelib/sound/midi_file.h"
#include "corelib/sound/midi_sequencer.h"
#include "corelib/sound/wave_image.h"
#include "corelib/sound/wave_player.h"
#include "platform/multimedia/multimedia.h"

namespace {

namespace mm = platform::multimedia;
using corelib::sound::MidiSequencer;

constexpr int kExitPlayed = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "usage: picbatch-play FILE [--loop] [--speed PCT] [--record LOG] [--seconds N]\n"
    "\n"
    "Plays a standard MIDI file or a RIFF WAVE file to its end.\n"
    "  --loop        repeat until stopped (Ctrl-C or --seconds)\n"
    "  --speed PCT   MIDI only: play at PCT percent of the written tempo (1-1000)\n"
    "  --record LOG  MIDI only: play on the recording device, which writes each\n"
    "                message to LOG as \"<ms> <status> <data>...\" in hex; the\n"
    "                log is started afresh\n"
    "  --seconds N   stop after N seconds\n"
    "\n"
    "Wave output goes through SDL2 audio: SDL_AUDIODRIVER=dummy or disk plays\n"
    "without a sound device. MIDI plays through FluidSynth with the sound font\n"
    "PICBATCH_SOUNDFONT names (default: the General MIDI font of\n"
    "fluid-soundfont-gm); without one it is timed in silence.\n"
    "\n"
    "exit status: 0 played (to the end, or stopped by --seconds or Ctrl-C),\n"
    "             1 the file could not be played, 2 usage error\n";

struct Options {
    std::string file;
    bool loop = false;
    uint32_t speed = 100;
    std::string record;
    double seconds = -1;
};

volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int) {
    interrupted = 1;
}

bool ParseNumber(const char* text, double* value) {
    char* end = nullptr;
    *value = std::strtod(text, &end);
    return end != text && *end == '\0';
}

// Answers kExitPlayed to go on, or an exit status.
int ParseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&](const char* name) -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "picbatch-play: %s needs a value\n", name);
                return nullptr;
            }
            return argv[++i];
        };
        double number;
        if (arg == "-h" || arg == "--help") {
            std::fputs(kUsage, stdout);
            std::exit(kExitPlayed);
        } else if (arg == "--loop") {
            options->loop = true;
        } else if (arg == "--speed") {
            const char* text = value("--speed");
            if (!text || !ParseNumber(text, &number) || number < 1 || number > 1000) {
                std::fputs("picbatch-play: --speed takes a percentage from 1 to 1000\n", stderr);
                return kExitUsage;
            }
            options->speed = uint32_t(number);
        } else if (arg == "--record") {
            const char* text = value("--record");
            if (!text)
                return kExitUsage;
            options->record = text;
        } else if (arg == "--seconds") {
            const char* text = value("--seconds");
            if (!text || !ParseNumber(text, &number) || number < 0) {
                std::fputs("picbatch-play: --seconds takes a number of seconds\n", stderr);
                return kExitUsage;
            }
            options->seconds = number;
        } else if (!arg.empty() && arg[0] == '-') {
            std::fprintf(stderr, "picbatch-play: unknown option %s\n%s", arg.c_str(), kUsage);
            return kExitUsage;
        } else if (options->file.empty()) {
            options->file = arg;
        } else {
            std::fprintf(stderr, "picbatch-play: one file at a time\n%s", kUsage);
            return kExitUsage;
        }
    }
    if (options->file.empty()) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    return kExitPlayed;
}

class Clock {
public:
    double Seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

bool TimeIsUp(const Options& options, const Clock& clock) {
    return interrupted || (options.seconds >= 0 && clock.Seconds() >= options.seconds);
}

// Platform errors on standard error as they happen.
class TerminalSequencer : public MidiSequencer {
protected:
    void ReportError(uint32_t code) override {
        std::fprintf(stderr, "picbatch-play: MIDI device: %s (error %u)\n",
                     mm::MultimediaErrorText(code), code);
    }
};

int PlayMidi(const Options& options, const std::vector<uint8_t>& image) {
    const char* path = options.file.c_str();
    corelib::sound::MidiHeader header;
    std::vector<corelib::sound::MidiTrack> tracks;
    if (!corelib::sound::ParseMidiFile(image.data(), image.size(), &header, &tracks)) {
        std::printf("%s: damaged MIDI file (bad header, or a track chunk missing or cut short)\n",
                    path);
        return kExitFailed;
    }

    TerminalSequencer sequencer;
    if (!options.record.empty()) {
        // The log holds this run only.
        if (std::FILE* log = std::fopen(options.record.c_str(), "w")) {
            std::fclose(log);
        } else {
            std::printf("%s: cannot write the log %s\n", path, options.record.c_str());
            return kExitFailed;
        }
        setenv("PICBATCH_MIDI_LOG", options.record.c_str(), 1);
        sequencer.SetDeviceId(mm::kRecordingDevice);
    }
    sequencer.SetSpeedPercent(options.speed);
    if (!sequencer.Load(image.data(), uint32_t(image.size()), nullptr)) {
        std::printf("%s: cannot play: %s\n", path,
                    sequencer.LastError() ? mm::MultimediaErrorText(sequencer.LastError())
                                          : "the first events cannot be read");
        return kExitFailed;
    }
    Clock clock;
    if (!sequencer.Play(options.loop ? 1 : 0)) {
        std::printf("%s: cannot start: %s\n", path, mm::MultimediaErrorText(sequencer.LastError()));
        return kExitFailed;
    }
    int status = kExitPlayed;
    for (;;) {
        if (sequencer.WaitForSongEnd(0, 50)) {
            std::printf("%s: played to the end (%.1f s)\n", path, clock.Seconds());
            break;
        }
        if (sequencer.HasRunDry()) {
            std::printf("%s: a track is damaged; playback stopped after %.1f s\n", path,
                        clock.Seconds());
            status = kExitFailed;
            break;
        }
        if (TimeIsUp(options, clock)) {
            std::printf("%s: stopped after %.1f s\n", path, clock.Seconds());
            break;
        }
    }
    sequencer.Unload();
    return status;
}

int PlayWave(const Options& options, const std::vector<uint8_t>& image) {
    const char* path = options.file.c_str();
    corelib::sound::WaveChunks chunks;
    auto error = corelib::sound::FindWaveChunks(image.data(), image.size(), &chunks);
    if (error != corelib::sound::WaveImageError::kNone) {
        std::printf("%s: %s\n", path, corelib::sound::WaveImageErrorText(error));
        return kExitFailed;
    }
    corelib::sound::WavePlayer player;
    Clock clock;
    if (!player.PlayWave(image.data(), uint32_t(image.size()), options.loop ? 1 : 0)) {
        std::printf("%s: %s\n", path,
                    mm::waveOutGetNumDevs() == 0
                        ? "no sound output device (SDL_AUDIODRIVER=dummy plays without one)"
                        : "the sound device refuses this format (PCM, 8 or 16 bits, 1 or 2 "
                          "channels)");
        return kExitFailed;
    }
    while (player.RunningCount() > 0 && !TimeIsUp(options, clock)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    bool ended = player.RunningCount() == 0;
    player.StopAllWaves(1);
    std::printf(ended ? "%s: played to the end (%.1f s)\n" : "%s: stopped after %.1f s\n", path,
                clock.Seconds());
    return kExitPlayed;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (int status = ParseOptions(argc, argv, &options); status != kExitPlayed)
        return status;

    std::ifstream in(options.file, std::ios::binary);
    if (!in) {
        std::printf("%s: cannot open: %s\n", options.file.c_str(), std::strerror(errno));
        return kExitFailed;
    }
    std::vector<uint8_t> image((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    if (image.size() > 0xFFFFFFFFu) {
        std::printf("%s: too large to play from memory\n", options.file.c_str());
        return kExitFailed;
    }

    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    if (corelib::sound::IsWaveData(image.data(), image.size())) {
        if (!options.record.empty() || options.speed != 100) {
            std::fputs("picbatch-play: --record and --speed apply to MIDI files only\n", stderr);
            return kExitUsage;
        }
        return PlayWave(options, image);
    }
    if (MidiSequencer::IsMidiData(image.data(), uint32_t(image.size())))
        return PlayMidi(options, image);
    std::printf("%s: neither a standard MIDI file nor a RIFF WAVE file\n", options.file.c_str());
    return kExitFailed;
}
