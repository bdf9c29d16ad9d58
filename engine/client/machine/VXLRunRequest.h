#pragma once

#include "engine/client/machine/VXLMachineCodes.h"
#include "engine/client/machine/VXLValueStack.h"
#include "engine/core/base/VXLVariant.h"
#include "engine/core/jobs/VXLEvent.h"

#include <cstdint>

// The request that starts one run of the scenario program on a stack machine
// (request code 117). It carries the entry function's arguments and comes
// back, once the run has ended, with how it ended and its value.
class CVXLRunRequest : public CVXLEvent {
public:
    static constexpr std::uint32_t kMaxArguments = 256;

    explicit CVXLRunRequest(std::int32_t replyCode = kEventRunRequest, CVXLObject* owner = nullptr);
    ~CVXLRunRequest() override;

    // Missing arguments read as empty; setting one past the end grows the
    // list with empty values. False when it cannot grow.
    bool setArgument(std::uint32_t index, const CVXLVariant& value);
    CVXLVariant argument(std::uint32_t index) const;
    std::uint32_t argumentCount() const { return arguments_.count(); }
    void clearArguments() { arguments_.clear(); }

    VXLCompletionKind completion() const { return completion_; }
    const CVXLVariant& resultValue() const { return resultValue_; }
    void setOutcome(VXLCompletionKind completion, const CVXLVariant& value);

    // Samples of the engine's NEW_LAYOUT counter at the start and end of the
    // run; they differ when the run showed a new screen.
    std::int32_t startSnapshot() const { return startSnapshot_; }
    std::int32_t endSnapshot() const { return endSnapshot_; }
    void setStartSnapshot(std::int32_t value) { startSnapshot_ = value; }
    void setEndSnapshot(std::int32_t value) { endSnapshot_ = value; }

    // A word for the sender (the Producer records the activity code).
    std::uint32_t senderWord() const { return senderWord_; }
    void setSenderWord(std::uint32_t word) { senderWord_ = word; }
    CVXLObject* owner() const { return owner_; }

private:
    CVXLValueStack arguments_;
    VXLCompletionKind completion_ = kCompletionNone;
    CVXLVariant resultValue_;
    std::int32_t startSnapshot_ = 0;
    std::int32_t endSnapshot_ = 0;
    std::uint32_t senderWord_ = 0;
    CVXLObject* owner_;
};
