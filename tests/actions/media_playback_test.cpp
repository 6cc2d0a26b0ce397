// Media playback on a scripted device and recorded volume calls: the track rule, the
// end tolerance, the play loops and the volume steps around them.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "actions/media.h"
#include "actions/media_player.h"
#include "actions/volume.h"
#include "common/box_recorder.h"

namespace {

// Each started playback may first stay stopped at the start (a device still opening)
// until it is seen playing at a given poll, then polls "play" a number of times, then
// rests in a mode at a position, as the script says.
class ScriptedDevice : public PlaybackDevice {
public:
    struct Play {
        int pollsPlaying;
        long mode;
        long position;
        int playingFromPoll = 0;  // 0: at once
    };
    explicit ScriptedDevice(std::vector<Play> script = {}) : plays(std::move(script)) {}
    std::vector<Play> plays;
    int canPlayCount = 100;  // how many CanPlay questions answer yes
    long start = 0;
    long end = 1000;
    int started = 0;
    int pauses = 0;

    bool CanPlay() override { return canPlayCount-- > 0; }
    void StartPlayback() override {
        current_ =
            started < static_cast<int>(plays.size()) ? plays[static_cast<size_t>(started)] : Play{0, MCI_MODE_STOP, 0};
        ++started;
    }
    long Mode() override {
        if (current_.playingFromPoll > 0) return MCI_MODE_STOP;
        return current_.pollsPlaying > 0 ? MCI_MODE_PLAY : current_.mode;
    }
    long Position() override { return current_.playingFromPoll > 0 ? start : current_.position; }
    long Start() const override { return start; }
    long End() const override { return end; }
    void Pause() override {
        ++pauses;
        if (current_.playingFromPoll > 0)
            --current_.playingFromPoll;
        else if (current_.pollsPlaying > 0)
            --current_.pollsPlaying;
    }
    HWND Window() const override { return reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234)); }

private:
    Play current_{0, MCI_MODE_STOP, 0};
};

class RecordedVolume : public VolumeEffects {
public:
    int failAt = 0;  // 1 to 5: that creation step fails
    float level = 0.8f;
    std::vector<std::string> calls;

    HRESULT CreateEnumerator() override { return Step(1, "enumerator"); }
    HRESULT OpenDefaultRenderEndpoint() override { return Step(2, "endpoint"); }
    HRESULT SetSessionVolume(float value) override { return Step(3, "session " + Text(value)); }
    HRESULT ActivateEndpointVolume() override { return Step(4, "endpoint-volume"); }
    void ReleaseEnumerator() override { calls.push_back("release-enumerator"); }
    HRESULT GetMasterLevel(float* value) override {
        HRESULT hr = Step(5, "get");
        if (SUCCEEDED(hr)) *value = level;
        return hr;
    }
    HRESULT SetMasterLevel(float value) override {
        calls.push_back("set " + Text(value));
        level = value;
        return S_OK;
    }

private:
    HRESULT Step(int step, const std::string& name) {
        calls.push_back(name);
        return step == failAt ? E_FAIL : S_OK;
    }
    static std::string Text(float value) { return std::to_string(static_cast<int>(std::lround(value * 1000.0f))); }
};

const HWND kWindow = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));

}  // namespace

TEST(MediaTrack, OnlyTrackNamedCdaFilesPlayATrack) {
    EXPECT_EQ(CdTrackNumber(L"D:\\track05.cda"), 5);
    EXPECT_EQ(CdTrackNumber(L"D:\\Track12.CDA"), 12);
    EXPECT_EQ(CdTrackNumber(L"track3.cda"), 3);
    EXPECT_EQ(CdTrackNumber(L"D:\\track0.cda"), -1);
    EXPECT_EQ(CdTrackNumber(L"D:\\track.cda"), -1);
    EXPECT_EQ(CdTrackNumber(L"D:\\trackA1.cda"), -1);
    EXPECT_EQ(CdTrackNumber(L"D:\\song05.cda"), -1);
    EXPECT_EQ(CdTrackNumber(L"D:\\Track.txt"), -1);
    EXPECT_EQ(CdTrackNumber(L"D:\\track05.wav"), -1);
    EXPECT_EQ(CdTrackNumber(L"D:\\track.05\\disc.cda"), -1);
    EXPECT_EQ(CdTrackNumber(L"D:\\track99999999999.cda"), -1);
}

