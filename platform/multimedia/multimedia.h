// The multimedia platform's C++ interface: wave output and MIDI stream
// output, named after the calls they stand for on the platform the
// application was written for. The word-shaped routines the application
// binds (exports.cpp) are thin wrappers over these.
//
// Wave output plays PCM through SDL2 audio (SDL_AUDIODRIVER chooses the
// driver; "dummy" and "disk" need no sound device). MIDI streams are timed
// by a thread of their own per stream and played on one of two devices:
//
//   id  device
//   0   the General MIDI synthesizer: FluidSynth rendering to wave output,
//       with the sound font named by PICBATCH_SOUNDFONT (default: Debian's
//       FluidR3_GM.sf2). Without FluidSynth, the font or a wave device it
//       is silent but still times and reports every event.
//   1   the recording device, present while PICBATCH_MIDI_LOG names a log
//       file: it appends one line per short message played, the device
//       clock in milliseconds since the stream first started and the
//       message bytes in hex, e.g. "1250.0 90 3c 64".
//
// MIDI_MAPPER (-1) is the recording device while PICBATCH_MIDI_LOG is set,
// the synthesizer otherwise.
//
// Notifications. A device calls its client's callback from the device's own
// thread, never from inside one of these calls and never while holding a
// device lock, so a callback may queue buffers (waveOutWrite,
// midiStreamOut). It must not close its own device: that answers
// MMSYSERR_HANDLEBUSY. After Close returns no further callback comes.
// Messages: open, every returned buffer (done), position events of MIDI
// events flagged MEVT_F_CALLBACK, then close.
//
// Records keep the platform's field order; words holding pointers are
// pointer-sized, so the header size arguments are sizeof the record.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform::multimedia {

using MMRESULT = uint32_t;
using HWAVEOUT = uintptr_t;
using HMIDISTRM = uintptr_t;
// A stream handle serves wherever a MIDI output handle is asked for.
using HMIDIOUT = uintptr_t;

// --- Error numbers -----------------------------------------------------------
inline constexpr MMRESULT MMSYSERR_NOERROR = 0;
inline constexpr MMRESULT MMSYSERR_ERROR = 1;
inline constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
inline constexpr MMRESULT MMSYSERR_ALLOCATED = 4;
inline constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
inline constexpr MMRESULT MMSYSERR_NODRIVER = 6;
inline constexpr MMRESULT MMSYSERR_NOMEM = 7;
inline constexpr MMRESULT MMSYSERR_NOTSUPPORTED = 8;
inline constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
inline constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
inline constexpr MMRESULT MMSYSERR_HANDLEBUSY = 12;
inline constexpr MMRESULT WAVERR_BADFORMAT = 32;
inline constexpr MMRESULT WAVERR_STILLPLAYING = 33;
inline constexpr MMRESULT WAVERR_UNPREPARED = 34;
inline constexpr MMRESULT MIDIERR_UNPREPARED = 64;
inline constexpr MMRESULT MIDIERR_STILLPLAYING = 65;

// A short English text for an error number ("unknown multimedia error" for
// numbers this platform never answers).
const char* MultimediaErrorText(MMRESULT error);

// --- Callbacks ---------------------------------------------------------------
// Every argument is a whole word, so word-shaped callers can pass their own
// routines: (device handle, message, instance data, param1, param2).
using DeviceCallback = void (*)(uintptr_t handle, uintptr_t message, uintptr_t instance,
                                uintptr_t param1, uintptr_t param2);
inline constexpr uint32_t CALLBACK_NULL = 0x00000;
inline constexpr uint32_t CALLBACK_FUNCTION = 0x30000;

inline constexpr uint32_t WOM_OPEN = 0x3BB;
inline constexpr uint32_t WOM_CLOSE = 0x3BC;
inline constexpr uint32_t WOM_DONE = 0x3BD;  // param1: the returned WAVEHDR
inline constexpr uint32_t MOM_OPEN = 0x3C7;
inline constexpr uint32_t MOM_CLOSE = 0x3C8;
inline constexpr uint32_t MOM_DONE = 0x3C9;  // param1: the returned MIDIHDR
// param1: the MIDIHDR; its dwOffset is the byte offset of the event played.
inline constexpr uint32_t MOM_POSITIONCB = 0x3CA;

