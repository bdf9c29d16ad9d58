#pragma once

#include "ui/Elements/WinTSElementContactContainer.h"
#include "ui/Layouts/WinTSLayout.h"

#include <cstdint>
#include <memory>
#include <string>

class CVXLContactListElement;

// The contact chooser (layout type 3): the step of a flow that gathers the
// recipients into the engine's global contact list. When it opens it takes
// the recipients of the pending launch request (Compose "To:", emptied
// once read): addresses separated by ";", or "Outlook:" and a contact's
// object id, whose address the user chooses; then it shrinks to one pixel
// and continues the flow at once. A setting change of the screen shows a
// contact container over the same list (made once, laid out anew after).
class CWinTSLayoutContactChooser : public CWinTSLayout {
public:
    static constexpr int kTemplate = 102;
    static constexpr int kContainerId = 0xE00;
    static constexpr std::uint32_t kContinue = 0x30067;
    static constexpr std::uint32_t kChooserFlags = 20;
    static constexpr const char16_t* kOutlookPrefix = u"Outlook:";

    CWinTSLayoutContactChooser(CVXLLayout* layout, const WinTSDialogLink& link);
    ~CWinTSLayoutContactChooser() override;

    CWinTSElementContactContainer* container() const { return container_.get(); }

    void SubmitAction(std::uint32_t command) override;
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;

    // Appends one recipient to the global list: kind 1 keeps only the
    // value's digits and shows the name and them.
    void AddAddress(std::int32_t kind, const std::u16string& name, const std::u16string& value);
    void PickFromOutlook(std::uint32_t oid);
    void OpenContacts();

protected:
    void onCreate() override;
    void OnSettingChange(std::uint32_t flags) override;

private:
    void OnContainerResized(int height);
    void OnContactPicked();

    std::uint32_t oid_ = 0;
    std::unique_ptr<CWinTSElementContactContainer> container_;
    tessel::ui::Rect containerRect_;
};
