// WavePlayer plays RIFF WAVE images through the platform's wave output.
// Every PlayWave starts an independent job with its own copy of the
// samples, its own device and its own worker thread, so sounds play
// together; a job streams through 20 buffers of 15360 bytes, may loop, and
// removes itself when it has finished or has been told to stop.
//
// Threads: the caller's (PlayWave, StopAllWaves), one worker per job, and
// each device's notification thread (WaveCallback, which only counts and
// wakes the worker). jobsLock_ guards the job list; a job's own lock guards
// its free-buffer count. A worker owns its job; other threads reach a job
// only through its stop signal, under jobsLock_, which the worker also
// takes before it frees the job.
//
// Worker threads are joined, never left detached: StopAllWaves(1) joins
// every worker, and PlayWave joins those that have already ended, so once
// StopAllWaves(1) returns no thread of the player is left.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace corelib::sound {

inline constexpr uint32_t WAVE_BUFFER_COUNT = 20;
inline constexpr uint32_t WAVE_CHUNK_BYTES = 15360;
inline constexpr uint32_t WAVE_STALL_MS = 8888;

struct WaveJob;

class WavePlayer {
public:
    WavePlayer() = default;
    // Stops every job and waits for it.
    ~WavePlayer();
    WavePlayer(const WavePlayer&) = delete;
    WavePlayer& operator=(const WavePlayer&) = delete;

    // Answers 1 when a job was started, 0 otherwise (not RIFF WAVE, no
    // usable format or samples, no output device, format refused, out of
    // memory); nothing is left running on failure. The image may go as
    // soon as this returns.
    int32_t PlayWave(const void* image, uint32_t size, int32_t loop);
    // Asks every job to stop; with `wait`, returns once every worker ended.
    void StopAllWaves(int32_t wait);
    // Jobs not yet cleaned up.
    size_t RunningCount() const;

    // The device notification routine; the instance is the job.
    static void WaveCallback(uintptr_t handle, uintptr_t message, uintptr_t instance,
                             uintptr_t param1, uintptr_t param2);

private:
    struct Worker {
        std::thread thread;
        std::shared_ptr<bool> ended;  // set under jobsLock_ as the worker's last act
    };

    static uintptr_t WaveThread(WavePlayer* player, WaveJob* job, std::shared_ptr<bool> ended);
    void CleanUp(WaveJob* job, const std::shared_ptr<bool>& ended);
    void JoinEndedWorkers();

    mutable std::mutex jobsLock_;
    std::vector<WaveJob*> jobs_;
    std::list<Worker> workers_;
};

}  // namespace corelib::sound
