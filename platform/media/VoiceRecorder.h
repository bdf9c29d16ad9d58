#pragma once

#include "platform/ui/Dialog.h"

#include <cstdint>
#include <string>

// The phone's voice recorder control. It records into a WAV file (PCM mono
// 8 kHz 16-bit) exactly as long as the recorded time on the kernel clock;
// the samples come from the WAV file named by device.conf "voice.input" (a
// phone path) or are silence. Playing only keeps time. Its owner hears of
// every change through kWmNotify (a NotifyHeader with one of the kVrn
// codes). A modal control runs its own loop until it is dismissed: Enter or
// the stop of a control made to dismiss on stop keeps the memo, Escape
// throws a recording away.
namespace tessel::media {

inline constexpr std::uint32_t kVrmRecord = 6400;
inline constexpr std::uint32_t kVrmPlay = 6401;
inline constexpr std::uint32_t kVrmStop = 6402;

inline constexpr int kVrnRecordStart = -861;
inline constexpr int kVrnRecordStop = -862;
inline constexpr int kVrnPlayStart = -863;
inline constexpr int kVrnPlayStop = -864;
inline constexpr int kVrnError = -865; // the file could not be written or read
inline constexpr int kVrnClosed = -866;
inline constexpr int kVrnDiscarded = -867;

inline constexpr std::uint32_t kVrsNoOkCancel = 0x1;
inline constexpr std::uint32_t kVrsModal = 0x4;
inline constexpr std::uint32_t kVrsPlayMode = 0x20;
inline constexpr std::uint32_t kVrsNoMove = 0x40;
inline constexpr std::uint32_t kVrsRecordMode = 0x80;
inline constexpr std::uint32_t kVrsStopDismiss = 0x100;

inline constexpr std::uint32_t kVoiceRecorderCreateSize = 28;
// A recording longer than this keeps only its first hour.
inline constexpr std::uint32_t kMaxRecordingMs = 60 * 60 * 1000;

struct VoiceRecorderCreate {
    std::uint32_t size = kVoiceRecorderCreateSize;
    std::uint32_t style = 0;
    int x = 0;
    int y = 0;
    ui::WindowHandle parent = 0;
    int controlId = 0;
    std::u16string fileName; // a phone path
};

class VoiceRecorder : public ui::Dialog {
public:
    static constexpr const char16_t* kTitle = u"Voice Recorder";

    VoiceRecorder(const VoiceRecorderCreate& create, std::string hostPath);

    bool recording() const { return recording_; }
    bool playing() const { return playing_; }

    void describe(std::vector<std::u16string>* lines) const override;
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;

protected:
    void onOk() override;
    void onCancel() override;

private:
    void record();
    void play();
    void stop();
    bool stopRecording(bool keep);
    void stopPlaying();
    void dismiss();
    void notify(int code);

    VoiceRecorderCreate create_;
    std::string hostPath_;
    bool recording_ = false;
    bool playing_ = false;
    std::uint32_t startTick_ = 0;
};

// Makes the control as the record says (a size other than 28 or a file
// name that leaves the device root makes none). A modal control records or
// plays at once as its style asks and returns once dismissed; a modeless
// one stays hidden and waits for kVrm messages. The control's window, or 0;
// a modal one is gone again when this returns.
ui::WindowHandle voiceRecorderCreate(const VoiceRecorderCreate& create);

} // namespace tessel::media
