#pragma once

#include <cstdint>

// Where an online sink adapter records how each upload ended; the Media
// Upload Manager keeps these figures.
class CVXLUploadOutcomeRecorder {
public:
    virtual ~CVXLUploadOutcomeRecorder() = default;
    // refused: the service refused the item (result 52, status 273);
    // repeat: the protocol job would not send the upload again (58).
    virtual void recordUploadOutcome(bool refused, std::int32_t lastStatus, bool repeat) = 0;
};
