#pragma once

#include "engine/core/base/VXLPtrArray.h"
#include "engine/screens/VXLLayout.h"

#include <cstdint>

class CVXLChoiceElement;

// The choice-selection screen (type 2): a list of choice items, owned, of
// which the user selects one.
class CVXLLayoutChoiceSelection : public CVXLLayout {
public:
    CVXLLayoutChoiceSelection();
    ~CVXLLayoutChoiceSelection() override;

    CVXLString getTitle() const override;
    const CVXLLayoutCommandRow* getCommandTable() const override;
    std::uint32_t getCommandCount() const override;
    // Select needs an item to select.
    bool canSubmitAction(std::uint32_t eventId) const override;
    // The items go with the window.
    void detachView() override;
    // Every answer is seen as a change.
    void onRequestTaken(CVXLUIRequest* request) override;

    // Takes the item; false (and the item deleted) when it cannot be kept.
    bool addChoice(CVXLChoiceElement* item);
    CVXLChoiceElement* choiceAt(std::uint32_t index) const;
    void clearChoices();
    void deselectAll();
    // The key of the first selected item, null when none is.
    const CVXLString* selectedKey() const;
    std::int32_t selectedIndex() const { return selected_; }
    void setSelectedIndex(std::int32_t index) { selected_ = index; }
    std::uint32_t getItemCount() const { return items_.count(); }
    const CVXLString& titleText() const { return title_; }
    void setTitleText(const CVXLString& title) { title_ = title; }
    // Seconds after which the screen continues by itself (the low 16 bits
    // count; 0: never).
    std::uint32_t timeout() const { return timeout_; }
    void setTimeout(std::uint32_t seconds) { timeout_ = seconds; }

private:
    CVXLPtrArray items_;
    CVXLString title_;
    std::int32_t selected_ = 0;
    std::uint32_t timeout_ = 0;
};
