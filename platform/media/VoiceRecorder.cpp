#include "platform/media/VoiceRecorder.h"

#include "platform/kernel/Clock.h"
#include "platform/kernel/DeviceFacts.h"
#include "platform/kernel/DeviceLog.h"
#include "platform/kernel/DeviceRoot.h"
#include "platform/kernel/TextCodec.h"
#include "platform/media/WaveFile.h"
#include "platform/ui/ListView.h"
#include "platform/ui/WindowSystem.h"

#include <memory>
#include <unistd.h>
#include <vector>

namespace tessel::media {

namespace {

constexpr std::uint64_t kPlayTimer = 1;
constexpr std::uint32_t kFramesPerMs = kVoiceSampleRate / 1000;

void logVoice(const std::string& line)
{
    kernel::appendDeviceLog("voice", line);
}

// The first `frames` samples of the device's voice input at 8 kHz (nearest
// sample when its rate differs), silence after its end or without one.
std::vector<std::int16_t> inputSamples(std::size_t frames)
{
    std::vector<std::int16_t> samples(frames, 0);
    const std::string input = kernel::deviceFact("voice.input", "");
    if (input.empty())
        return samples;
    std::string hostPath;
    WaveSamples wave;
    if (!kernel::mapPhonePath(input, &hostPath) || !readWaveFile(hostPath, &wave)) {
        logVoice("voice.input " + input + " is no readable PCM WAV file; recording silence");
        return samples;
    }
    for (std::size_t i = 0; i < frames; ++i) {
        const std::uint64_t from = static_cast<std::uint64_t>(i) * wave.sampleRate / kVoiceSampleRate;
        if (from >= wave.samples.size())
            break;
        samples[i] = wave.samples[from];
    }
    return samples;
}

// The controls this process made; a destroyed one is dropped at the next
// creation (its owner may still be inside a call of it before that).
std::vector<std::unique_ptr<VoiceRecorder>>& liveRecorders()
{
    static auto* recorders = new std::vector<std::unique_ptr<VoiceRecorder>>;
    return *recorders;
}

void dropDestroyedRecorders()
{
    auto& recorders = liveRecorders();
    std::erase_if(
        recorders, [](const std::unique_ptr<VoiceRecorder>& r) { return !r->exists() && !r->inModalRun(); });
}

} // namespace

VoiceRecorder::VoiceRecorder(const VoiceRecorderCreate& create, std::string hostPath)
    : create_(create)
    , hostPath_(std::move(hostPath))
{
}

void VoiceRecorder::describe(std::vector<std::u16string>* lines) const
{
    if (recording_)
        lines->push_back(u"Recording...");
    else if (playing_)
        lines->push_back(u"Playing...");
    else
        lines->push_back(u"Stopped");
}

std::int64_t VoiceRecorder::windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    switch (message) {
    case kVrmRecord:
        record();
        return 0;
    case kVrmPlay:
        play();
        return 0;
    case kVrmStop:
        stop();
        return 0;
    case ui::kWmTimer:
        if (wParam == kPlayTimer && playing_) {
            stopPlaying();
            if (create_.style & kVrsStopDismiss)
                dismiss();
            return 0;
        }
        break;
    case ui::kWmClose:
        onOk();
        return 0;
    default:
        break;
    }
    return Dialog::windowProc(message, wParam, lParam);
}

void VoiceRecorder::notify(int code)
{
    ui::NotifyHeader header {handle(), create_.controlId, code, -1};
    if (create_.parent)
        ui::sendMessage(create_.parent, ui::kWmNotify, static_cast<std::uint64_t>(create_.controlId),
            reinterpret_cast<std::int64_t>(&header));
}

void VoiceRecorder::record()
{
    if (recording_)
        return;
    if (playing_)
        stopPlaying();
    // The file holds a whole (empty) recording from the start.
    if (!writeWaveFile(hostPath_, {})) {
        logVoice("cannot write " + hostPath_);
        notify(kVrnError);
        return;
    }
    recording_ = true;
    startTick_ = kernel::tickCount();
    notify(kVrnRecordStart);
}

