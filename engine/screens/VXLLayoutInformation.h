#pragma once

#include "engine/core/base/VXLList.h"
#include "engine/media/VXLMediaRefHandle.h"
#include "engine/screens/VXLLayout.h"

#include <cstdint>

// The information screen (type 6): a message, optionally a picture and a list
// of texts. Its state picks the title and the labels of the four keys; its
// mode says which answers the notice takes: Continue in modes 0 and 1 and in
// the confirmations 16 and 23, which also take Cancel, as mode 1 does; mode 2
// (help) takes neither.
class CVXLLayoutInformation : public CVXLLayout {
public:
    static constexpr std::int32_t kModeNotice = 0;
    static constexpr std::int32_t kModeConfirm = 1;
    static constexpr std::int32_t kModeHelp = 2;
    // The message view's confirmations, named by their notice index.
    static constexpr std::int32_t kModeConfirmForward = 16;
    static constexpr std::int32_t kModeConfirmDraft = 23;

    static constexpr std::uint32_t kStateOnline = 0;
    static constexpr std::uint32_t kStateInPhone = 1;
    static constexpr std::uint32_t kStateHelp = 2;
    static constexpr std::uint32_t kStateQuestion = 3;

    explicit CVXLLayoutInformation(std::uint32_t initialState = kStateOnline);

    void registerHandler(CVXLReleasable* handler) override { releaseHandler(handler); }
    CVXLString getTitle() const override;
    const CVXLLayoutCommandRow* getCommandTable() const override;
    std::uint32_t getCommandCount() const override;
    bool canSubmitAction(std::uint32_t eventId) const override;

    const CVXLString& message() const { return message_; }
    void setMessage(const CVXLString& message) { message_ = message; }
    const CVXLMediaRefHandle& media() const { return media_; }
    bool hasMedia() const { return hasMedia_ != 0; }
    void setMedia(const CVXLMediaRefHandle& media);
    // The list is not owned; it is emptied and refilled from `items`.
    void setList(const CVXLList& items);
    const CVXLList& list() const { return list_; }
    const CVXLString& titleText() const { return title_; }
    void setTitleText(const CVXLString& title) { title_ = title; }
    std::int32_t mode() const { return mode_; }
    void setMode(std::int32_t mode) { mode_ = mode; }

private:
    CVXLString message_;
    CVXLList list_;
    CVXLMediaRefHandle media_;
    std::uint8_t hasMedia_ = 0;
    CVXLString title_;
    std::int32_t mode_ = kModeNotice;
};
