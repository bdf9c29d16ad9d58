#pragma once

#include "engine/service/VRAXRequest.h"

#include <cstdint>

class CVRAXContainerOperation;

// "delete-req", "move-req", "copy-req" or "container-update": an operation
// on an album (container mode) or on items (item mode).
class CVRAXContainerRequest : public CVRAXRequest {
public:
    static constexpr std::int32_t kNone = 0;
    static constexpr std::int32_t kItemOperation = 1;
    static constexpr std::int32_t kContainerOperation = 2;

    using CVRAXRequest::CVRAXRequest;

    void setItemOperation(CVRAXContainerOperation* operation);
    void setContainerOperation(CVRAXContainerOperation* operation);
    CVRAXContainerOperation* operation() const { return operation_; }
    std::int32_t mode() const { return mode_; }
    // "" when no operation is set.
    CVXLString containerId() const;
    void writeBody() override;

private:
    void writeContainerOperation();
    void writeItemOperation();
    void writeInclusionPairs(const char* includeContainer);

    CVRAXContainerOperation* operation_ = nullptr;
    std::int32_t mode_ = kNone;
};
