#include "ui/Elements/WinTSElementAudioInput.h"

#include "engine/core/base/VXLElement.h"
#include "engine/screens/VXLAudioElement.h"
#include "platform/kernel/Clock.h"
#include "platform/kernel/DeviceRoot.h"
#include "platform/kernel/TextCodec.h"
#include "platform/media/VoiceRecorder.h"
#include "platform/tesselres/ResourceImages.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/ListView.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/WindowSystem.h"
#include "ui/WinTSFileSource.h"
#include "ui/WinTSHelpers.h"
#include "ui/WinTSLog.h"
#include "ui/WinTSRegistry.h"
#include "ui/WinTSStorage.h"

#include <algorithm>
#include <unistd.h>

using tessel::ui::Rect;
namespace media = tessel::media;

namespace {

// A new temporary name with ".wav" for ".tmp".
std::u16string newMemoPath()
{
    std::u16string path = NextTempFileName();
    const std::u16string tmp = u".tmp";
    if (path.size() >= tmp.size() && path.compare(path.size() - tmp.size(), tmp.size(), tmp) == 0)
        path.replace(path.size() - tmp.size(), tmp.size(), u".wav");
    return path;
}

} // namespace

CWinTSElementAudioInput::CWinTSElementAudioInput(const WinTSElementLink& link)
    : CWinTSElement(u"CWinTSElementAudioInput", link)
    , memoPath_(newMemoPath())
    , durationFont_(RegistryFont(u"ElementAudioDuration"))
    , touchMode_(IsPocketPC())
{
    registryReadDword(u"UIConfig", u"VoiceTimeLimit", &timeLimit_, kDefaultTimeLimit);
    AddMenuItem(kRecord, u"Record");
    AddMenuItem(kPlay, u"Play");
    AddMenuItem(kStop, u"Stop");
    AddMenuItem(kRemove, u"Remove");
}

CWinTSElementAudioInput::~CWinTSElementAudioInput()
{
    destroy();
}

CVXLAudioElement* CWinTSElementAudioInput::audio() const
{
    CVXLElement* value = fieldValue();
    return value ? value->asAudio() : nullptr;
}

int CWinTSElementAudioInput::OnCreate()
{
    CWinTSElement::OnCreate();
    if (std::optional<tessel::ui::Bitmap> picture = tessel::tesselres::loadIcon(kIcon))
        iconPicture_ = std::make_shared<const tessel::ui::Bitmap>(std::move(*picture));
    icon_.create(this, kIconId, u"", Rect {});
    icon_.setBitmap(iconPicture_);
    addChildControl(kIconId);
    duration_.create(this, kDurationId, u"", Rect {});
    duration_.windowProc(tessel::ui::kWmSetFont, reinterpret_cast<std::uintptr_t>(durationFont_.get()), 1);
    addChildControl(kDurationId);
    progress_.create(this, kProgressId, Rect {});
    progress_.windowProc(tessel::ui::kPbmSetRange, 0, static_cast<std::int64_t>(100) << 16);
    progress_.show(false);
    addChildControl(kProgressId);
    Layout(contentRect());
    if (touchMode_)
        CreateRecorder(0);
    SetCommandState(kRecord);
    return 0;
}

int CWinTSElementAudioInput::Layout(const Rect& rect)
{
    const Rect content = contentRect();
    const int iconWidth = tessel::ui::systemMetric(tessel::ui::kMetricIconWidth);
    const int iconHeight = tessel::ui::systemMetric(tessel::ui::kMetricIconHeight);
    const int left = rect.left + kMargin;
    if (hasMemo_ || recording_) {
        iconRect_ = Rect {left, content.top + kTop, left + iconWidth, content.top + kTop + iconHeight};
        const int barHeight = tessel::ui::systemMetric(tessel::ui::kMetricCaptionHeight) / 2;
        progressRect_
            = Rect {iconRect_.right, iconRect_.bottom - barHeight, rect.right - kMargin, iconRect_.bottom};
        Rect measured {0, 0, progressRect_.width(), 0};
        MeasureText(duration_.text().empty() ? u"X" : duration_.text(), &measured, durationFont_, false);
        durationRect_ = Rect {progressRect_.left, progressRect_.top - kDurationGap - measured.height(),
            progressRect_.right, progressRect_.top - kDurationGap};
    } else {
        iconRect_ = Rect {left, content.top, left, content.top};
        progressRect_ = Rect {left, content.top, rect.right - kMargin, content.top + lineHeight()};
        durationRect_ = Rect {left, content.top, left, content.top};
    }
    if (icon_.exists())
        icon_.moveWindow(iconRect_);
    if (progress_.exists())
        progress_.moveWindow(progressRect_);
    if (duration_.exists())
        duration_.moveWindow(durationRect_);
    PostHeight(progressRect_.bottom + kBottomPadding);
    return 1;
}

void CWinTSElementAudioInput::SetFocused(bool focused)
{
    CWinTSElement::SetFocused(focused);
    if (progress_.exists())
        tessel::ui::setFocus(progress_.handle());
}

