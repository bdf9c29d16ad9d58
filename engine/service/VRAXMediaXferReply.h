#pragma once

#include "engine/service/VRAXReplyParser.h"

class CVXLOnlineUploadRequest;

// Reply of an upload: the "id" of its "elem" is the uploaded item's online
// id.
class CVRAXMediaXferReply : public CVRAXReplyParser {
public:
    using CVRAXReplyParser::CVRAXReplyParser;

    void setUpload(CVXLOnlineUploadRequest* upload) { upload_ = upload; }
    void onAttribute(const CVXLString& name, const CVXLString& value) override;

private:
    CVXLOnlineUploadRequest* upload_ = nullptr;
};
