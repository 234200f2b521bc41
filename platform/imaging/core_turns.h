// How many large pictures are decoded or encoded at one time.
//
// A batch runs six workers whatever the machine, and on a machine with
// fewer cores than workers they would all decode and encode at once, each
// holding a whole picture and its encoder's buffers while the cores take
// turns among them. That costs memory without gaining speed, so a load or
// save of a large picture first takes one of as many turns as the process
// may use cores, and the others wait: a batch of photographs on two cores
// holds two or three pictures instead of six, and each is worked through
// without being swapped out of the caches. The workers, the order in which
// they take their work and everything they produce stay as they were.
//
// Rules that keep it from ever stalling, and keep the memory low:
// - only the work inside one load or one save call holds a turn: a turn is
//   never held between calls, so a picture kept open never blocks others;
// - a load takes its turn only once its picture has its memory reservation
//   (memory_budget.h), and a turn holder never waits for memory (it holds a
//   reservation, or it saves and creates no image), so turns and the budget
//   never wait for each other;
// - saves go first: while a save waits, no load starts, so decoded pictures
//   are written and freed before new ones are decoded;
// - pictures under kLargePictureBytes take no turn: their work is shorter
//   than a hand-over between threads;
// - a save holding its turn may offer half of its picture's work to a
//   helper thread when no load or save waits (the batch is at its end,
//   and a core will soon have nothing to do);
//   the helper then waits for a spare turn (SpareTurn), which it gets only
//   while a turn is free and nothing waits; and no one ever waits for a
//   helper: loads and saves count only each other's turns, so one that
//   comes while a spare turn is held goes ahead (the cores are shared for
//   the rest of the helper's work), and the save never waits for its
//   helper to get a turn: if none has come when the save reaches that
//   work, it withdraws the offer and does the work itself. A spare turn
//   counts in `busy` and `peakBusy` like any other.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform::imaging {

// A picture of at least this many pixel bytes (about a megapixel) takes a turn.
inline constexpr size_t kLargePictureBytes = size_t(3) << 20;

enum class TurnKind : uint8_t { Load, Save };

// Marks one load or save call on the calling thread. A save of a large
// picture takes its turn here; a load takes it when its picture is created
// (ClaimCoreTurn). The turn is given back when the scope ends. A scope
// inside another on the same thread changes nothing.
class CoreTurnScope {
public:
    explicit CoreTurnScope(TurnKind kind, size_t savedPixelBytes = 0);
    ~CoreTurnScope();
    CoreTurnScope(const CoreTurnScope&) = delete;
    CoreTurnScope& operator=(const CoreTurnScope&) = delete;

private:
    bool outermost_ = false;
};

// Called by Image::Create once the picture's memory is reserved: inside a
// load scope, a large picture takes the scope's turn (waiting for it).
void ClaimCoreTurn(size_t pixelBytes);

// A spare turn for the helper thread of one save (see the rules above).
// The saving thread makes the object and calls Withdraw() when it no
// longer needs the helper; the helper calls Take() and, if it got the
// turn, Give() when done.
class SpareTurn {
public:
    // Whether the calling thread's save may offer work to a helper: it
    // holds its turn, there is more than one, and no load or save waits.
    static bool Worthwhile();

    SpareTurn() = default;
    ~SpareTurn();  // gives back a turn still held
    SpareTurn(const SpareTurn&) = delete;
    SpareTurn& operator=(const SpareTurn&) = delete;

    // Waits until a turn is free while nothing waits for one, and takes it
    // (true), or until the offer is withdrawn (false).
    bool Take();
    void Give();
    // Ends a wait in Take() and any later Take() with false.
    void Withdraw();

private:
    bool withdrawn_ = false;  // under the turns' lock
    bool held_ = false;       // likewise
};

struct CoreTurnState {
    uint32_t turns;     // how many at once
    uint32_t busy;      // held now, spare turns included
    uint32_t peakBusy;  // since the count was last set
    uint32_t waits;     // turns that had to wait
    uint32_t waiting;   // loads and saves waiting now
    uint32_t spares;    // spare turns taken
};
CoreTurnState CoreTurnsNow();
// Sets the number of turns (0: the cores the process may run on) and
// clears the peak and wait counts.
void SetCoreTurns(uint32_t turns);

}  // namespace platform::imaging
