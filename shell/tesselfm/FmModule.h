#pragma once

#include <cstdint>

// The library's module state and log. Hosts call in from any thread, so the
// counts are atomic. Failures and refusals go to log/tesselfm.log of the
// device root; the many reference-count traces go to the debug output,
// which is stderr when TESSEL_FM_TRACE is set and nothing otherwise.
namespace tessel::fm {

// Context-menu class factories and context-menu objects alive.
void moduleObjectCreated();
void moduleObjectDestroyed();
// The rule-client factory's LockServer.
void moduleLock(bool lock);
// No lock held and no context-menu object alive.
bool moduleCanUnload();

void fmLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
void fmTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace tessel::fm
