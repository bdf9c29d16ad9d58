#pragma once

#include "engine/transport/mms/VXLMmsPdu.h"
#include "engine/transport/mms/VXLPduRef.h"

// Base of the PDUs typed from a decoded one: takes the decoded PDU's headers
// and body reference under the kind's table.
class CVXLReceivedPduBase : public CVXLMmsPdu {
public:
    explicit CVXLReceivedPduBase(std::int32_t kind);
    CVXLReceivedPduBase(std::int32_t kind, const CVXLPduRef& decoded);
    ~CVXLReceivedPduBase() override;
};