// --- Wave output -------------------------------------------------------------
inline constexpr uint32_t WAVE_MAPPER = 0xFFFFFFFF;
inline constexpr uint32_t WAVE_FORMAT_QUERY = 0x1;  // check the format, open nothing
inline constexpr uint16_t WAVE_FORMAT_PCM = 1;

// The format description, packed exactly as in a RIFF "fmt " chunk:
//   OFFSET SIZE DESCRIPTION
//        0    2 format tag (1 = PCM, the only one played)
//        2    2 channels (1 or 2)
//        4    4 samples per second (1000 to 192000)
//        8    4 average bytes per second (not checked)
//       12    2 block alignment (channels x bytes per sample)
//       14    2 bits per sample (8: unsigned, 16: signed little-endian)
//       16    2 size of extra bytes (not read for PCM: a 16-byte chunk will do)
#pragma pack(push, 1)
struct WAVEFORMATEX {
    uint16_t wFormatTag;
    uint16_t nChannels;
    uint32_t nSamplesPerSec;
    uint32_t nAvgBytesPerSec;
    uint16_t nBlockAlign;
    uint16_t wBitsPerSample;
    uint16_t cbSize;
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEX) == 18);
// The bytes of a format description waveOutOpen reads for PCM.
inline constexpr size_t kPcmFormatBytes = 16;

inline constexpr uint32_t WHDR_DONE = 0x01;
inline constexpr uint32_t WHDR_PREPARED = 0x02;
inline constexpr uint32_t WHDR_INQUEUE = 0x10;

struct WAVEHDR {
    char* lpData;
    uint32_t dwBufferLength;  // bytes played from lpData
    uint32_t dwBytesRecorded;
    uintptr_t dwUser;
    uint32_t dwFlags;
    uint32_t dwLoops;
    WAVEHDR* lpNext;
    uintptr_t reserved;
};

// The number of output devices: 0 when audio cannot start at all.
uint32_t waveOutGetNumDevs();
// Opens device `deviceId` (WAVE_MAPPER: the default) for the format; the
// device starts playing whatever is written. flags: CALLBACK_NULL or
// CALLBACK_FUNCTION, optionally with WAVE_FORMAT_QUERY.
MMRESULT waveOutOpen(HWAVEOUT* device, uint32_t deviceId, const WAVEFORMATEX* format,
                     DeviceCallback callback, uintptr_t instance, uint32_t flags);
MMRESULT waveOutPrepareHeader(HWAVEOUT device, WAVEHDR* header, uint32_t size);
// WAVERR_STILLPLAYING while the header is queued.
MMRESULT waveOutUnprepareHeader(HWAVEOUT device, WAVEHDR* header, uint32_t size);
// Queues a prepared header; it comes back through WOM_DONE once played.
MMRESULT waveOutWrite(HWAVEOUT device, WAVEHDR* header, uint32_t size);
// Returns every queued header at once (marked done; WOM_DONE follows).
MMRESULT waveOutReset(HWAVEOUT device);
MMRESULT waveOutPause(HWAVEOUT device);
MMRESULT waveOutRestart(HWAVEOUT device);
// WAVERR_STILLPLAYING while headers are queued; otherwise delivers the
// outstanding notifications and WOM_CLOSE, then releases the device.
MMRESULT waveOutClose(HWAVEOUT device);

// --- MIDI stream output ------------------------------------------------------
inline constexpr uint32_t MIDI_MAPPER = 0xFFFFFFFF;
inline constexpr uint32_t kSynthesizerDevice = 0;
inline constexpr uint32_t kRecordingDevice = 1;

inline constexpr uint32_t MHDR_DONE = 0x01;
inline constexpr uint32_t MHDR_PREPARED = 0x02;
inline constexpr uint32_t MHDR_INQUEUE = 0x04;
inline constexpr uint32_t MHDR_ISSTRM = 0x08;

