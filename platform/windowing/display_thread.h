// Internal: the display thread. One thread owns SDL: every SDL video call
// and every SDL window is made on it. Other threads hand it requests; it
// runs them in the order they came, turns display events into work for the
// windows' own threads, and shows every window whose pixels changed.
//
// The display thread never waits for another thread, so any thread may
// wait for it (Call) without risking a deadlock. Whoever holds the window
// registry's lock must not wait for it, since showing a window takes that
// lock.
#pragma once

#include <functional>

namespace platform::win::display {

// Starts the thread and opens SDL video on it; answers whether a display
// could be opened (nothing keeps running when not).
bool Start();

// Queues a request; dropped once the display has stopped.
void Post(std::function<void()> request);
// Runs a request on the display thread and waits until it has run (runs it
// at once on the display thread itself; not at all once stopped).
void Call(const std::function<void()>& request);
// Something changed that the display may have to show.
void Wake();
// Whether SDL holds events the display thread has not handed on yet
// (false once the display has stopped).
bool EventsWaiting();

}  // namespace platform::win::display
