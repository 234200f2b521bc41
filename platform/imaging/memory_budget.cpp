#include "platform/imaging/memory_budget.h"

#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string>
#include <unordered_map>

namespace platform::imaging {
namespace {

constexpr uint64_t kMiB = uint64_t(1) << 20;
constexpr uint64_t kSmallestBudget = 512 * kMiB;

// A control group's limit ("max" or a byte count); 0 when there is none.
uint64_t ReadLimit(const char* path) {
    std::ifstream in(path);
    std::string text;
    if (!(in >> text) || text == "max")
        return 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    return end && *end == 0 ? value : 0;
}

uint64_t DefaultBudget() {
    if (const char* text = std::getenv("PICBATCH_MEMORY_BUDGET_MB")) {
        char* end = nullptr;
        const unsigned long long megabytes = std::strtoull(text, &end, 10);
        if (end && *end == 0 && megabytes > 0)
            return megabytes * kMiB;
    }
    uint64_t memory = uint64_t(sysconf(_SC_PHYS_PAGES)) * uint64_t(sysconf(_SC_PAGE_SIZE));
    for (const char* limit :
         {"/sys/fs/cgroup/memory.max", "/sys/fs/cgroup/memory/memory.limit_in_bytes"}) {
        const uint64_t bytes = ReadLimit(limit);
        if (bytes > 0)
            memory = std::min(memory, bytes);
    }
    return std::max(memory / 2, kSmallestBudget);
}

class Budget {
public:
    void Reserve(uint64_t cost) {
        std::unique_lock lock(mutex_);
        uint64_t& mine = held_[std::this_thread::get_id()];
        if (mine == 0 && !Fits(cost)) {
            ++waits_;
            released_.wait(lock, [&] { return Fits(cost); });
        }
        mine += cost;
        reserved_ += cost;
        peak_ = std::max(peak_, reserved_);
    }

    void Release(uint64_t cost, std::thread::id owner) {
        {
            std::lock_guard lock(mutex_);
            auto found = held_.find(owner);
            if (found != held_.end()) {
                found->second -= std::min(found->second, cost);
                if (found->second == 0)
                    held_.erase(found);
            }
            reserved_ -= std::min(reserved_, cost);
        }
        released_.notify_all();
    }

    MemoryBudgetState Now() {
        std::lock_guard lock(mutex_);
        return {budget_, reserved_, peak_, waits_};
    }

    void Set(uint64_t bytes) {
        {
            std::lock_guard lock(mutex_);
            budget_ = bytes != 0 ? bytes : DefaultBudget();
            peak_ = reserved_;
            waits_ = 0;
        }
        released_.notify_all();
    }

private:
    bool Fits(uint64_t cost) const { return reserved_ == 0 || reserved_ + cost <= budget_; }

    std::mutex mutex_;
    std::condition_variable released_;
    uint64_t budget_ = DefaultBudget();
    uint64_t reserved_ = 0;
    uint64_t peak_ = 0;
    uint32_t waits_ = 0;
    std::unordered_map<std::thread::id, uint64_t> held_;
};

// Never destroyed: images disposed late in the process's exit still give
// their reservations back to it.
Budget& TheBudget() {
    static Budget* budget = new Budget;
    return *budget;
}

}  // namespace

void ReserveMemory(uint64_t cost) {
    TheBudget().Reserve(cost);
}

void ReleaseMemory(uint64_t cost, std::thread::id owner) {
    TheBudget().Release(cost, owner);
}

MemoryBudgetState MemoryBudgetNow() {
    return TheBudget().Now();
}

void SetMemoryBudget(uint64_t bytes) {
    TheBudget().Set(bytes);
}

}  // namespace platform::imaging
