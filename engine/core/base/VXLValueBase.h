#pragma once

// Base of the small records the engine keeps by value, as members or inside a
// CVXLFixedArray. It has no data and its destructor frees nothing: such
// records never own the memory they live in.
class CVXLValueBase {
public:
    CVXLValueBase() = default;
    CVXLValueBase(const CVXLValueBase&) = default;
    CVXLValueBase& operator=(const CVXLValueBase&) = default;
    virtual ~CVXLValueBase();
};
