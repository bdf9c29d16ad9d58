#include "platform/media/VoiceRecorder.h"
#include "platform/kernel/Clock.h"
#include "platform/media/WaveFile.h"
#include "platform/ui/ListView.h"
#include "platform/ui/WindowSystem.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace tessel;
using namespace tessel::media;

namespace {

// A driven clock and the temporary folder the memos go to.
struct VoiceClock {
    explicit VoiceClock(const TempDeviceRoot& root)
    {
        kernel::driveClock(50'000, 0);
        root.makeFolder("Temp");
    }
    ~VoiceClock() { kernel::releaseClock(); }
};

// The element's stand-in: keeps the recorder's notification codes and may
// act on one.
class MemoOwner : public ui::Window {
public:
    std::vector<int> codes;
    std::function<void(int)> onCode;

    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override
    {
        if (message == ui::kWmNotify) {
            const int code = reinterpret_cast<const ui::NotifyHeader*>(lParam)->code;
            codes.push_back(code);
            if (onCode)
                onCode(code);
            return 0;
        }
        return Window::windowProc(message, wParam, lParam);
    }
};

void pumpAll()
{
    ui::Message message;
    while (ui::peekMessage(&message, true))
        ui::dispatchMessage(message);
}

VoiceRecorderCreate recorderRecord(const MemoOwner& owner, std::uint32_t style)
{
    VoiceRecorderCreate create;
    create.style = style;
    create.x = 240;
    create.y = 320;
    create.parent = owner.handle();
    create.controlId = 0xE01;
    create.fileName = u"\\Temp\\WTS1.wav";
    return create;
}

std::vector<std::int16_t> ramp(std::size_t count)
{
    std::vector<std::int16_t> samples(count);
    for (std::size_t i = 0; i < count; ++i)
        samples[i] = static_cast<std::int16_t>(i * 7 % 4000 - 2000);
    return samples;
}

// A device with a driven clock and the element that owns the recorder.
class VoiceRecorderTest : public ::testing::Test {
protected:
    VoiceRecorderTest() { owner.create(u"Element", u""); }
    ~VoiceRecorderTest() override { owner.destroy(); }

