#include "corelib/sound/wave_player.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>

#include "corelib/sound/wave_image.h"
#include "platform/multimedia/multimedia.h"

namespace corelib::sound {

namespace mm = platform::multimedia;

namespace {

// The worker's two wake-ups in one wait: a counting semaphore of returned
// buffers (at most WAVE_BUFFER_COUNT) and a manual-reset stop signal.
class JobSignals {
public:
    enum class Woken { kStop, kFreeSlot, kTimeout };

    void ReleaseSlots(uint32_t count) {
        {
            std::lock_guard lock(mutex_);
            slots_ = std::min(WAVE_BUFFER_COUNT, slots_ + count);
        }
        changed_.notify_one();
    }
    void SignalStop() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_one();
    }
    // A stop wins over a free slot: a stopped job queues nothing more.
    Woken Wait(uint32_t timeoutMs) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                          [&] { return stop_ || slots_ > 0; });
        if (stop_)
            return Woken::kStop;
        if (slots_ == 0)
            return Woken::kTimeout;
        --slots_;
        return Woken::kFreeSlot;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    uint32_t slots_ = WAVE_BUFFER_COUNT;
    bool stop_ = false;
};

}  // namespace

struct WaveJob {
    uint8_t* samples = nullptr;  // copy of the data chunk body
    mm::HWAVEOUT device = 0;
    uint32_t sampleBytes = 0;
    // WAVE_BUFFER_COUNT headers followed by their sample buffers, one block.
    uint8_t* headers = nullptr;
    uint32_t freeCount = WAVE_BUFFER_COUNT;  // guarded by lock
    uint32_t nextHeader = 0;
    uint32_t position = 0;  // bytes of samples queued so far
    JobSignals signals;     // freeSlots and stopEvent
    std::mutex lock;
    uint32_t loop = 0;

    mm::WAVEHDR& Header(uint32_t index) { return reinterpret_cast<mm::WAVEHDR*>(headers)[index]; }
    ~WaveJob() {
        std::free(samples);
        std::free(headers);
    }
};

WavePlayer::~WavePlayer() {
    StopAllWaves(1);
}

int32_t WavePlayer::PlayWave(const void* image, uint32_t size, int32_t loop) {
    JoinEndedWorkers();
    WaveChunks chunks;
    if (FindWaveChunks(image, size, &chunks) != WaveImageError::kNone)
        return 0;

    auto job = std::make_unique<WaveJob>();
    job->samples = static_cast<uint8_t*>(std::malloc(chunks.sampleBytes));
    if (!job->samples)
        return 0;
    std::memcpy(job->samples, chunks.samples, chunks.sampleBytes);
    job->sampleBytes = chunks.sampleBytes;
    job->loop = loop != 0 ? 1 : 0;
    job->headers = static_cast<uint8_t*>(
        std::calloc(WAVE_BUFFER_COUNT, sizeof(mm::WAVEHDR) + WAVE_CHUNK_BYTES));
    if (!job->headers)
        return 0;
    uint8_t* buffers = job->headers + WAVE_BUFFER_COUNT * sizeof(mm::WAVEHDR);
    for (uint32_t i = 0; i < WAVE_BUFFER_COUNT; ++i) {
        job->Header(i).lpData = reinterpret_cast<char*>(buffers + size_t(i) * WAVE_CHUNK_BYTES);
        job->Header(i).dwBufferLength = WAVE_CHUNK_BYTES;
    }

    // The format chunk is read in place: the image is alive until we return.
    if (mm::waveOutGetNumDevs() == 0 ||
        mm::waveOutOpen(&job->device, mm::WAVE_MAPPER,
                        reinterpret_cast<const mm::WAVEFORMATEX*>(chunks.format), &WaveCallback,
                        uintptr_t(job.get()), mm::CALLBACK_FUNCTION) != mm::MMSYSERR_NOERROR)
        return 0;

    // Listed before the worker runs, so a StopAllWaves that follows at once
    // reaches it.
    WaveJob* raw = job.get();
    std::lock_guard lock(jobsLock_);
    jobs_.push_back(raw);
    auto ended = std::make_shared<bool>(false);
    try {
        workers_.push_back(Worker{std::thread(&WavePlayer::WaveThread, this, raw, ended), ended});
    } catch (const std::system_error&) {
        jobs_.pop_back();
        mm::waveOutClose(raw->device);
        return 0;
    }
    job.release();  // the worker owns it now
    return 1;
}

