#include "platform/multimedia/synthesizer.h"

#include <sys/stat.h>
#include <cstdlib>
#include <string>

#ifdef PICBATCH_HAVE_FLUIDSYNTH
#include <fluidsynth.h>
#endif

#include "platform/multimedia/midi_sink.h"

namespace platform::multimedia {
namespace {

// PICBATCH_SOUNDFONT names the font; set but empty, it turns the
// synthesizer off. Otherwise Debian's General MIDI font, where installed.
std::string SoundFontPath() {
    if (const char* chosen = std::getenv("PICBATCH_SOUNDFONT"))
        return chosen;
    for (const char* path :
         {"/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/sounds/sf2/default-GM.sf2"}) {
        struct stat info;
        if (stat(path, &info) == 0)
            return path;
    }
    return {};
}

}  // namespace

#ifdef PICBATCH_HAVE_FLUIDSYNTH
struct Synthesizer::SynthState {
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    ~SynthState() {
        if (synth)
            delete_fluid_synth(synth);
        if (settings)
            delete_fluid_settings(settings);
    }
};
#else
struct Synthesizer::SynthState {};
#endif

std::shared_ptr<Synthesizer> Synthesizer::Share() {
    static std::mutex mutex;
    static std::weak_ptr<Synthesizer> shared;
    std::lock_guard lock(mutex);
    if (auto existing = shared.lock())
        return existing;
    std::shared_ptr<Synthesizer> created(new Synthesizer);
    created->Start();
    shared = created;
    return created;
}

Synthesizer::~Synthesizer() {
    Stop();
}

void Synthesizer::Start() {
#ifdef PICBATCH_HAVE_FLUIDSYNTH
    std::string font = SoundFontPath();
    if (font.empty() || waveOutGetNumDevs() == 0)
        return;
    // FluidSynth reports missing presets and the like on standard error;
    // only its errors are worth a line there.
    static bool quiet = [] {
        fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
        fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
        fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
        return true;
    }();
    (void)quiet;

    auto state = std::make_unique<SynthState>();
    state->settings = new_fluid_settings();
    if (!state->settings)
        return;
    fluid_settings_setnum(state->settings, "synth.sample-rate", kRate);
    fluid_settings_setnum(state->settings, "synth.gain", 0.5);
    // Samples are read when a preset is first used, so opening a stream does
    // not wait for the whole 140 MB font; nothing is locked into memory.
    fluid_settings_setint(state->settings, "synth.dynamic-sample-loading", 1);
    fluid_settings_setint(state->settings, "synth.lock-memory", 0);
    state->synth = new_fluid_synth(state->settings);
    if (!state->synth || fluid_synth_sfload(state->synth, font.c_str(), 1) == FLUID_FAILED)
        return;

    WAVEFORMATEX format{WAVE_FORMAT_PCM, 2, kRate, kRate * 4, 4, 16, 0};
    if (waveOutOpen(&output_, WAVE_MAPPER, &format, &Synthesizer::OnWaveNotification,
                    uintptr_t(this), CALLBACK_FUNCTION) != MMSYSERR_NOERROR) {
        output_ = 0;
        return;
    }
    samples_.assign(size_t(kBuffers) * kFramesPerBuffer * 2, 0);
    for (int i = 0; i < kBuffers; ++i) {
        WAVEHDR& header = headers_[i];
        header.lpData = reinterpret_cast<char*>(samples_.data() + size_t(i) * kFramesPerBuffer * 2);
        header.dwBufferLength = kFramesPerBuffer * 4;
        waveOutPrepareHeader(output_, &header, sizeof header);
        free_.push_back(&header);
    }
    synth_ = state.release();
    try {
        renderer_ = std::thread([this] { Render(); });
    } catch (const std::system_error&) {
        Stop();
    }
#endif
}

void Synthesizer::Stop() {
    if (renderer_.joinable()) {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        renderer_.join();
    }
    if (output_) {
        waveOutReset(output_);
        for (WAVEHDR& header : headers_)
            waveOutUnprepareHeader(output_, &header, sizeof header);
        waveOutClose(output_);
        output_ = 0;
    }
    delete synth_;
    synth_ = nullptr;
}

void Synthesizer::OnWaveNotification(uintptr_t, uintptr_t message, uintptr_t instance,
                                     uintptr_t param1, uintptr_t) {
    if (message != WOM_DONE)
        return;
    auto* self = reinterpret_cast<Synthesizer*>(instance);
    {
        std::lock_guard lock(self->mutex_);
        self->free_.push_back(reinterpret_cast<WAVEHDR*>(param1));
    }
    self->wake_.notify_all();
}

void Synthesizer::Render() {
#ifdef PICBATCH_HAVE_FLUIDSYNTH
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return stopping_ || !free_.empty(); });
        if (stopping_)
            return;
        WAVEHDR* header = free_.front();
        free_.pop_front();
        lock.unlock();
        fluid_synth_write_s16(synth_->synth, int(kFramesPerBuffer), header->lpData, 0, 2,
                              header->lpData, 1, 2);
        waveOutWrite(output_, header, sizeof *header);
        lock.lock();
    }
