#pragma once

#include <cstdint>

// A one-operation face through which platform and transfer objects report
// back: they call it with one value.
class CVXLCallback {
public:
    virtual ~CVXLCallback() = default;
    virtual void call(std::int32_t value) = 0;
};
