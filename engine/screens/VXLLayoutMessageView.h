#pragma once

#include "engine/core/base/VXLPtrArray.h"
#include "engine/core/base/VXLString.h"
#include "engine/media/VXLMediaRefHandle.h"
#include "engine/screens/VXLLayout.h"

#include <cstdint>

class CVXLMessageSummary;
class CVXLSlideMediaItem;
class CVXLSlideNavigator;

// The slide view of one stored message (layout type 15): the current slide's
// media as slide media items it owns, the slide's text and audio, its
// duration and position among the slides shown, and the message view's
// commands. Which commands can be submitted follows the message (forward
// locks, recipients, media counts), the slides (more than one) and the
// slide's text (a link makes "Follow Url" the left soft key, labelled "Go").
// The message view job hands it its navigator and its link flag.
class CVXLLayoutMessageView : public CVXLLayout {
public:
    // The low halves of the event ids.
    enum Action : std::uint32_t {
        kReply = 0x79,
        kReplyAll = 0x7A,
        kForward = 0x71,
        kSaveMedia = 0x7E,
        kAssignMedia = 0x6C,
        kAssignAudio = 0x87,
        kSaveMessage = 0x7F,
        kPrintMedia = 0x78,
        kDelete = 0x6F,
        kNextSlide = 0x74,
        kPreviousSlide = 0x76,
        kFollowUrl = 0x70,
        kViewMedia = 0x89,
    };
    static constexpr std::uint32_t kCommandRows = 85;
    static constexpr std::uint32_t kLabelGo = 517;

    static constexpr std::uint32_t eventOf(std::uint32_t action)
    {
        return layoutEventId(kLayoutMessageView, action);
    }

    CVXLLayoutMessageView();
    ~CVXLLayoutMessageView() override;

    bool isBusy() const override { return loading_ != 0; }
    CVXLString getTitle() const override;
    std::uint32_t getActionKind(std::uint32_t eventId) const override;
    CVXLString getActionLabel(std::uint32_t eventId) const override;
    bool canSubmitAction(std::uint32_t eventId) const override;
    const CVXLLayoutCommandRow* getCommandTable() const override;
    std::uint32_t getCommandCount() const override;

    void setTitle(const CVXLString& title) { title_ = title; }
    void setDuration(std::int32_t duration);
    bool hasDuration() const { return hasDuration_ != 0; }
    std::int32_t duration() const { return duration_; }
    void setSlideCount(std::int32_t count) { slideCount_ = count; }
    std::int32_t slideCount() const { return slideCount_; }
    void setPosition(std::int32_t position) { position_ = position; }
    std::int32_t position() const { return position_; }
    void setLoading(bool loading) { loading_ = loading ? 1 : 0; }

    // Takes the item; false (the item deleted) when the heap refuses.
    bool addElement(CVXLSlideMediaItem* item);
    std::uint32_t elementCount() const { return elements_.count(); }
    CVXLSlideMediaItem* elementAt(std::uint32_t index) const;

    void setText(const CVXLString& text);
    bool hasText() const { return hasText_ != 0; }
    const CVXLString& slideText() const { return text_; }
    void setAudio(const CVXLMediaRefHandle& audio);
    bool hasAudio() const { return hasAudio_ != 0; }
    const CVXLMediaRefHandle& audio() const { return audio_; }
    void setAudioLocked(bool locked) { audioLocked_ = locked ? 1 : 0; }
    bool audioLocked() const { return audioLocked_ != 0; }
    void setMediaView(bool on) { mediaView_ = on ? 1 : 0; }
    bool mediaView() const { return mediaView_ != 0; }
    void setSummary(const CVXLMessageSummary* summary) { summary_ = summary; }
    const CVXLMessageSummary* summary() const { return summary_; }

    // Drops the slide: its elements, text, audio and duration.
    void releaseSlide();
    void clearAudioFlags();

    // What the job shares with its screen.
    void setNavigator(const CVXLSlideNavigator* navigator) { navigator_ = navigator; }
    void setLinkFlag(const std::uint8_t* linkFlag) { linkFlag_ = linkFlag; }

private:
    bool hasLink() const { return linkFlag_ && *linkFlag_ != 0; }
    const CVXLLayoutCommandRow* rowOf(std::uint32_t eventId) const;

    CVXLString title_;
    std::uint32_t hasDuration_ = 0;
    std::int32_t duration_ = 0;
    std::int32_t slideCount_ = 0;
    std::int32_t position_ = 0;
    std::uint32_t loading_ = 1;
    CVXLPtrArray elements_;
    CVXLString text_;
    std::uint32_t hasText_ = 0;
    CVXLMediaRefHandle audio_;
    std::uint8_t hasAudio_ = 0;
    std::uint8_t audioLocked_ = 0;
    std::uint8_t mediaView_ = 0;
    const CVXLMessageSummary* summary_ = nullptr;
    const CVXLSlideNavigator* navigator_ = nullptr;
    const std::uint8_t* linkFlag_ = nullptr;
};
