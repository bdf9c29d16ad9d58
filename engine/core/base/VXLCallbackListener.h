#pragma once

#include <cstdint>

// The owner of a done sink or a source descriptor: told (value, 1) when the
// platform object reports that it is done.
class CVXLCallbackListener {
public:
    virtual ~CVXLCallbackListener() = default;
    virtual void onCallback(std::int32_t value, std::int32_t flag) = 0;
};