void CWinTSElementAudioInput::CreateRecorder(std::uint32_t bits)
{
    media::VoiceRecorderCreate create;
    create.style = media::kVrsNoMove
        | (touchMode_ ? media::kVrsNoOkCancel : media::kVrsModal | media::kVrsStopDismiss | bits);
    // Off the screen: the control shows nothing of its own.
    create.x = tessel::ui::systemMetric(tessel::ui::kMetricScreenWidth);
    create.y = tessel::ui::systemMetric(tessel::ui::kMetricScreenHeight);
    create.parent = handle();
    create.controlId = kRecorderId;
    create.fileName = memoPath_;
    const tessel::ui::WindowHandle made = media::voiceRecorderCreate(create);
    if (made == 0)
        winTSLog(kLogFailure, "no voice recorder for " + tessel::kernel::wideToUtf8(memoPath_));
    // A modal control is gone again when its call returns.
    recorder_ = touchMode_ ? made : 0;
}

void CWinTSElementAudioInput::DestroyRecorder()
{
    if (tessel::ui::Window* control = tessel::ui::windowFromHandle(recorder_))
        control->destroy();
    recorder_ = 0;
}

void CWinTSElementAudioInput::TakeNewFileIfHandedOver()
{
    if (!handedOver_)
        return;
    handedOver_ = false;
    memoPath_ = newMemoPath();
    if (touchMode_) {
        DestroyRecorder();
        CreateRecorder(0);
    }
}

void CWinTSElementAudioInput::SendStop()
{
    // Only the control hears it: a broadcast would reach every window.
    if (recorder_ && tessel::ui::windowFromHandle(recorder_))
        tessel::ui::sendMessage(recorder_, media::kVrmStop, 0, 0);
}

void CWinTSElementAudioInput::ExecuteMenuItem(std::uint32_t command)
{
    switch (command) {
    case kRecord:
        TakeNewFileIfHandedOver();
        if (touchMode_) {
            // A control that was closed (a discard ends it) is made again.
            if (!tessel::ui::windowFromHandle(recorder_))
                CreateRecorder(0);
            if (recorder_)
                tessel::ui::sendMessage(recorder_, media::kVrmRecord, 0, 0);
            break;
        }
        startTick_ = tessel::kernel::tickCount();
        keptByStop_ = false;
        StartTimer(kTimerLimit, timeLimit_ * 1000);
        CreateRecorder(media::kVrsRecordMode);
        // Timed from before the control came up; a recording that was
        // discarded or never started leaves what the control reported.
        if (keptByStop_) {
            endTick_ = tessel::kernel::tickCount();
            SetDuration((endTick_ - startTick_) / 1000);
            SetCommandState(kPlay);
        }
        break;
    case kPlay:
        if (touchMode_) {
            if (recorder_)
                tessel::ui::sendMessage(recorder_, media::kVrmPlay, 0, 0);
        } else if (hasMemo_) {
            CreateRecorder(media::kVrsPlayMode);
        }
        break;
    case kStop:
        if (touchMode_)
            SendStop();
        break;
    case kRemove:
        // A memo handed over is the engine's to delete.
        if (!handedOver_)
            DeleteMemoFile();
        progress_.windowProc(tessel::ui::kPbmSetPos, 0, 0);
        hasMemo_ = false;
        memoChanged_ = true;
        duration_.setText(u"");
        SetCommandState(kRecord);
        break;
    default:
        break;
    }
    RequestFocus();
}

bool CWinTSElementAudioInput::OnKey(std::uint32_t key)
{
    if (key != tessel::ui::kVkReturn)
        return false;
    ExecuteMenuItem(recording_ || playing_ ? kStop : hasMemo_ ? kPlay : kRecord);
    return true;
}

void CWinTSElementAudioInput::SetCommandState(std::uint32_t state)
{
    for (std::uint32_t command : {kRecord, kPlay, kStop})
        EnableMenuItem(command, command == state);
    EnableMenuItem(kRemove, hasMemo_ && state == kPlay);
    icon_.show(hasMemo_ || recording_);
    duration_.show(hasMemo_);
    setShowEmptyTip(!hasMemo_ && !recording_);
    NotifyCommandsChanged();
    Layout(contentRect());
}

void CWinTSElementAudioInput::SetDuration(std::uint32_t seconds)
{
    duration_.setText(tessel::kernel::utf8ToWide(std::to_string(seconds) + " second voice memo"));
}

void CWinTSElementAudioInput::StartTimer(std::uint64_t timer, std::uint32_t ms)
{
    // A memo of a few milliseconds must not make a timer of none.
    tessel::ui::setTimer(handle(), timer, std::max<std::uint32_t>(ms, 1));
    timers_[timer] = true;
}

void CWinTSElementAudioInput::KillTimers()
{
    for (std::uint64_t timer : {kTimerLimit, kTimerProgress, kTimerPlayEnd}) {
        if (timers_[timer])
            tessel::ui::killTimer(handle(), timer);
        timers_[timer] = false;
    }
}

