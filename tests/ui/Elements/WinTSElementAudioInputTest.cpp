#include "ui/Elements/WinTSElementAudioInput.h"
#include "engine/screens/VXLAudioElement.h"
#include "platform/kernel/Clock.h"
#include "platform/kernel/DeviceRoot.h"
#include "platform/kernel/TextCodec.h"
#include "platform/media/VoiceRecorder.h"
#include "platform/media/WaveFile.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"
#include "tests/ui/Elements/ElementHost.h"
#include "ui/WinTSFileSource.h"
#include "ui/WinTSRegistry.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace tessel;
using Menu = std::vector<std::u16string>;

// The two device profiles: a touch screen's recorder is modeless, a
// smartphone's runs its own loop until it is dismissed.
struct Profile {
    const char* name;
    const char* conf;
    bool touch;
};
const Profile kProfiles[] = {
    {"touch screen", "platform = pocketpc\n", true},
    {"smartphone", "platform = smartphone\n", false},
};

// A top-level window of another screen: it counts the recorder stops it gets.
class Bystander : public ui::Window {
public:
    Bystander() { create(u"Bystander", u"Calendar"); }
    ~Bystander() override { destroy(); }
    int stops = 0;
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override
    {
        if (message == media::kVrmStop)
            ++stops;
        return Window::windowProc(message, wParam, lParam);
    }
};

// Runs steps inside whatever loop is pumping: each moves the driven clock
// and may act; the next is posted behind what the step caused.
class Stopwatch : public ui::Window {
public:
    struct Step {
        std::uint32_t ms;
        std::function<void()> then;
    };
    Stopwatch()
    {
        create(u"Stopwatch", u"");
        show(false);
    }
    ~Stopwatch() override { destroy(); }
    void start(std::vector<Step> steps)
    {
        steps_ = std::move(steps);
        next_ = 0;
        ui::postMessage(handle(), ui::kWmApp, 0, 0);
    }
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override
    {
        if (message != ui::kWmApp || next_ >= steps_.size())
            return Window::windowProc(message, wParam, lParam);
        Step& step = steps_[next_++];
        kernel::advanceClock(step.ms);
        if (step.then)
            step.then();
        if (next_ < steps_.size())
            ui::postMessage(handle(), ui::kWmApp, 0, 0);
        return 0;
    }

private:
    std::vector<Step> steps_;
    std::size_t next_ = 0;
};

