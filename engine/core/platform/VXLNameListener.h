#pragma once

#include <cstdint>

// Receives one name of a listing (valid only during the call), then the
// listing step's status.
class CVXLNameListener {
public:
    virtual ~CVXLNameListener() = default;
    virtual void setName(const char* name) = 0;
    virtual void done(std::uint32_t status) = 0;
};
