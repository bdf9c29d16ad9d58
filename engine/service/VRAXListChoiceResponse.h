#pragma once

#include "engine/service/VRAXRequest.h"

// "list-choice-resp": the user's answer to a list-choice alert.
class CVRAXListChoiceResponse : public CVRAXRequest {
public:
    using CVRAXRequest::CVRAXRequest;

    void setChoice(const CVXLString& choice) { choice_ = choice; }
    void setRequestId(const CVXLString& id) { requestId_ = id; }
    void writeBody() override;

private:
    CVXLString requestId_;
    CVXLString choice_;
};
