#pragma once

#include "engine/service/VRAXReplyPart.h"

#include <string>
#include <vector>

// Reads a reply given in pieces; every piece is appended only when the
// reader asks for more. Gives one line per part (the document, or the
// headers and the content it delivered) and how the reading ended.
inline std::string readReply(const std::vector<std::string>& pieces)
{
    CVXLByteBuffer received;
    std::size_t next = 0;
    auto more = [&]() {
        if (next == pieces.size())
            return false;
        received.append(pieces[next].data(), static_cast<std::uint32_t>(pieces[next].size()));
        ++next;
        return true;
    };
    CVRAXReplyPart part;
    part.setBoundary("--Veltmarsh");
    part.attach(&received);
    part.reset();
    std::string out;
    for (;;) {
        std::int32_t r;
        while ((r = part.step()) == CVRAXReplyPart::kNeedMore)
            if (!more())
                return out + "cut in headers";
        if (r == CVRAXReplyPart::kFramingError)
            return out + "framing error";
        if (part.isVraxDocument()) {
            const CVXLByteBuffer body = part.body();
            out += "document " + std::string(reinterpret_cast<const char*>(body.data()), body.length())
                + "\n";
        } else {
            CVXLByteBuffer content;
            while (part.takeContent(content) == CVXLScanResult::NeedMore)
                if (!more())
                    return out + "cut in content";
            out += "part " + std::string(part.contentType().c_str()) + " id=" + part.contentId().c_str()
                + " flags=" + std::to_string(part.flags()) + " "
                + std::string(reinterpret_cast<const char*>(content.data()), content.length()) + "\n";
        }
        part.reset();
        while ((r = part.peekBoundary()) == 2)
            if (!more())
                return out + "cut between parts";
        if (r != 0)
            return out + "end";
    }
}