void CWinTSElementAudioInput::OnRecorderNotify(int code, tessel::ui::WindowHandle from)
{
    recorder_ = from;
    const std::uint32_t now = tessel::kernel::tickCount();
    switch (code) {
    case media::kVrnRecordStart:
        KillTimers();
        StartTimer(kTimerLimit, timeLimit_ * 1000);
        StartTimer(kTimerProgress, timeLimit_ * 1000 / kProgressSteps);
        startTick_ = now;
        progress_.windowProc(tessel::ui::kPbmSetPos, kProgressStep, 0);
        recording_ = true;
        SetCommandState(kStop);
        progress_.show(true);
        break;
    case media::kVrnRecordStop:
        KillTimers();
        endTick_ = now;
        progress_.windowProc(tessel::ui::kPbmSetPos, 0, 0);
        recording_ = false;
        hasMemo_ = true;
        memoChanged_ = true;
        keptByStop_ = true;
        SetDuration((endTick_ - startTick_) / 1000 + 1);
        SetCommandState(kPlay);
        progress_.show(false);
        break;
    case media::kVrnPlayStart:
        playing_ = true;
        KillTimers();
        StartTimer(kTimerProgress, (endTick_ - startTick_) / kProgressSteps);
        StartTimer(kTimerPlayEnd, endTick_ - startTick_);
        progress_.windowProc(tessel::ui::kPbmSetPos, kProgressStep, 0);
        SetCommandState(kStop);
        progress_.show(true);
        break;
    case media::kVrnPlayStop:
    case media::kVrnClosed:
        playing_ = code == media::kVrnPlayStop ? false : playing_;
        KillTimers();
        progress_.windowProc(tessel::ui::kPbmSetPos, 0, 0);
        // Closed without a memo (a recording that could not start), there
        // is nothing to play.
        SetCommandState(hasMemo_ ? kPlay : kRecord);
        progress_.show(false);
        break;
    case media::kVrnDiscarded:
        KillTimers();
        endTick_ = now;
        progress_.windowProc(tessel::ui::kPbmSetPos, 0, 0);
        recording_ = false;
        hasMemo_ = false;
        memoChanged_ = true;
        duration_.setText(u"");
        SetCommandState(kRecord);
        progress_.show(false);
        break;
    default:
        break;
    }
}

void CWinTSElementAudioInput::OnTimer(std::uint64_t timer)
{
    if (timer >= std::size(timers_) || !timers_[timer])
        return;
    switch (timer) {
    case kTimerLimit:
        SendStop();
        KillTimers();
        break;
    case kTimerProgress: {
        const std::int64_t at = progress_.windowProc(tessel::ui::kPbmGetPos, 0, 0);
        progress_.windowProc(tessel::ui::kPbmSetPos, static_cast<std::uint64_t>(at + kProgressStep), 0);
        break;
    }
    case kTimerPlayEnd:
        SendStop();
        KillTimers();
        progress_.windowProc(tessel::ui::kPbmSetPos, 0, 0);
        SetCommandState(kPlay);
        progress_.show(false);
        break;
    default:
        break;
    }
}

int CWinTSElementAudioInput::Store()
{
    if (recording_)
        SendStop();
    CVXLAudioElement* value = audio();
    // An unchanged memo is already the engine's, and the source it holds
    // may be in use.
    if (!value || !memoChanged_)
        return 1;
    memoChanged_ = false;
    if (hasMemo_) {
        value->setAudio(new CWinTSFileSource(memoPath_));
        handedOver_ = true;
    } else if (value->audio()) {
        value->setAudio(nullptr);
    }
    return 1;
}

void CWinTSElementAudioInput::DeleteMemoFile()
{
    std::string host;
    if (tessel::kernel::mapPhonePath(tessel::kernel::wideToUtf8(memoPath_), &host))
        ::unlink(host.c_str());
}

int CWinTSElementAudioInput::paint(tessel::ui::Canvas& canvas, const Rect& area) const
{
    CWinTSElement::paint(canvas, area);
    DrawFrame(canvas,
        Rect {iconRect_.left - kFrameMargin, iconRect_.top - kFrameMargin, progressRect_.right + kFrameMargin,
            progressRect_.bottom + kFrameMargin});
    return 0;
}

std::int64_t CWinTSElementAudioInput::windowProc(
    std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    switch (message) {
    case tessel::ui::kWmNotify: {
        const auto* header = reinterpret_cast<const tessel::ui::NotifyHeader*>(lParam);
        if (header && header->controlId == kRecorderId) {
            OnRecorderNotify(header->code, header->from);
            return 0;
        }
        return CWinTSElement::windowProc(message, wParam, lParam);
    }
    case tessel::ui::kWmTimer:
        OnTimer(wParam);
        return 0;
    case tessel::ui::kWmDestroy:
        KillTimers();
        DestroyRecorder();
        // A memo never handed over goes with the window.
        if (!handedOver_)
            DeleteMemoFile();
        return CWinTSElement::windowProc(message, wParam, lParam);
    default:
        return CWinTSElement::windowProc(message, wParam, lParam);
    }
}
