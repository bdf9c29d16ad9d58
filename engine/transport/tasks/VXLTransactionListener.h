#pragma once

#include "engine/core/base/VXLCallback.h"

#include <cstdint>

// What a transaction reports its end to: one result code, once. Any
// callback (a callback event above all, which turns the report into an
// event for its owner) can listen; this face spells the call out for
// listeners written as plain objects.
class CVXLTransactionListener : public CVXLCallback {
public:
    virtual void transactionFinished(std::int32_t result) = 0;

    void call(std::uint32_t value) final { transactionFinished(static_cast<std::int32_t>(value)); }
};
