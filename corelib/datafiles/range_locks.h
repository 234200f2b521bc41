// One-byte range locks shared by the blob and index files. A lock held by
// another file object (thread or process) is retried for up to
// LockWaitMs() milliseconds before the request fails.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/files/file.h"

namespace corelib {

// File positions currently locked by one operation.
using LockList = std::vector<int64_t>;

// 0: fail at once; -1: retry without limit; otherwise a limit in ms. The
// default is 10 seconds, long enough for any writer that is making progress
// and short enough that a stuck one is reported instead of hanging us.
int32_t LockWaitMs();
void SetLockWaitMs(int32_t milliseconds);

// How many times a lock request of this process found its range held and
// tried again: a measure of contention for tests and diagnostics.
int64_t LockRetryCount();

// Locks (or with `lock` false unlocks) the byte at `position`; -1 locks the
// range 0 to 0x7FFFFFFF, the file as a whole.
int LockRange(platform::File& file, int64_t position, bool lock);
// The same for `length` bytes from `start` at once.
int LockSpan(platform::File& file, int64_t start, int64_t length, bool lock);
int LockBlock(platform::File& file, int64_t position, LockList& list);
int UnlockBlock(platform::File& file, int64_t position, LockList& list);
int UnlockAll(platform::File& file, LockList& list);
// Takes `position`, then gives up the one position held before, so a chain
// can be walked holding exactly one block.
int LockHandOver(platform::File& file, int64_t position, LockList& list);

}  // namespace corelib