    TempDeviceRoot root;
    VoiceClock clock {root};
    MemoOwner owner;
};

} // namespace

TEST_F(VoiceRecorderTest, ARecordingOfThreePointFourSecondsIsAWaveFileOf27200FramesThatOtherReadersAgreeOn)
{
    const ui::WindowHandle control = voiceRecorderCreate(recorderRecord(owner, kVrsNoMove | kVrsNoOkCancel));
    ASSERT_NE(control, 0u);
    ui::sendMessage(control, kVrmRecord, 0, 0);
    kernel::advanceClock(3400);
    ui::sendMessage(control, kVrmStop, 0, 0);

    const std::string wav = root.hostPath("Temp/WTS1.wav");
    const TestCommandResult python = testRunCommand(testPython()
        + " -c 'import sys, wave; w = wave.open(sys.argv[1]); "
          "print(w.getnchannels(), w.getframerate(), w.getsampwidth(), w.getnframes())' "
        + wav);
    EXPECT_EQ(python.status, 0);
    EXPECT_EQ(python.output, "1 8000 2 27200\n");

    const std::string bytes = root.readFile("Temp/WTS1.wav");
    EXPECT_EQ(bytes.size(), 44u + 27200u * 2) << "header and samples, nothing else";

    TESSEL_REQUIRE_TOOL(testToolSox());
    const TestCommandResult sox = testRunCommand("sox --i " + wav);
    EXPECT_EQ(sox.status, 0);
    EXPECT_NE(sox.output.find("Channels       : 1"), std::string::npos) << sox.output;
    EXPECT_NE(sox.output.find("Sample Rate    : 8000"), std::string::npos) << sox.output;
    EXPECT_NE(sox.output.find("Precision      : 16-bit"), std::string::npos) << sox.output;
    EXPECT_NE(sox.output.find("27200 samples"), std::string::npos) << sox.output;
    EXPECT_NE(sox.output.find("Signed Integer PCM"), std::string::npos) << sox.output;
    ui::sendMessage(control, ui::kWmClose, 0, 0);
}

TEST_F(VoiceRecorderTest, RecordStopPlayStopDiscardNotifiesInThatOrderAndPlayingKeepsTheMemosLength)
{
    const ui::WindowHandle control = voiceRecorderCreate(recorderRecord(owner, kVrsNoMove | kVrsNoOkCancel));
    ASSERT_NE(control, 0u);

    ui::sendMessage(control, kVrmRecord, 0, 0);
    EXPECT_TRUE(root.exists("Temp/WTS1.wav")) << "a recording has a complete file from its start";
    kernel::advanceClock(2000);
    ui::sendMessage(control, kVrmStop, 0, 0);
    ui::sendMessage(control, kVrmPlay, 0, 0);
    kernel::advanceClock(1999);
    pumpAll();
    EXPECT_EQ(owner.codes, (std::vector<int> {kVrnRecordStart, kVrnRecordStop, kVrnPlayStart}))
        << "still playing";
    ui::sendMessage(control, kVrmStop, 0, 0);
    ui::sendMessage(control, ui::kWmCommand, ui::kIdCancel, 0);

    EXPECT_EQ(owner.codes,
        (std::vector<int> {kVrnRecordStart, kVrnRecordStop, kVrnPlayStart, kVrnPlayStop, kVrnDiscarded}));
    EXPECT_FALSE(root.exists("Temp/WTS1.wav")) << "a discarded memo is gone";
    EXPECT_EQ(ui::windowFromHandle(control), nullptr) << "the control closed";

    // Played to its end, the playback stops by itself.
    owner.codes.clear();
    const ui::WindowHandle again = voiceRecorderCreate(recorderRecord(owner, kVrsNoMove | kVrsNoOkCancel));
    ui::sendMessage(again, kVrmRecord, 0, 0);
    kernel::advanceClock(1000);
    ui::sendMessage(again, kVrmPlay, 0, 0); // stops the recording first
    kernel::advanceClock(1000);
    pumpAll();
    EXPECT_EQ(owner.codes, (std::vector<int> {kVrnRecordStart, kVrnRecordStop, kVrnPlayStart, kVrnPlayStop}));
    ui::sendMessage(again, ui::kWmClose, 0, 0);
    EXPECT_EQ(owner.codes.back(), kVrnClosed);
    EXPECT_TRUE(root.exists("Temp/WTS1.wav")) << "closing keeps the memo";
}

TEST_F(VoiceRecorderTest, TheModalKeyModeRecordsUntilTheBroadcastStopAndReturnsDismissed)
{
    // The element's time limit: the clock runs on while the control's own loop waits.
    owner.onCode = [](int code) {
        if (code == kVrnRecordStart) {
            kernel::advanceClock(10'000);
            ui::postMessage(ui::kBroadcast, kVrmStop, 0, 0);
        }
    };
    voiceRecorderCreate(recorderRecord(owner, kVrsNoMove | kVrsModal | kVrsStopDismiss | kVrsRecordMode));
    EXPECT_EQ(owner.codes, (std::vector<int> {kVrnRecordStart, kVrnRecordStop, kVrnClosed}));
    WaveSamples wave;
    ASSERT_TRUE(readWaveFile(root.hostPath("Temp/WTS1.wav"), &wave));
    EXPECT_EQ(wave.samples.size(), 80'000u);

    // Listening in play mode ends with the memo's end.
    owner.codes.clear();
    owner.onCode = [](int code) {
        if (code == kVrnPlayStart)
            kernel::advanceClock(10'000);
    };
    voiceRecorderCreate(recorderRecord(owner, kVrsNoMove | kVrsModal | kVrsStopDismiss | kVrsPlayMode));
    EXPECT_EQ(owner.codes, (std::vector<int> {kVrnPlayStart, kVrnPlayStop, kVrnClosed}));
}

TEST_F(VoiceRecorderTest, SamplesComeFromTheDevicesVoiceInputOrAreSilence)
{
    root.makeFolder("Audio");
    ASSERT_TRUE(writeWaveFile(root.hostPath("Audio/voice.wav"), ramp(4000)));
    ASSERT_TRUE(writeWaveFile(root.hostPath("Audio/voice16k.wav"), ramp(8000), 16000));
    root.writeFile("Audio/broken.wav", "RIFF\x10\0\0\0WAVEfmt ");

    struct Case {
        const char* input;
        std::vector<std::int16_t> expectedStart; // then silence after the input's end
        std::size_t inputFrames;
    } cases[] = {
        {"", {}, 0},
        {"\\Audio\\voice.wav", ramp(4000), 4000},
        {"\\Audio\\voice16k.wav", {}, 4000}, // every second sample of the 16 kHz input
        {"\\Audio\\broken.wav", {}, 0},
        {"\\Audio\\missing.wav", {}, 0},
        {"..\\outside.wav", {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        root.writeDeviceConf(std::string("voice.input = ") + c.input + "\n");
        const ui::WindowHandle control = voiceRecorderCreate(recorderRecord(owner, kVrsNoMove));
        ui::sendMessage(control, kVrmRecord, 0, 0);
        kernel::advanceClock(1000);
        ui::sendMessage(control, kVrmStop, 0, 0);
        ui::sendMessage(control, ui::kWmClose, 0, 0);
        WaveSamples wave;
        ASSERT_TRUE(readWaveFile(root.hostPath("Temp/WTS1.wav"), &wave));
        ASSERT_EQ(wave.samples.size(), 8000u);
        std::vector<std::int16_t> expected(8000, 0);
        const std::vector<std::int16_t> source = ramp(8000);
        for (std::size_t i = 0; i < c.inputFrames; ++i)
            expected[i] = c.expectedStart.empty() ? source[i * 2] : c.expectedStart[i];
        EXPECT_EQ(wave.samples, expected);
    }
}

TEST_F(VoiceRecorderTest, BadRecordsAndUnwritableFilesAreRefusedWithoutAHalfFile)
{
    VoiceRecorderCreate wrongSize = recorderRecord(owner, kVrsNoMove);
    wrongSize.size = 32;
    EXPECT_EQ(voiceRecorderCreate(wrongSize), 0u);
    VoiceRecorderCreate outside = recorderRecord(owner, kVrsNoMove);
    outside.fileName = u"\\..\\memo.wav";
    EXPECT_EQ(voiceRecorderCreate(outside), 0u);

    // A folder where the file should be: recording cannot start.
    root.makeFolder("Temp/WTS1.wav");
    const ui::WindowHandle control = voiceRecorderCreate(recorderRecord(owner, kVrsNoMove));
    ASSERT_NE(control, 0u);
    ui::sendMessage(control, kVrmRecord, 0, 0);
    ui::sendMessage(control, kVrmStop, 0, 0);
    EXPECT_EQ(owner.codes, (std::vector<int> {kVrnError}));
    ui::sendMessage(control, ui::kWmClose, 0, 0);

    // A modal control that cannot record does not wait for anyone.
    owner.codes.clear();
    voiceRecorderCreate(recorderRecord(owner, kVrsNoMove | kVrsModal | kVrsStopDismiss | kVrsRecordMode));
    EXPECT_EQ(owner.codes, (std::vector<int> {kVrnError, kVrnClosed}));
}

TEST(WaveFile, ReadingChecksEveryChunkAgainstTheBytesPresent)
{
    auto header = [](std::uint32_t dataSize, std::uint16_t format, std::uint16_t bits) {
        std::string h = "RIFF____WAVEfmt ";
        auto put = [&](std::uint32_t v, int n) {
            for (int i = 0; i < n; ++i)
                h.push_back(static_cast<char>(v >> (8 * i)));
        };
        put(16, 4);
        put(format, 2);
        put(1, 2);
        put(8000, 4);
        put(16000, 4);
        put(2, 2);
        put(bits, 2);
        h += "data";
        put(dataSize, 4);
        return h;
    };
    struct Case {
        const char* name;
        std::string bytes;
        bool ok;
        std::size_t samples;
    } cases[] = {
        {"whole", header(4, 1, 16) + std::string("\x01\x00\xff\xff", 4), true, 2},
        {"data shorter than said", header(400, 1, 16) + std::string("\x01\x00\x02", 3), true, 1},
        {"8-bit", header(2, 1, 8) + std::string("\x80\xff", 2), true, 2},
        {"not PCM", header(4, 3, 32) + std::string(4, '\0'), false, 0},
        {"cut in the format", header(0, 1, 16).substr(0, 24), false, 0},
        {"no RIFF", "RIFX" + header(0, 1, 16).substr(4), false, 0},
        {"empty", "", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WaveSamples wave;
        EXPECT_EQ(parseWave(c.bytes, &wave), c.ok);
        if (c.ok) {
            EXPECT_EQ(wave.samples.size(), c.samples);
        }
    }
}
