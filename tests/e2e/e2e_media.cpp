// The media action as the user meets it, with a real audio path (PulseAudio with a null
// sink, started by the test script): the MCI window, the end of playback, repetitions,
// an unplayable file, a chosen volume and a machine without an audio server.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "driver/dialog_driver.h"
#include "driver/driver.h"

using namespace e2e;

namespace {
const DWORD kWait = 15000;
const wchar_t kSection[] = L"Media";
const UINT kMciStop = 0x0808;             // MCI_STOP, as the play bar's stop button sends it
const UINT kGetPosition = WM_USER + 202;  // MCIWNDM_GETPOSITIONW
const UINT kGetEnd = WM_USER + 105;       // MCIWNDM_GETEND

bool IsMciWindow(HWND window) {
    return ClassName(window) == L"MCIWndClass";
}

// Starts "*Media" with the media text; the file is named in full.
void StartMedia(Program& tlr, const TempFolder& folder, const std::wstring& text) {
    folder.WriteSetting(kSection, L"Act", 0);
    folder.WriteSetting(kSection, L"ParamPlay", text);
    ASSERT_TRUE(tlr.Start(ProgramPath(), std::wstring(L"*") + kSection, folder.Path()));
}

long PlayerPosition(HWND player) {
    DWORD_PTR position = 0;
    if (!SendMessageTimeoutW(player, kGetPosition, 0, 0, SMTO_ABORTIFHUNG, 500, &position)) return -1;
    return static_cast<long>(position);
}

// How far a playback went before the player closed: the furthest position seen and the
// end of the medium.
struct Playback {
    long furthest = -1;
    long end = -1;
};

// Plays the text and follows the player's position until the player closes.
Playback PlayToTheEnd(const TempFolder& folder, const std::wstring& text) {
    Playback playback;
    Program tlr;
    StartMedia(tlr, folder, text);
    HWND player = tlr.WaitForWindow(IsMciWindow, kWait);
    EXPECT_NE(player, nullptr) << "no MCI window";
    if (player) {
        // The system menu goes right after the window is made; the window may be seen first.
        EXPECT_TRUE(WaitUntil([&] { return (GetWindowLongW(player, GWL_STYLE) & WS_SYSMENU) == 0; }, 2000))
            << "the player has a close box";
        DWORD_PTR end = 0;
        if (SendMessageTimeoutW(player, kGetEnd, 0, 0, SMTO_ABORTIFHUNG, 2000, &end))
            playback.end = static_cast<long>(end);
        // The player closes its window when playback is over. The window is hidden at
        // once; under Wine without a window manager it takes a while to go away.
        EXPECT_TRUE(WaitUntil(
            [&] {
                if (!IsWindow(player) || !IsWindowVisible(player)) return true;
                long position = PlayerPosition(player);
                if (position > playback.furthest) playback.furthest = position;
                return false;
            },
            kWait));
    }
    EXPECT_FALSE(tlr.WaitForMessageBox(0)) << "unexpected box";
    DWORD code = 99;
    EXPECT_TRUE(tlr.WaitExit(kWait, &code));
    EXPECT_EQ(code, 0u);
    return playback;
}

// The player stayed until the playback had reached the end (the program sees the end at
// its next half-second poll, so the end position is there to be seen).
void ExpectPlayedToTheEnd(const Playback& playback) {
    ASSERT_GT(playback.end, 0) << "the player tells no end";
    EXPECT_GE(playback.furthest, playback.end - playback.end / 100)
        << "closed at " << playback.furthest << " of " << playback.end;
}
}  // namespace

TEST(Media, PlaysOnceAndEndsAfterThePlaybackEnds) {
    TempFolder folder(L"media files");
    ASSERT_TRUE(folder.WriteBytes(L"one second.wav", MakeWave(1000)));
    ExpectPlayedToTheEnd(PlayToTheEnd(folder, L"\"" + folder.File(L"one second.wav") + L"\""));
}

// Wine cannot set the master volume (the volume steps themselves are tested with a
// recorder): the program plays on without it.
TEST(Media, AVolumeTheSystemRefusesStillPlaysToTheEnd) {
    TempFolder folder;
    ASSERT_TRUE(folder.WriteBytes(L"tone.wav", MakeWave(1000)));
    ExpectPlayedToTheEnd(PlayToTheEnd(folder, L"Vol:50% " + folder.File(L"tone.wav")));
}

