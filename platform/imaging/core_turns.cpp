#include "platform/imaging/core_turns.h"

#include <sched.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace platform::imaging {
namespace {

uint32_t UsableCores() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
        return uint32_t(CPU_COUNT(&set));
    return std::max(1u, std::thread::hardware_concurrency());
}

class Turns {
public:
    void Take(TurnKind kind) {
        std::unique_lock lock(mutex_);
        const bool save = kind == TurnKind::Save;
        // Spare turns are left out: a helper never keeps a load or save waiting.
        auto free = [&] { return busy_ - sparesHeld_ < turns_ && (save || savesWaiting_ == 0); };
        if (!free()) {
            ++waits_;
            ++waiting_;
            if (save)
                ++savesWaiting_;
            changed_.wait(lock, free);
            --waiting_;
            if (save)
                --savesWaiting_;
            ++busy_;
            // Loads held back for this save, or a helper held back while
            // anything waited, may go now if a turn is left.
            if (busy_ - sparesHeld_ < turns_)
                changed_.notify_all();
        } else {
            ++busy_;
        }
        peak_ = std::max(peak_, busy_);
    }

    bool TakeSpare(const bool& withdrawn, bool& held) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return withdrawn || (busy_ < turns_ && waiting_ == 0); });
        if (withdrawn)
            return false;
        ++busy_;
        ++spares_;
        ++sparesHeld_;
        peak_ = std::max(peak_, busy_);
        held = true;
        return true;
    }

    void GiveSpare(bool& held) {
        {
            std::lock_guard lock(mutex_);
            if (!held)
                return;
            held = false;
            --busy_;
            --sparesHeld_;
        }
        changed_.notify_all();
    }

    void Withdraw(bool& withdrawn) {
        {
            std::lock_guard lock(mutex_);
            withdrawn = true;
        }
        changed_.notify_all();
    }

    bool HelperWorthwhile() {
        std::lock_guard lock(mutex_);
        return turns_ > 1 && waiting_ == 0;
    }

    void Give() {
        {
            std::lock_guard lock(mutex_);
            --busy_;
        }
        changed_.notify_all();
    }

    CoreTurnState Now() {
        std::lock_guard lock(mutex_);
        return {turns_, busy_, peak_, waits_, waiting_, spares_};
    }

    void Set(uint32_t turns) {
        {
            std::lock_guard lock(mutex_);
            turns_ = turns != 0 ? turns : UsableCores();
            peak_ = busy_;
            waits_ = 0;
            spares_ = 0;
        }
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    uint32_t turns_ = UsableCores();
    uint32_t busy_ = 0;
    uint32_t peak_ = 0;
    uint32_t waits_ = 0;
    uint32_t spares_ = 0;
    uint32_t sparesHeld_ = 0;  // of busy_
    uint32_t waiting_ = 0;     // loads and saves
    uint32_t savesWaiting_ = 0;
};

// Never destroyed: a worker may still be inside a load while the process ends.
Turns& TheTurns() {
    static Turns* turns = new Turns;
    return *turns;
}

struct ThreadScope {
    bool open = false;
    bool holding = false;
    TurnKind kind = TurnKind::Load;
};
thread_local ThreadScope t_scope;

}  // namespace

CoreTurnScope::CoreTurnScope(TurnKind kind, size_t savedPixelBytes) {
    if (t_scope.open)
        return;
    outermost_ = true;
    t_scope = ThreadScope{true, false, kind};
    if (kind == TurnKind::Save && savedPixelBytes >= kLargePictureBytes) {
        TheTurns().Take(TurnKind::Save);
        t_scope.holding = true;
    }
}

CoreTurnScope::~CoreTurnScope() {
    if (!outermost_)
        return;
    if (t_scope.holding)
        TheTurns().Give();
    t_scope = ThreadScope{};
}

void ClaimCoreTurn(size_t pixelBytes) {
    if (!t_scope.open || t_scope.holding || t_scope.kind != TurnKind::Load ||
        pixelBytes < kLargePictureBytes) {
        return;
    }
    TheTurns().Take(TurnKind::Load);
    t_scope.holding = true;
}

bool SpareTurn::Worthwhile() {
    return t_scope.holding && t_scope.kind == TurnKind::Save && TheTurns().HelperWorthwhile();
}

SpareTurn::~SpareTurn() {
    TheTurns().GiveSpare(held_);
}

bool SpareTurn::Take() {
    return TheTurns().TakeSpare(withdrawn_, held_);
}

void SpareTurn::Give() {
    TheTurns().GiveSpare(held_);
}

void SpareTurn::Withdraw() {
    TheTurns().Withdraw(withdrawn_);
}

CoreTurnState CoreTurnsNow() {
    return TheTurns().Now();
}

void SetCoreTurns(uint32_t turns) {
    TheTurns().Set(turns);
}

}  // namespace platform::imaging
