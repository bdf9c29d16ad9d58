#pragma once

#include "engine/access/MediaAccessManager.h"
#include "engine/access/MediaAccessRequests.h"
#include "engine/access/MediaCollection.h"
#include "engine/client/VXLClient.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/scenario/ScenarioLayout.h"
#include "engine/core/scenario/ScenarioResultEvent.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/messaging/store/VXLAddressee.h"
#include "engine/screens/VXLContactListElement.h"
#include "tests/screens/ScreenJobFixture.h"
#include "tests/support/JobTreeDriver.h"

#include <fstream>
#include <sstream>
#include <string>

// A started engine whose Scenario Manager reads the compose scenarios of
// tests/screens/data/vxlcfg.xml, with the phone's store open in the Media
// Access Manager, so that a test can select media and name recipients as
// the flows before the composer would. Data traffic is off: nothing queued
// is sent.
class ComposeFixture : public ScreenJobFixture {
public:
    static constexpr std::int32_t kReply = 77;

    static std::string readSourceFile(const std::string& relative)
    {
        std::ifstream in(std::string(TESSEL_SOURCE_DIR) + "/" + relative, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }

    void SetUp() override
    {
        ASSERT_TRUE(engine.root().writeFile(
            "Application Data/Tessel/vxlcfg.xml", readSourceFile("tests/screens/data/vxlcfg.xml")));
        // The phone store's one picture.
        ASSERT_TRUE(engine.root().writeFile("My Documents/My Pictures/Beach.jpg", std::string(500, 'p')));
        ScreenJobFixture::SetUp();
        client->settings().setPersistentString(kPersDatacommActive, "0");
        client->startChild(&requester);
        run();
        ASSERT_TRUE(openPhoneStore());
        client->getGlobalContacts().clear();
        requests.clear();
    }
    void TearDown() override
    {
        requester.stop();
        ScreenJobFixture::TearDown();
    }

    std::int32_t ask(CVXLEventHandler* to, CVXLEvent& request)
    {
        const std::size_t before = requester.results.size();
        requester.post(to, &request);
        for (int i = 0; i < 50 && requester.results.size() == before; ++i)
            after(10);
        return requester.results.size() > before ? requester.results.back() : -999;
    }

    // The definition of a scenario as the Scenario Manager reads it.
    bool load(const char* name, CScenarioLayout& scenario)
    {
        CScenarioResultEvent request(kReply);
        request.setText(name);
        request.setLayout(&scenario);
        return ask(&client->getScenarioManager(), request) == kResultSucceeded;
    }

    CMediaAccessManager& media() { return client->getMediaAccessManager(); }

    bool openPhoneStore()
    {
        CMediaLocationRequest open(kReply);
        open.setStoreIndex(1);
        if (ask(&media(), open) != 0)
            return false;
        CMediaAccessQuery query(kReply);
        query.bind(0, 1);
        query.setPayload(0);
        const std::int32_t fetched = ask(&media(), query);
        return (fetched == 0 || fetched == kResultLastPage) && media().currentCollection();
    }

    // The store's own picture, selected.
    bool selectPhonePicture()
    {
        const CMediaCollectionEntry* entry = media().currentCollection()->at(0);
        if (!entry || !entry->item)
            return false;
        if (!media().isSelected(*entry->item))
            media().toggleSelection(*entry->item);
        return true;
    }

    // One more selected item of the open list, of the MIME type.
    CVXLMediaItem* selectMedia(const char* id, const char* mimeType)
    {
        auto* item = new CVXLMediaItem;
        item->setId(id);
        item->setUid(id);
        item->mediaRef().setMimeType(mimeType);
        CMediaCollection* list = media().currentCollection();
        if (!list->insert(static_cast<std::int32_t>(list->size()), item))
            return nullptr;
        media().toggleSelection(*item);
        return item;
    }

    void addRecipients(int n)
    {
        for (int i = 0; i < n; ++i) {
            CVXLAddressee* entry = client->getGlobalContacts().addNew();
            ASSERT_NE(entry, nullptr);
            entry->set(1, ("+1555010" + std::to_string(i)).c_str(), ("Friend " + std::to_string(i)).c_str());
        }
    }

    TraceJob requester {"Requester"};
};