// A voice memo field over a real audio element, on a driven clock.
struct MemoField {
    MemoField(const TempDeviceRoot& root, const Profile& profile)
    {
        root.writeDeviceConf(profile.conf);
        kernel::driveClock(50'000, 0);
        element = std::make_unique<CWinTSElementAudioInput>(ElementHost::link());
        element->Create(&host, &value, ui::Rect {0, 0, 220, 120}, 0xE00, 0);
        element->SetFocused(true);
        ElementHost::pump();
    }
    ~MemoField()
    {
        element.reset();
        kernel::releaseClock();
    }

    // Records while the steps run: on a touch screen Record returns at
    // once and the steps are pumped here; on a smartphone they run inside
    // the control's loop, which Record waits for.
    void record(std::vector<Stopwatch::Step> steps)
    {
        watch.start(std::move(steps));
        element->ExecuteMenuItem(CWinTSElementAudioInput::kRecord);
        ElementHost::pump();
    }
    // The control's own OK or cancel, as its user gives it.
    void answer(std::uint32_t id)
    {
        ui::postMessage(element->recorder(), ui::kWmCommand, id, 0);
        if (element->touchMode())
            ElementHost::pump();
    }
    // Stops as the user would: the element's Stop on a touch screen, the
    // control's OK on a smartphone.
    void stop()
    {
        if (element->touchMode())
            element->ExecuteMenuItem(CWinTSElementAudioInput::kStop);
        else
            answer(ui::kIdOk);
    }
    Menu menu() const
    {
        Menu texts;
        std::uint32_t flags = 0;
        std::uint32_t command = 0;
        std::u16string text;
        for (int n = 0; element->GetMenuItem(n, &flags, &command, &text); ++n)
            texts.push_back(text);
        return texts;
    }
    std::string memoFile() const
    {
        std::string host;
        kernel::mapPhonePath(kernel::wideToUtf8(element->memoPath()), &host);
        return host;
    }
    std::u16string duration() const { return element->duration().text(); }

    CVXLAudioElement value;
    ElementHost host;
    Stopwatch watch;
    std::unique_ptr<CWinTSElementAudioInput> element;
};

std::size_t waveFrames(const std::string& host)
{
    media::WaveSamples wave;
    return media::readWaveFile(host, &wave) ? wave.samples.size() : 0;
}

TEST(WinTSElementAudioInput, AMemoOfThreePointFourSecondsReadsFourOnATouchScreenAndThreeOnASmartphone)
{
    const char* const shown[] = {"4 second voice memo", "3 second voice memo"};
    for (std::size_t i = 0; i < std::size(kProfiles); ++i) {
        SCOPED_TRACE(kProfiles[i].name);
        TempDeviceRoot root;
        MemoField field(root, kProfiles[i]);
        EXPECT_EQ(field.element->touchMode(), kProfiles[i].touch);
        EXPECT_EQ(field.menu(), Menu {u"Record"});
        EXPECT_TRUE(field.element->showEmptyTip());

        Menu during;
        field.record({{3400, [&] {
                           during = field.menu();
                           field.stop();
                       }}});
        EXPECT_EQ(during, Menu {u"Stop"});
        EXPECT_FALSE(field.element->recording());
        EXPECT_TRUE(field.element->hasMemo());
        EXPECT_EQ(kernel::wideToUtf8(field.duration()), shown[i]);
        EXPECT_TRUE(field.element->duration().visible());
        EXPECT_FALSE(field.element->showEmptyTip());
        EXPECT_EQ(field.menu(), (Menu {u"Play", u"Remove"}));
        EXPECT_EQ(waveFrames(field.memoFile()), 27'200u) << "3.4 s at 8 kHz";
    }
}

TEST(WinTSElementAudioInput, TheTimeLimitEndsARecordingThroughTheControlAlone)
{
    const char* const shown[] = {"11 second voice memo", "10 second voice memo"};
    for (std::size_t i = 0; i < std::size(kProfiles); ++i) {
        SCOPED_TRACE(kProfiles[i].name);
        TempDeviceRoot root;
        registryWriteDword(u"UIConfig", u"VoiceTimeLimit", 10);
        Bystander other;
        MemoField field(root, kProfiles[i]);
        bool beforeLimit = false;
        field.record({{9'999, nullptr}, {1, [&] { beforeLimit = field.element->recording(); }}});
        EXPECT_TRUE(beforeLimit) << "still recording a millisecond before the limit";
        EXPECT_FALSE(field.element->recording());
        EXPECT_TRUE(field.element->hasMemo());
        EXPECT_EQ(kernel::wideToUtf8(field.duration()), shown[i]);
        EXPECT_EQ(waveFrames(field.memoFile()), 80'000u);
        EXPECT_EQ(other.stops, 0) << "the stop went to the recorder only";
    }
}

TEST(WinTSElementAudioInput, RemoveIsOfferedOnlyWithAStoppedMemoAndBringsTheEmptyTipBack)
{
    for (const Profile& profile : kProfiles) {
        SCOPED_TRACE(profile.name);
        TempDeviceRoot root;
        MemoField field(root, profile);
        field.record({{1000, [&] { field.stop(); }}});
        ASSERT_TRUE(field.element->hasMemo());
        const std::string file = field.memoFile();

        Menu playing;
        field.watch.start({{500,
                               [&] {
                                   playing = field.menu();
                                   field.element->ExecuteMenuItem(CWinTSElementAudioInput::kStop);
                               }},
            {600, nullptr}});
        field.element->ExecuteMenuItem(CWinTSElementAudioInput::kPlay);
        ElementHost::pump();
        EXPECT_EQ(playing, Menu {u"Stop"}) << "no Remove while playing";
        // A smartphone's Stop does nothing: its playback runs to the memo's end.
        EXPECT_EQ(field.menu(), (Menu {u"Play", u"Remove"}));
        EXPECT_FALSE(field.element->playing());

        field.element->ExecuteMenuItem(CWinTSElementAudioInput::kRemove);
        EXPECT_FALSE(field.element->hasMemo());
        EXPECT_EQ(field.menu(), Menu {u"Record"});
        EXPECT_EQ(field.duration(), u"");
        EXPECT_FALSE(field.element->duration().visible());
        EXPECT_TRUE(field.element->showEmptyTip());
        EXPECT_EQ(::access(file.c_str(), F_OK), -1) << "never handed over, the file goes";
        field.element->Store();
        EXPECT_EQ(field.value.audio(), nullptr);
    }
}

// What a read of the source delivered.
struct Reader : CVXLOemXferReader {
    void data(const std::uint8_t* bytes, std::uint32_t count) override
    {
        received.append(reinterpret_cast<const char*>(bytes), count);
    }
    void status(std::int32_t code) override { statuses.push_back(code); }
    std::string received;
    std::vector<std::int32_t> statuses;
};

struct Answers : CVXLCallback {
    void call(std::uint32_t value) override { values.push_back(value); }
    std::vector<std::uint32_t> values;
};

std::string sha256(const TempDeviceRoot& root, const std::string& bytes)
{
    root.writeFile("read.bin", bytes);
    return testSha256OfFile(root.hostPath("read.bin"));
}

TEST(WinTSElementAudioInput, StoreDuringARecordingStopsItAndHandsOverASourceOfTheWaveBytes)
{
    for (const Profile& profile : kProfiles) {
        SCOPED_TRACE(profile.name);
        TempDeviceRoot root;
        auto field = std::make_unique<MemoField>(root, profile);
        int stored = 0;
        field->record({{2000, [&] { stored = field->element->Store(); }}});
        EXPECT_EQ(stored, 1);
        EXPECT_FALSE(field->element->recording());
        ASSERT_TRUE(field->element->hasMemo());
        auto* source = dynamic_cast<CWinTSFileSource*>(field->value.audio());
        ASSERT_NE(source, nullptr);
        EXPECT_NE(dynamic_cast<COutboundVoiceMemo*>(field->value.audio()), nullptr)
            << "the composer hands it to the outbound queue";
        const std::string file = field->memoFile();
        EXPECT_EQ(source->path(), field->element->memoPath());
        EXPECT_EQ(waveFrames(file), 16'000u);

        Answers opened;
        source->open(&opened);
        EXPECT_EQ(opened.values, std::vector<std::uint32_t> {0});
        Reader reader;
        for (int i = 0; i < 100 && (reader.statuses.empty() || reader.statuses.back() == 0); ++i)
            source->read(&reader, 1000);
        ASSERT_FALSE(reader.statuses.empty());
        EXPECT_EQ(reader.statuses.back(), CVXLOemXferSource::kReadEnd);
        EXPECT_EQ(sha256(root, reader.received), testSha256OfFile(file));
        EXPECT_EQ(source->getSize(), static_cast<std::int32_t>(reader.received.size()));
        EXPECT_EQ(source->memoName().c_str(), file.substr(file.rfind('/') + 1));
        source->close();
        source->read(&reader, 1000);
        EXPECT_EQ(reader.statuses.back(), CVXLOemXferSource::kNotOpen);

        // Unchanged, the memo is not handed over again: the engine's source stays.
        field->element->Store();
        EXPECT_EQ(field->value.audio(), source);

        // A new recording goes to a new file; the handed one is the engine's.
        field->record({{1000, [&] { field->stop(); }}});
        EXPECT_NE(field->memoFile(), file);
        field->element->Store();
        auto* second = dynamic_cast<CWinTSFileSource*>(field->value.audio());
        ASSERT_NE(second, nullptr);
        EXPECT_EQ(second->path(), field->element->memoPath());
        const std::string secondFile = field->memoFile();
        EXPECT_EQ(waveFrames(file), 16'000u) << "the first memo is untouched";

        // One more recording, never handed over, goes with the window.
        field->record({{1000, [&] { field->stop(); }}});
        const std::string unhanded = field->memoFile();
        EXPECT_NE(unhanded, secondFile);
        EXPECT_EQ(waveFrames(unhanded), 8'000u);
        field.reset();
        EXPECT_EQ(waveFrames(file), 16'000u);
        EXPECT_EQ(waveFrames(secondFile), 8'000u) << "handed over, the engine's";
        EXPECT_EQ(::access(unhanded.c_str(), F_OK), -1);
    }
}

TEST(WinTSElementAudioInput, ADiscardedRecordingLeavesNoMemoAndStoreGivesNoSource)
{
    for (const Profile& profile : kProfiles) {
        SCOPED_TRACE(profile.name);
        TempDeviceRoot root;
        MemoField field(root, profile);
        field.record({{1500, [&] { field.answer(ui::kIdCancel); }}});
        EXPECT_FALSE(field.element->recording());
        EXPECT_FALSE(field.element->hasMemo());
        EXPECT_EQ(field.menu(), Menu {u"Record"});
        EXPECT_TRUE(field.element->showEmptyTip());
        field.element->Store();
        EXPECT_EQ(field.value.audio(), nullptr);

        // A recording that cannot start (a folder where its file goes)
        // leaves nothing to play either.
        ASSERT_TRUE(::mkdir(field.memoFile().c_str(), 0700) == 0);
        field.element->ExecuteMenuItem(CWinTSElementAudioInput::kRecord);
        ElementHost::pump();
        EXPECT_FALSE(field.element->hasMemo());
        EXPECT_EQ(field.menu(), Menu {u"Record"});
        ::rmdir(field.memoFile().c_str());
    }
}

} // namespace
