#pragma once

#include "engine/core/jobs/VXLUIRequestCodes.h"
#include "engine/media/VXLMediaStoreManager.h"
#include "engine/screens/VXLLayoutMenuList.h"
#include "engine/screens/VXLUiJob.h"

#include <cstdint>

// The media-kind and storage menu (UI job 19): "Text Only" when the
// scenario supports text alone, then one entry per storage location of the
// phone and, with a memory card present (item 41), of the card. A storage
// pick gives 49 with the store's id in "choice_int"; "Text Only" gives 52
// with its recipient scenario in "choice_string". A card that went away
// between building and picking shows its notice instead; a card coming or
// going (UI request 5) rebuilds the menu.
class CVXLScenarioSupportJob : public CVXLUiJob {
public:
    static constexpr int kTypeId = 19;
    static constexpr std::int32_t kFirstExternalCode = 121;

    static constexpr std::int32_t kSignalGoOn = 12;
    static constexpr std::int32_t kSignalKeyExit = 117;
    static constexpr std::int32_t kSignalKeyBack = 118;
    static constexpr std::int32_t kSignalSelect = 119;
    static constexpr std::int32_t kSignalRebuild = 120;

    static constexpr std::int32_t kEndBack = 8;
    static constexpr std::int32_t kEndExit = 9;
    static constexpr std::int32_t kEndStorage = 49;
    static constexpr std::int32_t kEndTextOnly = 52;
    static constexpr std::int32_t kUiCardChanged = kUIRequestMemoryCardChanged;
    // "No media card is present. Insert a media card."
    static constexpr std::uint32_t kNoticeNoCard = 6;
    // "Text Only" and the scenarios of every store of the media source.
    static constexpr std::uint32_t kMaxEntries = 1 + CVXLMediaStoreManager::kMaxStores;

    static constexpr const char* kPropertyChoiceInt = "choice_int";
    static constexpr const char* kPropertyChoiceString = "choice_string";

    CVXLScenarioSupportJob();
    ~CVXLScenarioSupportJob() override;

    int typeId() const override { return kTypeId; }
    CVXLUiJob* newInstance() const override { return new CVXLScenarioSupportJob; }
    CVXLLayout* getLayout() override { return &layout_; }
    void init() override;
    void onEvent(CVXLEvent* event) override;
    void onLayoutAction(std::uint32_t eventId) override;
    void onUiRequest(std::int32_t code) override;
    std::int32_t onFinished() override;

    CVXLLayoutMenuList& layout() { return layout_; }

private:
    // Where an entry came from: its row template and, for a storage row,
    // the store's index in the Media Store Manager.
    struct Origin {
        std::uint32_t row;
        std::int32_t store;
    };

    CVXLHsmState Initial(const CVXLEvent* event);
    CVXLHsmState Top(const CVXLEvent* event);
    CVXLHsmState Listing(const CVXLEvent* event);
    // The no-card notice is up.
    CVXLHsmState Noticing(const CVXLEvent* event);
    CVXLHsmState Done(const CVXLEvent* event);

    void build();
    bool addEntry(const CVXLString& text, std::uint32_t row, std::int32_t store);
    CVXLHsmState finish(std::int32_t result);

    CVXLLayoutMenuList layout_;
    Origin origins_[kMaxEntries] = {};
    std::uint32_t entryCount_ = 0;
};