TEST(Media, RepeatPlaysAgainUntilStoppedInTheMiddle) {
    // Long enough that a stop sent in the first half is taken well before the end: the
    // program takes sent messages only at its half-second polls, and a stop that arrives
    // at the end of a playback is rightly taken as the end (and played again).
    const int kLength = 2500;
    TempFolder folder;
    ASSERT_TRUE(folder.WriteBytes(L"tone.wav", MakeWave(kLength)));
    Program tlr;
    StartMedia(tlr, folder, L"Repeat " + folder.File(L"tone.wav"));
    HWND player = tlr.WaitForWindow(IsMciWindow, kWait);
    ASSERT_NE(player, nullptr);

    // The position runs to the end and starts again, more than once.
    int restarts = 0;
    long last = -1;
    DWORD start = GetTickCount();
    while (restarts < 2 && GetTickCount() - start < 4 * kLength + 5000) {
        long position = PlayerPosition(player);
        if (position >= 0 && last >= kLength / 2 && position < last - kLength / 4) ++restarts;
        if (position >= 0) last = position;
        Sleep(50);
    }
    EXPECT_GE(restarts, 2) << "the file was not played again";
    ASSERT_TRUE(tlr.IsRunning());

    // Stop in the first half of a playback: the repetitions end. The position is read
    // when the program keeps its queue moving and moves in coarse steps.
    ASSERT_TRUE(WaitUntil(
        [&] {
            long position = PlayerPosition(player);
            return position >= 200 && position <= kLength / 2;
        },
        2 * kLength + 2000));
    DWORD_PTR result = 0;
    ASSERT_TRUE(SendMessageTimeoutW(player, kMciStop, 0, 0, SMTO_ABORTIFHUNG, 2000, &result));
    DWORD code = 99;
    EXPECT_TRUE(tlr.WaitExit(kWait, &code)) << "stopping did not end the repetitions";
    EXPECT_EQ(code, 0u);
}

TEST(Media, FileThatIsNotAMediumCannotBePlayed) {
    TempFolder folder;
    ASSERT_TRUE(folder.WriteBytes(L"notes.wav", "These are notes, not sound.\r\n"));
    Program tlr;
    StartMedia(tlr, folder, folder.File(L"notes.wav"));
    MessageBoxInfo box = tlr.WaitForMessageBox(kWait);
    ASSERT_TRUE(box) << "no box for a file that cannot be played";
    EXPECT_EQ(box.text, L"再生できません");
    EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(ClassName(GetWindow(box.window, GW_OWNER)), L"MCIWndClass") << "the box belongs to the player";
    ASSERT_TRUE(PressButton(box.window, IDOK));
    DWORD code = 99;
    ASSERT_TRUE(tlr.WaitExit(kWait, &code));
    EXPECT_EQ(code, 0u);
}

// Run by the test script with an environment in which no audio server can be reached;
// skipped in the usual run, where the server plays.
TEST(NoAudioServer, PlaybackSaysItCannotPlayAndEnds) {
    wchar_t flag[8] = {};
    if (GetEnvironmentVariableW(L"TLR_NO_AUDIO_TEST", flag, 8) == 0 || flag[0] != L'1')
        GTEST_SKIP() << "runs only without an audio server";
    TempFolder folder;
    ASSERT_TRUE(folder.WriteBytes(L"tone.wav", MakeWave(1000)));
    for (const wchar_t* prefix : {L"Vol:50% ", L"Repeat "}) {
        Program tlr;
        StartMedia(tlr, folder, prefix + folder.File(L"tone.wav"));
        MessageBoxInfo box = tlr.WaitForMessageBox(kWait);
        ASSERT_TRUE(box) << "no report of the failed playback for " << Narrow(prefix);
        EXPECT_EQ(box.text, L"再生できません");
        ASSERT_TRUE(PressButton(box.window, IDOK));
        DWORD code = 99;
        ASSERT_TRUE(tlr.WaitExit(kWait, &code)) << Narrow(prefix);
        EXPECT_EQ(code, 0u);
    }
}
