#pragma once

#include "engine/records/OutboundQueueRequests.h"

#include <algorithm>
#include <string>
#include <vector>

// A recorded voice memo over a string, read in whatever chunks are asked
// for; it keeps the steps that a failed submit reported to it.
class StringVoiceMemo : public COutboundVoiceMemo {
public:
    explicit StringVoiceMemo(std::string data = std::string())
        : bytes(std::move(data))
    {
    }

    void open(CVXLCallback* callback) override { callback->call(0); }
    void close() override { }
    void read(CVXLOemXferReader* reader, std::int32_t size) override
    {
        const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(size), bytes.size() - offset);
        if (n)
            reader->data(
                reinterpret_cast<const std::uint8_t*>(bytes.data() + offset), static_cast<std::uint32_t>(n));
        offset += n;
        reader->status(offset == bytes.size() ? kReadEnd : kReadMore);
    }
    void rewind(CVXLCallback* callback) override
    {
        offset = 0;
        callback->call(0);
    }
    std::int32_t getSize() override { return static_cast<std::int32_t>(bytes.size()); }
    const char16_t* getMimeType() override { return u"audio/amr"; }
    CVXLString memoName() const override { return "memo.amr"; }
    void submitFailed(std::int32_t step) override { told.push_back(step); }

    std::string bytes;
    std::size_t offset = 0;
    std::vector<std::int32_t> told;
};