void WavePlayer::WaveCallback(uintptr_t, uintptr_t message, uintptr_t instance, uintptr_t,
                              uintptr_t) {
    if (message != mm::WOM_DONE)
        return;
    auto* job = reinterpret_cast<WaveJob*>(instance);
    {
        std::lock_guard lock(job->lock);
        ++job->freeCount;
    }
    job->signals.ReleaseSlots(1);
}

uintptr_t WavePlayer::WaveThread(WavePlayer* player, WaveJob* job, std::shared_ptr<bool> ended) {
    auto unprepareAll = [job] {
        for (uint32_t i = 0; i < WAVE_BUFFER_COUNT; ++i) {
            if (job->Header(i).dwFlags & mm::WHDR_PREPARED)
                mm::waveOutUnprepareHeader(job->device, &job->Header(i), sizeof(mm::WAVEHDR));
        }
    };
    for (;;) {
        JobSignals::Woken woken = job->signals.Wait(WAVE_STALL_MS);
        if (woken != JobSignals::Woken::kFreeSlot) {
            // Told to stop, or no buffer came back for WAVE_STALL_MS.
            mm::waveOutReset(job->device);
            unprepareAll();
            break;
        }
        uint32_t free;
        {
            std::lock_guard lock(job->lock);
            free = job->freeCount;
        }
        if (free < 1)
            continue;
        mm::WAVEHDR& header = job->Header(job->nextHeader);
        if (header.dwFlags & mm::WHDR_PREPARED)
            mm::waveOutUnprepareHeader(job->device, &header, sizeof header);

        if (job->position < job->sampleBytes) {
            uint32_t n = std::min(job->sampleBytes - job->position, WAVE_CHUNK_BYTES);
            std::memcpy(header.lpData, job->samples + job->position, n);
            header.dwBufferLength = n;
            job->position += n;
            // Failures are not examined: a buffer that was not queued never
            // comes back, and the stall limit ends the job.
            mm::waveOutPrepareHeader(job->device, &header, sizeof header);
            mm::waveOutWrite(job->device, &header, sizeof header);
            {
                std::lock_guard lock(job->lock);
                --job->freeCount;
            }
            job->nextHeader = (job->nextHeader + 1) % WAVE_BUFFER_COUNT;
            continue;
        }
        if (free < WAVE_BUFFER_COUNT)
            continue;  // everything queued; some still playing
        if (job->loop) {
            // All buffers are back: start over from the first sample.
            {
                std::lock_guard lock(job->lock);
                job->position = 0;
                job->nextHeader = 0;
                job->freeCount = WAVE_BUFFER_COUNT;
            }
            job->signals.ReleaseSlots(WAVE_BUFFER_COUNT);
            continue;
        }
        unprepareAll();
        break;
    }
    player->CleanUp(job, ended);
    return 0;
}

void WavePlayer::CleanUp(WaveJob* job, const std::shared_ptr<bool>& ended) {
    {
        std::lock_guard lock(jobsLock_);
        auto it = std::find(jobs_.begin(), jobs_.end(), job);
        if (it != jobs_.end())
            jobs_.erase(it);
    }
    // Closing delivers the last notifications, which still reach the job.
    mm::waveOutClose(job->device);
    delete job;
    std::lock_guard lock(jobsLock_);
    *ended = true;
}

void WavePlayer::StopAllWaves(int32_t wait) {
    std::list<Worker> waited;
    {
        std::lock_guard lock(jobsLock_);
        for (WaveJob* job : jobs_)
            job->signals.SignalStop();
        if (wait)
            waited.splice(waited.end(), workers_);
    }
    for (Worker& worker : waited)
        worker.thread.join();
}

void WavePlayer::JoinEndedWorkers() {
    std::list<Worker> ended;
    {
        std::lock_guard lock(jobsLock_);
        for (auto it = workers_.begin(); it != workers_.end();) {
            auto next = std::next(it);
            if (*it->ended)
                ended.splice(ended.end(), workers_, it);
            it = next;
        }
    }
    for (Worker& worker : ended)
        worker.thread.join();
}

size_t WavePlayer::RunningCount() const {
    std::lock_guard lock(jobsLock_);
    return jobs_.size();
}

}  // namespace corelib::sound
