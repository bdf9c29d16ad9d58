#pragma once

#include "platform/kernel/Clock.h"

#include <cstdint>

// Named semaphores as the phone's kernel offers them ("WINTS_CanBeOnlyOne",
// "WINTS_Launch", "WINTS_mClientSemaphore", ...).
//
// Inside a process, every handle of one name shares one count. Across
// processes the name is guarded by an flock on run/sem/NAME.lock in the
// device root, held while this process holds any of the count: so a name
// with a maximum count of 1 (all the program's names) is taken by one process
// at a time, and a holder that dies, however it dies, releases it.
namespace tessel::kernel {

struct SemaphoreState;
using SemaphoreHandle = SemaphoreState*;

enum class SemaphoreWait { Taken, TimedOut, Failed };

// Creates the semaphore, or opens it when this process has one of that name
// (initial and maximum are then ignored). A null or empty name makes a
// semaphore of this process alone. Null on failure: a bad name or count, or
// an initial count below the maximum while another process holds the name.
SemaphoreHandle semaphoreCreate(const char* name, std::int32_t initial, std::int32_t maximum);

// Takes one count, waiting at most timeoutMs (real time, whatever a driven
// clock says: the other side may be another process).
SemaphoreWait semaphoreWait(SemaphoreHandle handle, std::uint32_t timeoutMs);

// Gives back count; false (and nothing changes) when that would exceed the
// maximum. *previous, when given, receives the count before.
bool semaphoreRelease(SemaphoreHandle handle, std::int32_t count, std::int32_t* previous);

// Closes the handle; the last close of a name forgets it (and lets go of the
// flock should counts still be taken).
void semaphoreClose(SemaphoreHandle handle);

} // namespace tessel::kernel
