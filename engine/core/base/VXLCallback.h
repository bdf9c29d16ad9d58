#pragma once

#include <cstdint>

// A face with one call carrying one 32-bit value: the platform layer reports
// statuses, sizes, counts and addresses through it (the engine's callback
// events implement it). An operation may call it several times in a row; its
// description says what each call carries.
class CVXLCallback {
public:
    virtual ~CVXLCallback() = default;
    virtual void call(std::uint32_t value) = 0;
};

// Reports a value to a sink that may be absent.
inline void vxlReport(CVXLCallback* sink, std::uint32_t value)
{
    if (sink)
        sink->call(value);
}
