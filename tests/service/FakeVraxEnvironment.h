#pragma once

#include "engine/core/settings/VXLPersKeys.h"
#include "engine/core/settings/VXLPersStore.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/media/VXLMediaItemFacts.h"
#include "engine/service/VRAXEnvironment.h"

#include <map>
#include <string>
#include <vector>

// An environment whose items, clock and settings a test sets by hand; media
// facts come from the items themselves, and what replies hand back is kept.
class FakeVraxEnvironment : public CVRAXEnvironment {
public:
    CVXLString phoneNumber() const override { return phone; }
    CVXLString mobileEmail() const override { return email; }
    CVXLString language() const override { return lang; }
    CVXLString deviceModel() const override { return model; }
    CVXLString configItem(int item) const override
    {
        const auto found = items.find(item);
        return found == items.end() ? CVXLString() : CVXLString(found->second.c_str());
    }
    std::uint32_t currentTime() const override { return now; }
    CVXLPersStore& settings() override { return store; }

    CVRAXMediaFacts mediaFacts(const CVXLMediaItem& item) const override
    {
        CVRAXMediaFacts facts = vxlMediaItemFacts(item);
        const auto found = mimeTypes.find(&item);
        if (found != mimeTypes.end())
            facts.mimeType = found->second.c_str();
        else if (!facts.mimeType.length())
            facts.mimeType = defaultMimeType.c_str();
        return facts;
    }
    void setOnlineId(CVXLMediaItem& item, const CVXLString& id) override
    {
        item.setUid(id);
        item.setLocation(id);
    }
    void storeVraxId(const CVXLString& id) override { store.set(kPersVraxId, id); }
    void queueUrlRequest(const CVXLString& url) override { urls.push_back(url.c_str()); }
    void setErrorCode(std::int32_t code) override { errorCode = code; }

    std::string get(const char* key) const
    {
        CVXLString value;
        store.get(key, &value);
        return value.c_str();
    }

    CVXLString phone;
    CVXLString email;
    CVXLString lang;
    CVXLString model;
    std::uint32_t now = 0;
    CVXLPersStore store;
    std::map<int, std::string> items;
    std::map<const CVXLMediaItem*, std::string> mimeTypes;
    // The type of items not in mimeTypes.
    std::string defaultMimeType;
    std::vector<std::string> urls;
    std::int32_t errorCode = 0;
};