void VoiceRecorder::play()
{
    if (recording_ && !stopRecording(true))
        return;
    if (playing_)
        return;
    WaveSamples wave;
    if (!readWaveFile(hostPath_, &wave)) {
        notify(kVrnError);
        return;
    }
    const std::uint64_t lengthMs = (wave.samples.size() * 1000 + wave.sampleRate - 1) / wave.sampleRate;
    playing_ = true;
    // The end is timed from the start, before the owner hears of it.
    ui::setTimer(
        handle(), kPlayTimer, static_cast<std::uint32_t>(std::min<std::uint64_t>(lengthMs, kMaxRecordingMs)));
    notify(kVrnPlayStart);
}

void VoiceRecorder::stop()
{
    if (recording_)
        stopRecording(true);
    else if (playing_)
        stopPlaying();
    else
        return;
    if (create_.style & kVrsStopDismiss)
        dismiss();
}

bool VoiceRecorder::stopRecording(bool keep)
{
    recording_ = false;
    if (!keep)
        return true;
    const std::uint32_t elapsed = std::min(kernel::tickCount() - startTick_, kMaxRecordingMs);
    if (!writeWaveFile(hostPath_, inputSamples(static_cast<std::size_t>(elapsed) * kFramesPerMs))) {
        logVoice("cannot write " + hostPath_);
        notify(kVrnError);
        return false;
    }
    notify(kVrnRecordStop);
    return true;
}

void VoiceRecorder::stopPlaying()
{
    playing_ = false;
    if (exists())
        ui::killTimer(handle(), kPlayTimer);
    notify(kVrnPlayStop);
}

void VoiceRecorder::dismiss()
{
    notify(kVrnClosed);
    endDialog(static_cast<int>(ui::kIdOk));
}

void VoiceRecorder::onOk()
{
    if (recording_)
        stopRecording(true);
    else if (playing_)
        stopPlaying();
    dismiss();
}

void VoiceRecorder::onCancel()
{
    if (playing_)
        stopPlaying();
    // Listening to a memo and cancelling keeps it; a recording is thrown away.
    if (create_.style & kVrsPlayMode) {
        dismiss();
        return;
    }
    stopRecording(false);
    ::unlink(hostPath_.c_str());
    notify(kVrnDiscarded);
    endDialog(static_cast<int>(ui::kIdCancel));
}

ui::WindowHandle voiceRecorderCreate(const VoiceRecorderCreate& create)
{
    std::string hostPath;
    if (create.size != kVoiceRecorderCreateSize
        || !kernel::mapPhonePath(kernel::wideToUtf8(create.fileName), &hostPath)) {
        logVoice("refused a recorder for " + kernel::wideToUtf8(create.fileName));
        return 0;
    }
    dropDestroyedRecorders();
    auto& recorders = liveRecorders();
    recorders.push_back(std::make_unique<VoiceRecorder>(create, hostPath));
    VoiceRecorder* recorder = recorders.back().get();
    ui::Window* owner = ui::windowFromHandle(create.parent);
    if (!recorder->createModeless(VoiceRecorder::kTitle, owner)) {
        recorders.pop_back();
        return 0;
    }
    const ui::WindowHandle handle = recorder->handle();
    if (!(create.style & kVrsModal)) {
        recorder->show(false);
        return handle;
    }
    if (create.style & kVrsRecordMode)
        recorder->windowProc(kVrmRecord, 0, 0);
    else if (create.style & kVrsPlayMode)
        recorder->windowProc(kVrmPlay, 0, 0);
    // A mode that could not start leaves nothing to wait for.
    if ((create.style & (kVrsRecordMode | kVrsPlayMode)) && !recorder->recording() && !recorder->playing()) {
        if (recorder->exists())
            recorder->windowProc(ui::kWmClose, 0, 0);
        return handle;
    }
    if (recorder->exists())
        recorder->doModal(VoiceRecorder::kTitle, owner);
    return handle;
}

} // namespace tessel::media
