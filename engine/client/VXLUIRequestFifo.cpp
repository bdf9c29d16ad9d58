#include "engine/client/VXLUIRequestFifo.h"

void CVXLUIRequestFifo::push(std::int32_t code)
{
    if (count_ == kMaxPendingCodes) {
        for (int i = 1; i < kMaxPendingCodes; ++i)
            codes_[i - 1] = codes_[i];
        --count_;
    }
    codes_[count_++] = code;
}

void CVXLUIRequestFifo::remove(std::int32_t code)
{
    int kept = 0;
    for (int i = 0; i < count_; ++i) {
        if (codes_[i] != code)
            codes_[kept++] = codes_[i];
    }
    count_ = kept;
}

std::int32_t CVXLUIRequestFifo::pop()
{
    if (count_ == 0)
        return kUIRequestNone;
    const std::int32_t code = codes_[0];
    for (int i = 1; i < count_; ++i)
        codes_[i - 1] = codes_[i];
    --count_;
    return code;
}
