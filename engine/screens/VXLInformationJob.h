#pragma once

#include "engine/screens/VXLLayoutInformation.h"
#include "engine/screens/VXLScreenJob.h"

// The information notice (type 11): a text by index of the notice table or
// given, in one of four layout states, with a mode that says which answers it
// takes. The user's key goes to the parent as 18 to 21.
class CVXLInformationJob : public CVXLScreenJob {
public:
    static constexpr int kTypeId = 11;
    static constexpr std::uint32_t kHelpState = CVXLLayoutInformation::kStateHelp;

    CVXLInformationJob();

    int typeId() const override { return kTypeId; }
    CVXLUiJob* newInstance() const override { return new CVXLInformationJob; }
    CVXLLayout* getLayout() override { return &layout_; }
    void init() override;
    void onLayoutAction(std::uint32_t eventId) override;
    std::int32_t onFinished() override;

    void setMessageIndex(std::uint32_t index) { index_ = index; }
    std::uint32_t messageIndex() const { return index_; }
    void setLayoutState(std::uint32_t state) { layout_.setState(state); }
    void setText(const CVXLString& text) { layout_.setMessage(text); }
    void setTextById(std::uint32_t id);
    void setMode(std::int32_t mode) { layout_.setMode(mode); }
    void setTitle(const CVXLString& title) { layout_.setTitleText(title); }
    void setMedia(const CVXLMediaRefHandle& media) { layout_.setMedia(media); }
    void setTexts(const CVXLList& texts) { layout_.setList(texts); }
    const CVXLLayoutInformation& layout() const { return layout_; }

private:
    CVXLLayoutInformation layout_;
    std::uint32_t index_ = 0;
};