#endif
}

void Synthesizer::ShortMessage(uint32_t message) {
#ifdef PICBATCH_HAVE_FLUIDSYNTH
    if (!synth_)
        return;
    fluid_synth_t* synth = synth_->synth;
    int status = int(message & 0xFF);
    int channel = status & 0x0F;
    int data1 = int((message >> 8) & 0x7F);
    int data2 = int((message >> 16) & 0x7F);
    switch (status & 0xF0) {
        case 0x80:
            fluid_synth_noteoff(synth, channel, data1);
            break;
        case 0x90:
            if (data2 == 0)
                fluid_synth_noteoff(synth, channel, data1);
            else
                fluid_synth_noteon(synth, channel, data1, data2);
            break;
        case 0xA0:
            fluid_synth_key_pressure(synth, channel, data1, data2);
            break;
        case 0xB0:
            fluid_synth_cc(synth, channel, data1, data2);
            break;
        case 0xC0:
            fluid_synth_program_change(synth, channel, data1);
            break;
        case 0xD0:
            fluid_synth_channel_pressure(synth, channel, data1);
            break;
        case 0xE0:
            fluid_synth_pitch_bend(synth, channel, data1 | (data2 << 7));
            break;
        default:
            if (status == 0xFF)
                fluid_synth_system_reset(synth);
            break;
    }
#else
    (void)message;
#endif
}

void Synthesizer::LongMessage(const uint8_t* bytes, uint32_t length) {
#ifdef PICBATCH_HAVE_FLUIDSYNTH
    // FluidSynth takes the body without the F0 and F7 framing bytes.
    if (!synth_ || length < 3 || bytes[0] != 0xF0 || bytes[length - 1] != 0xF7)
        return;
    fluid_synth_sysex(synth_->synth, reinterpret_cast<const char*>(bytes + 1), int(length - 2),
                      nullptr, nullptr, nullptr, 0);
#else
    (void)bytes;
    (void)length;
#endif
}

void Synthesizer::NotesOff() {
#ifdef PICBATCH_HAVE_FLUIDSYNTH
    if (synth_)
        fluid_synth_all_notes_off(synth_->synth, -1);
#endif
}

void Synthesizer::ResetControllers() {
#ifdef PICBATCH_HAVE_FLUIDSYNTH
    if (!synth_)
        return;
    fluid_synth_all_sounds_off(synth_->synth, -1);
    for (int channel = 0; channel < 16; ++channel)
        fluid_synth_cc(synth_->synth, channel, 121, 0);  // reset all controllers
#endif
}

namespace {

class SynthesizerSink : public MidiSink {
public:
    SynthesizerSink() : synth_(Synthesizer::Share()) {}
    void ShortMessage(double, uint32_t message, uint32_t) override {
        synth_->ShortMessage(message);
    }
    void LongMessage(const uint8_t* bytes, uint32_t length) override {
        synth_->LongMessage(bytes, length);
    }
    void NotesOff() override { synth_->NotesOff(); }
    void ResetControllers() override { synth_->ResetControllers(); }

private:
    std::shared_ptr<Synthesizer> synth_;
};

}  // namespace

std::unique_ptr<MidiSink> OpenSynthesizerSink() {
    return std::make_unique<SynthesizerSink>();
}

}  // namespace platform::multimedia
