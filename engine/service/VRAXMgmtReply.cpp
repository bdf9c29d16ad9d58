#include "engine/service/VRAXMgmtReply.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/core/settings/VXLPersStore.h"
#include "engine/service/VRAXEnvironment.h"

namespace {

struct NamedUri {
    const char* name;
    const char* key;
};

const NamedUri kNamedUris[] = {
    {"item_share", kPersItemShare},
    {"account_mgmt", kPersAccountMgmt},
    {"media_browse", kPersMediaBrowse},
};

} // namespace

void CVRAXMgmtReply::reset()
{
    CVRAXReplyParser::reset();
    uris_.clear();
    current_ = UriEntry();
    inUri_ = false;
    registered_ = false;
}

void CVRAXMgmtReply::onElement(const CVXLString& name, bool start)
{
    CVRAXReplyParser::onElement(name, start);
    if (name == "uri") {
        if (start) {
            current_ = UriEntry();
            inUri_ = true;
        } else {
            endUri();
        }
    } else if (!start && name == "mgmt-resp") {
        endMgmtResponse();
    } else if (!start && name == "VRAX" && !registered_) {
        // Without an id every later request would register again.
        setResult(kVraxReplyUndecided);
    }
}

void CVRAXMgmtReply::onAttribute(const CVXLString& name, const CVXLString& value)
{
    CVRAXReplyParser::onAttribute(name, value);
    if (inUri_ && element() == "uri" && name == "name")
        current_.name = value;
}

void CVRAXMgmtReply::onText(const CVXLString& text)
{
    CVRAXReplyParser::onText(text);
    if (inUri_ && element() == "uri")
        current_.uri = text;
}

void CVRAXMgmtReply::endUri()
{
    if (!inUri_)
        return;
    uris_.push_back(current_);
    for (const NamedUri& named : kNamedUris) {
        if (current_.name == named.name)
            environment().settings().set(named.key, current_.uri);
    }
    inUri_ = false;
}

void CVRAXMgmtReply::endMgmtResponse()
{
    inUri_ = false;
    const CVXLString id = header("id");
    if (id.length() == 0) {
        VXL_LOG_INFO("reply: registration names no id");
        return;
    }
    environment().storeVraxId(id);
    environment().settings().set(kPersVraxRegComplete, "1");
    registered_ = true;
    setResult(kVraxReplyDone);
}
