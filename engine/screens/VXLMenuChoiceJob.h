#pragma once

#include "engine/core/base/VXLPtrArray.h"
#include "engine/screens/VXLLayoutMenuList.h"
#include "engine/screens/VXLUiJob.h"

#include <cstdint>

// The built-in menus (UI job 20): Print, Uploads and the two destination
// launcher menus, chosen by "menu_type_id". A pick gives the entry's result
// code, with "choice_int" (and "choice_string" when the entry has one) for
// the program. The launcher menus take their title and picture from the
// cool site that "scenario" names.
class CVXLMenuChoiceJob : public CVXLUiJob {
public:
    static constexpr int kTypeId = 20;
    static constexpr std::int32_t kFirstExternalCode = 120;

    static constexpr std::int32_t kSignalGoOn = 12;
    static constexpr std::int32_t kSignalKeyExit = 117;
    static constexpr std::int32_t kSignalKeyBack = 118;
    static constexpr std::int32_t kSignalSelect = 119;

    static constexpr std::int32_t kEndBack = 8;
    static constexpr std::int32_t kEndExit = 9;

    static constexpr const char* kPropertyMenu = "menu_type_id";
    static constexpr const char* kPropertyScenario = "scenario";
    static constexpr const char* kPropertyChoiceInt = "choice_int";
    static constexpr const char* kPropertyChoiceString = "choice_string";

    CVXLMenuChoiceJob();
    ~CVXLMenuChoiceJob() override;

    int typeId() const override { return kTypeId; }
    CVXLUiJob* newInstance() const override { return new CVXLMenuChoiceJob; }
    CVXLLayout* getLayout() override { return &layout_; }
    void init() override;
    void onEvent(CVXLEvent* event) override;
    void onLayoutAction(std::uint32_t eventId) override;
    std::int32_t onFinished() override;

    CVXLLayoutMenuList& layout() { return layout_; }

    // One built-in menu: its layout state, title and entries.
    struct Menu;

private:
    CVXLHsmState Initial(const CVXLEvent* event);
    CVXLHsmState Showing(const CVXLEvent* event);

    void build();
    void clearEntries();
    CVXLHsmState finish(std::int32_t result);

    CVXLLayoutMenuList layout_;
    const Menu* menu_ = nullptr;
};