TEST(MediaRepeat, EndIsReachedWithinOneThousandth) {
    EXPECT_TRUE(ReachedEnd(0, 1000, 1000));
    EXPECT_TRUE(ReachedEnd(0, 1000, 999));
    EXPECT_FALSE(ReachedEnd(0, 1000, 998));
    EXPECT_TRUE(ReachedEnd(0, 1000, 1001));
    EXPECT_FALSE(ReachedEnd(0, 1000, 500));
    EXPECT_TRUE(ReachedEnd(0, 250000, 249750));
    EXPECT_FALSE(ReachedEnd(0, 250000, 249749));
    // A track: the tolerance is of the end position, the start matters only for emptiness.
    EXPECT_TRUE(ReachedEnd(90000, 100000, 99900));
    // Nothing to play: never "ran to the end", so never repeated forever.
    EXPECT_FALSE(ReachedEnd(0, 0, 0));
}

TEST(MediaPlay, OncePollsUntilPlayingStops) {
    BoxRecorder boxes;
    ScriptedDevice device({{3, MCI_MODE_STOP, 1000}});
    EXPECT_TRUE(PlayOnce(device));
    EXPECT_EQ(device.started, 1);
    EXPECT_EQ(device.pauses, 3);  // two polls while playing, then the one that sees it stop
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(MediaPlay, UnplayableDeviceSaysSoOnce) {
    BoxRecorder boxes;
    ScriptedDevice once;
    once.canPlayCount = 0;
    EXPECT_FALSE(PlayOnce(once));
    ScriptedDevice repeated;
    repeated.canPlayCount = 0;
    EXPECT_FALSE(PlayRepeatedly(repeated));
    EXPECT_EQ(once.started + repeated.started, 0);
    ASSERT_EQ(boxes.boxes.size(), 2u);
    for (const BoxRecorder::Box& box : boxes.boxes) {
        EXPECT_EQ(box.text, L"再生できません");
        EXPECT_EQ(box.owner, kWindow);
    }
}

TEST(MediaPlay, DeviceThatNeverPlaysIsAFailureNotTheEnd) {
    BoxRecorder boxes;
    // Accepted the play, never played, still at the start (no audio output).
    ScriptedDevice silent({{0, MCI_MODE_STOP, 0}});
    EXPECT_FALSE(PlayOnce(silent));
    ScriptedDevice silentRepeat({{0, MCI_MODE_STOP, 0}});
    EXPECT_FALSE(PlayRepeatedly(silentRepeat));
    EXPECT_EQ(silentRepeat.started, 1);
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[1].text, L"再生できません");

    // A short file that ended before the first poll is at its end: played.
    ScriptedDevice shortFile({{0, MCI_MODE_STOP, 1000}});
    EXPECT_TRUE(PlayOnce(shortFile));
    EXPECT_EQ(boxes.boxes.size(), 2u);
}

// A device still opening has not begun at the first poll: that is not a failure as long
// as it begins within the start polls. One that never begins fails after them.
TEST(MediaPlay, ADeviceThatBeginsLateStillPlays) {
    BoxRecorder boxes;
    ScriptedDevice late({{2, MCI_MODE_STOP, 1000, 6}});
    EXPECT_TRUE(PlayOnce(late));
    EXPECT_EQ(late.pauses, 5 + 2 + 1);  // stopped at the start, playing, then stopped at the end
    ScriptedDevice lastChance({{1, MCI_MODE_STOP, 1000, kPlaybackStartPolls}});
    EXPECT_TRUE(PlayOnce(lastChance));
    // Repeated: each play may begin late.
    ScriptedDevice lateEachTime({{1, MCI_MODE_STOP, 1000, 3}, {1, MCI_MODE_STOP, 400, 4}});
    EXPECT_TRUE(PlayRepeatedly(lateEachTime));
    EXPECT_EQ(lateEachTime.started, 2);
    EXPECT_TRUE(boxes.boxes.empty());

    ScriptedDevice tooLate({{1, MCI_MODE_STOP, 1000, kPlaybackStartPolls + 1}});
    EXPECT_FALSE(PlayOnce(tooLate));
    EXPECT_EQ(tooLate.pauses, kPlaybackStartPolls);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, L"再生できません");
}

TEST(MediaPlay, RepeatsWhileTheEndIsReached) {
    BoxRecorder boxes;
    // Two plays to the end, then one stopped in the middle by the user.
    ScriptedDevice stopped({{2, MCI_MODE_STOP, 1000}, {2, MCI_MODE_STOP, 999}, {1, MCI_MODE_STOP, 400}});
    EXPECT_TRUE(PlayRepeatedly(stopped));
    EXPECT_EQ(stopped.started, 3);

    // The device going away ends the repetitions.
    ScriptedDevice notReady({{2, MCI_MODE_STOP, 1000}, {1, MCI_MODE_NOT_READY, 1000}});
    EXPECT_TRUE(PlayRepeatedly(notReady));
    EXPECT_EQ(notReady.started, 2);

    // A device that stops answering "can play" between repetitions.
    ScriptedDevice lost({{1, MCI_MODE_STOP, 1000}, {1, MCI_MODE_STOP, 1000}});
    lost.canPlayCount = 2;
    EXPECT_FALSE(PlayRepeatedly(lost));
    EXPECT_EQ(lost.started, 2);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, L"再生できません");
}

