#pragma once

#include "platform/ui/ProgressBar.h"
#include "platform/ui/Static.h"
#include "ui/Elements/WinTSElement.h"

#include <cstdint>
#include <memory>
#include <string>

class CVXLAudioElement;

// The composer's voice memo (an audio element): Record, Play, Stop and
// Remove through the phone's voice recorder control, into a temporary WAV
// file of at most "VoiceTimeLimit" seconds, with a progress bar over the
// recording or playback and a text of the memo's length. On a touch screen
// the control is modeless and off screen; on a smartphone it is modal and
// records or plays until it is dismissed. Store hands the engine element a
// file source of the memo when it changed since the last Store; a memo
// handed over is the engine's, one never handed over goes with the window,
// and a new recording after a hand-over goes to a new file.
class CWinTSElementAudioInput : public CWinTSElement {
public:
    static constexpr int kProgressId = 0xE00;
    static constexpr int kRecorderId = 0xE01;
    static constexpr int kIconId = 0xF04;
    static constexpr int kDurationId = 0xF05;
    static constexpr int kIcon = 1080;
    static constexpr int kMargin = 10;
    static constexpr int kTop = 5;
    static constexpr int kDurationGap = 5;
    static constexpr int kBottomPadding = 10;
    static constexpr int kFrameMargin = 3;
    static constexpr std::uint32_t kDefaultTimeLimit = 10;
    static constexpr int kProgressSteps = 50;
    static constexpr int kProgressStep = 2;
    // Menu commands, which are also the command states 0 to 2.
    static constexpr std::uint32_t kRecord = 0;
    static constexpr std::uint32_t kPlay = 1;
    static constexpr std::uint32_t kStop = 2;
    static constexpr std::uint32_t kRemove = 3;
    // Window timers.
    static constexpr std::uint64_t kTimerLimit = 1;
    static constexpr std::uint64_t kTimerProgress = 2;
    static constexpr std::uint64_t kTimerPlayEnd = 3;

    explicit CWinTSElementAudioInput(const WinTSElementLink& link);
    ~CWinTSElementAudioInput() override;

    // The operations of the element base.
    int Store() override;
    int Layout(const tessel::ui::Rect& rect) override;
    int OnCreate() override;
    void SetFocused(bool focused) override;
    void ExecuteMenuItem(std::uint32_t command) override;
    bool OnKey(std::uint32_t key) override;

    // Its own, in the Part's order.
    virtual void OnTimer(std::uint64_t timer);

    bool touchMode() const { return touchMode_; }
    bool hasMemo() const { return hasMemo_; }
    bool recording() const { return recording_; }
    bool playing() const { return playing_; }
    // The phone path the next recording goes to.
    const std::u16string& memoPath() const { return memoPath_; }
    tessel::ui::ProgressBar& progress() { return progress_; }
    tessel::ui::Static& duration() { return duration_; }
    tessel::ui::Static& icon() { return icon_; }
    tessel::ui::WindowHandle recorder() const { return recorder_; }

    int paint(tessel::ui::Canvas& canvas, const tessel::ui::Rect& area) const override;
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;

private:
    CVXLAudioElement* audio() const;
    // The recorder control with the mode's style and the bits a; a modal
    // one returns once dismissed.
    void CreateRecorder(std::uint32_t bits);
    void DestroyRecorder();
    // A memo handed to the engine stays the engine's: recording again takes
    // a new file.
    void TakeNewFileIfHandedOver();
    void SetCommandState(std::uint32_t state);
    void OnRecorderNotify(int code, tessel::ui::WindowHandle from);
    void StartTimer(std::uint64_t timer, std::uint32_t ms);
    void KillTimers();
    void SetDuration(std::uint32_t seconds);
    void SendStop();
    void DeleteMemoFile();

    tessel::ui::WindowHandle recorder_ = 0;
    std::u16string memoPath_;
    tessel::ui::ProgressBar progress_;
    bool recording_ = false;
    bool playing_ = false;
    tessel::ui::Rect progressRect_;
    tessel::ui::Rect iconRect_;
    tessel::ui::Rect durationRect_;
    tessel::ui::Static icon_;
    std::shared_ptr<const tessel::ui::Bitmap> iconPicture_;
    tessel::ui::Static duration_;
    std::shared_ptr<tessel::ui::Font> durationFont_;
    bool hasMemo_ = false;
    bool timers_[4] = {};
    std::uint32_t startTick_ = 0;
    std::uint32_t endTick_ = 0;
    std::uint32_t timeLimit_ = kDefaultTimeLimit;
    bool touchMode_ = false;
    // Since the last Store; and whether the memo's file is the engine's.
    bool memoChanged_ = false;
    bool handedOver_ = false;
    // The recording of a smartphone's Record ended with its memo kept.
    bool keptByStop_ = false;
};
