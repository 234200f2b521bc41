// The application binds the multimedia platform by routine name: every
// name must be exported with C linkage and take whole words.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/multimedia/multimedia.h"

namespace {

using W = uintptr_t;
namespace mm = platform::multimedia;

TEST(MultimediaLibrary, EveryRoutineIsExportedByName) {
    void* library = dlopen("libpicbatch-multimedia.so", RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    for (const char* name : {"waveOutGetNumDevs",    "waveOutOpen",
                             "waveOutPrepareHeader", "waveOutUnprepareHeader",
                             "waveOutWrite",         "waveOutReset",
                             "waveOutPause",         "waveOutRestart",
                             "waveOutClose",         "midiOutGetNumDevs",
                             "midiStreamOpen",       "midiStreamProperty",
                             "midiOutPrepareHeader", "midiOutUnprepareHeader",
                             "midiStreamOut",        "midiStreamRestart",
                             "midiStreamPause",      "midiStreamStop",
                             "midiOutReset",         "midiStreamClose"})
        EXPECT_NE(dlsym(library, name), nullptr) << name;

    // A word-shaped caller extends -1 as it likes; the low half counts.
    unsetenv("PICBATCH_MIDI_LOG");
    auto open = reinterpret_cast<W (*)(W, W, W, W, W, W)>(dlsym(library, "midiStreamOpen"));
    auto close = reinterpret_cast<W (*)(W)>(dlsym(library, "midiStreamClose"));
    auto count = reinterpret_cast<W (*)()>(dlsym(library, "midiOutGetNumDevs"));
    ASSERT_TRUE(open && close && count);
    EXPECT_EQ(count(), 1u);
    setenv("PICBATCH_SOUNDFONT", "", 1);  // no synthesizer: the device still opens
    W stream = 0;
    uint32_t mapper = 0xFFFFFFFF;
    ASSERT_EQ(open(W(&stream), W(&mapper), 1, 0, 0, 0), mm::MMSYSERR_NOERROR);
    EXPECT_EQ(close(stream), mm::MMSYSERR_NOERROR);
    EXPECT_EQ(close(stream), mm::MMSYSERR_INVALHANDLE);
    dlclose(library);
}

}  // namespace
