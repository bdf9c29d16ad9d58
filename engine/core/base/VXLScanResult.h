#pragma once

// What a resumable byte scanner answers after the bytes it has been given: it
// has found what it scans for, it needs more bytes, or the bytes cannot be
// what it scans for. A scanner keeps its state and position between calls,
// so feeding stops at any byte and resumes where it stopped.
enum class CVXLScanResult { Done, NeedMore, Malformed };