struct MIDIHDR {
    char* lpData;
    uint32_t dwBufferLength;
    uint32_t dwBytesRecorded;  // bytes of stream events in lpData
    uintptr_t dwUser;
    uint32_t dwFlags;
    MIDIHDR* lpNext;
    uintptr_t reserved;
    uint32_t dwOffset;  // offset of the event a position notification is for
    uintptr_t dwReserved[8];
};

// Stream events, little-endian words:
//   OFFSET SIZE DESCRIPTION
//        0    4 delta time in ticks since the previous event of the stream
//        4    4 stream id (0)
//        8    4 event word: bits 0-23 parameters, bits 24-31 type and flags
//       12    n long events only: (event word & 0xFFFFFF) parameter bytes,
//               padded to a multiple of 4
// Short types: MEVT_SHORTMSG (parameters: status | data1 << 8 | data2 << 16),
// MEVT_TEMPO (parameters: microseconds per quarter note), MEVT_NOP. Long
// types: MEVT_LONGMSG (a system-exclusive message), MEVT_COMMENT,
// MEVT_VERSION (skipped).
inline constexpr uint32_t kStreamEventBytes = 12;
inline constexpr uint8_t MEVT_SHORTMSG = 0x00;
inline constexpr uint8_t MEVT_TEMPO = 0x01;
inline constexpr uint8_t MEVT_NOP = 0x02;
inline constexpr uint8_t MEVT_LONGMSG = 0x80;
inline constexpr uint8_t MEVT_COMMENT = 0x82;
inline constexpr uint8_t MEVT_VERSION = 0x84;
inline constexpr uint32_t MEVT_F_LONG = 0x80000000;
inline constexpr uint32_t MEVT_F_CALLBACK = 0x40000000;

// Stream properties: {cbStruct = 8, value}.
struct MIDIPROPTIMEDIV {
    uint32_t cbStruct;
    uint32_t dwTimeDiv;
};
struct MIDIPROPTEMPO {
    uint32_t cbStruct;
    uint32_t dwTempo;
};
inline constexpr uint32_t MIDIPROP_SET = 0x80000000;
inline constexpr uint32_t MIDIPROP_GET = 0x40000000;
inline constexpr uint32_t MIDIPROP_TIMEDIV = 0x00000001;
inline constexpr uint32_t MIDIPROP_TEMPO = 0x00000002;

uint32_t midiOutGetNumDevs();
// Opens a stream on *deviceId (count must be 1). The stream starts paused at
// tick 0, 96 ticks per quarter note, 500000 microseconds per quarter note.
MMRESULT midiStreamOpen(HMIDISTRM* stream, const uint32_t* deviceId, uint32_t count,
                        DeviceCallback callback, uintptr_t instance, uint32_t flags);
// Time division: ticks per quarter note in bits 0-14, or with bit 15 set
// SMPTE (bits 8-15: minus frames per second, 24/25/29/30; bits 0-7: ticks
// per frame). A change applies from the current position.
MMRESULT midiStreamProperty(HMIDISTRM stream, void* property, uint32_t flags);
MMRESULT midiOutPrepareHeader(HMIDIOUT stream, MIDIHDR* header, uint32_t size);
MMRESULT midiOutUnprepareHeader(HMIDIOUT stream, MIDIHDR* header, uint32_t size);
// Queues a prepared header of stream events; it comes back through MOM_DONE
// right after its last event has played.
MMRESULT midiStreamOut(HMIDISTRM stream, MIDIHDR* header, uint32_t size);
// Starts or resumes the stream clock.
MMRESULT midiStreamRestart(HMIDISTRM stream);
// Holds the clock; sounding notes are turned off.
MMRESULT midiStreamPause(HMIDISTRM stream);
// Holds the clock, turns off sounding notes, returns every queued header
// and sets the position back to tick 0.
MMRESULT midiStreamStop(HMIDISTRM stream);
// Returns every queued header, turns off every note and resets the
// controllers; the clock keeps its state.
MMRESULT midiOutReset(HMIDIOUT stream);
// MIDIERR_STILLPLAYING while headers are queued.
MMRESULT midiStreamClose(HMIDISTRM stream);

}  // namespace platform::multimedia