TEST(MediaVolume, PercentReadingAndSetting) {
    EXPECT_EQ(PercentFromLevel(0.5f), 50);
    EXPECT_EQ(PercentFromLevel(0.29f), 29);
    EXPECT_EQ(PercentFromLevel(0.57f), 57);
    EXPECT_EQ(PercentFromLevel(0.999f), 99);
    EXPECT_EQ(PercentFromLevel(1.0f), 100);
    EXPECT_EQ(PercentFromLevel(0.0f), 0);
    EXPECT_FLOAT_EQ(LevelFromPercent(50), 0.5f);
    EXPECT_FLOAT_EQ(LevelFromPercent(150), 1.0f);
    EXPECT_FLOAT_EQ(LevelFromPercent(-3), 0.0f);
    for (int percent = 0; percent <= 100; ++percent) EXPECT_EQ(PercentFromLevel(LevelFromPercent(percent)), percent);
}

TEST(MediaVolume, ChosenVolumeDuringPlaybackAndTheLevelPutBack) {
    BoxRecorder boxes;
    RecordedVolume volume;
    volume.level = 0.8f;
    ScriptedDevice device({{1, MCI_MODE_STOP, 1000}});
    MediaText request;
    request.volume = 50;
    PlayOnDevice(request, device, volume);
    std::vector<std::string> expected = {
        "enumerator",         "endpoint", "session 1000", "endpoint-volume", "get",
        "release-enumerator", "get",      "set 500",      "set 800",         "set 800"};
    EXPECT_EQ(volume.calls, expected);
    EXPECT_EQ(device.started, 1);
}

TEST(MediaVolume, NoChosenVolumeStillPutsBackTheLevelReadAtCreation) {
    RecordedVolume volume;
    volume.level = 0.3f;
    {
        VolumeController controller(volume);
        EXPECT_TRUE(controller.Ready());
        volume.level = 0.9f;  // the user turns it up during playback
    }
    ASSERT_FALSE(volume.calls.empty());
    EXPECT_EQ(volume.calls.back(), "set 300");
    EXPECT_EQ(volume.calls.front(), "enumerator");
    EXPECT_EQ(volume.calls[2], "session 1000") << "the program's own mixer volume is set to full";
}

TEST(MediaVolume, AFailedCreationStepSkipsEveryLaterStep) {
    const char* steps[] = {"enumerator", "endpoint", "session 1000", "endpoint-volume", "get"};
    for (int failAt = 1; failAt <= 5; ++failAt) {
        RecordedVolume volume;
        volume.failAt = failAt;
        ScriptedDevice device({{1, MCI_MODE_STOP, 1000}});
        MediaText request;
        request.volume = 50;
        PlayOnDevice(request, device, volume);
        std::vector<std::string> expected(steps, steps + failAt);
        EXPECT_EQ(volume.calls, expected) << "failing step " << failAt;
        EXPECT_EQ(device.started, 1) << "playback goes on without the volume";
    }
}

// The media action from its text: the chosen volume goes through the volume steps in
// order (the program's own volume full, the master volume read and set to the chosen
// percentage, then put back), also when the file cannot be played.
TEST(MediaVolume, TheActionsTextSetsTheChosenVolumeAndPutsItBack) {
    BoxRecorder boxes;
    RecordedVolume volume;
    volume.level = 0.8f;
    PlayMedia(L"Vol:35% C:\\tollerup-no-such-folder\\missing.wav", volume);
    std::vector<std::string> expected = {
        "enumerator",         "endpoint", "session 1000", "endpoint-volume", "get",
        "release-enumerator", "get",      "set 350",      "set 800",         "set 800"};
    EXPECT_EQ(volume.calls, expected);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, L"再生できません");

    // Without a chosen volume the master volume is only put back.
    RecordedVolume untouched;
    untouched.level = 0.6f;
    PlayMedia(L"C:\\tollerup-no-such-folder\\missing.wav", untouched);
    std::vector<std::string> restoreOnly = {"enumerator", "endpoint",           "session 1000", "endpoint-volume",
                                            "get",        "release-enumerator", "set 600"};
    EXPECT_EQ(untouched.calls, restoreOnly);
}
