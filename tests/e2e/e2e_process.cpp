// The process watch as the user meets it: a process-mode setting started with "#" shows
// the watch dialog for a target program that the test drives, and the command action
// follows when a condition is met.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "driver/driver.h"
#include "driver/system_state.h"

using namespace e2e;

namespace {
const DWORD kWait = 15000;
const wchar_t kWatchTitle[] = L"Tollerup 監視中";
const wchar_t kSection[] = L"watch";
const wchar_t kCommand[] = L"cmd.exe /c echo x > marker.txt";

// Messages that the target program understands.
const UINT kOpenSecond = WM_APP + 1;
const UINT kChangeTitle = WM_APP + 3;
const UINT kHang = WM_APP + 4;
const UINT kExit = WM_APP + 5;

std::wstring ControlText(HWND dialog, int id) {
    return WindowTextTimeout(ChildById(dialog, id), 1000);
}

// A CPU text as the watch shows it: digits, a point and five digits ("0.00000", "12.34567").
bool IsCpuText(const std::wstring& text) {
    size_t point = text.find(L'.');
    if (point == std::wstring::npos || point == 0 || text.size() != point + 6) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (i != point && (text[i] < L'0' || text[i] > L'9')) return false;
    }
    return true;
}

// A running target program and a watch of it.
class ProcessWatch : public ::testing::Test {
protected:
    void StartTarget() {
        title_ = L"WatchTarget " + CurrentTestName();
        ASSERT_TRUE(target_.Start(HelperPath(L"watch_target"), title_, folder_.Path()));
        targetWindow_ = target_.WaitForWindowTitled(title_, kWait);
        ASSERT_NE(targetWindow_, nullptr) << "the target program shows no window";
    }

    // Writes the process-mode setting for the pid (the target's when pid is -1).
    void WriteSetting(int conditions, HWND textWindow, bool capture = false, long long pid = -1) {
        folder_.WriteSetting(kSection, L"WatchMode", 1);
        folder_.WriteSetting(kSection, L"pid", pid == -1 ? static_cast<long long>(target_.Pid()) : pid);
        folder_.WriteSetting(kSection, L"filename", HelperPath(L"watch_target"));
        folder_.WriteSetting(kSection, L"PCParam", conditions);
        folder_.WriteSetting(kSection, L"PCHandle", HandleText(textWindow));
        folder_.WriteSetting(kSection, L"Act", 1);
        folder_.WriteSetting(kSection, L"ParamCmd", kCommand);
        folder_.WriteSetting(kSection, L"Capture", capture ? 1 : 0);
    }

    // Starts the program on the setting and waits for the watch dialog.
    HWND StartWatch() {
        if (!tlr_.Start(ProgramPath(), std::wstring(L"#") + kSection, folder_.Path())) return nullptr;
        return tlr_.WaitForWindowTitled(kWatchTitle, kWait);
    }

    bool DialogGone(HWND dialog, DWORD timeoutMs) {
        return WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, timeoutMs);
    }

    // Waits for the watch's next ticks: each tick that samples the processor time writes
    // its field, so the field is blanked and seen written again, count times. False when
    // the dialog went away or stopped ticking.
    static bool WaitForTicks(HWND dialog, int count) {
        HWND cpu = ChildById(dialog, 1803);
        for (int i = 0; i < count; ++i) {
            DWORD_PTR ignored = 0;
            if (!SendMessageTimeoutW(cpu, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"-"), SMTO_ABORTIFHUNG, 5000,
                                     &ignored))
                return false;
            if (!WaitUntil([&] { return IsCpuText(ControlText(dialog, 1803)); }, kWait)) return false;
        }
        return IsWindowVisible(dialog) != FALSE;
    }

    void ExpectActionRan() {
        EXPECT_TRUE(WaitUntil([&] { return folder_.Exists(L"marker.txt"); }, kWait))
            << "the command action left no marker file";
        DWORD code = 99;
        EXPECT_TRUE(tlr_.WaitExit(kWait, &code));
        EXPECT_EQ(code, 0u);
    }

    // The program has ended and started no command: the action did not run.
    void ExpectEndedWithoutAction() {
        DWORD code = 99;
        ASSERT_TRUE(tlr_.WaitExit(kWait, &code));
        EXPECT_EQ(code, 0u);
        EXPECT_EQ(tlr_.StartedProcesses(), 0) << "the program started a process";
        EXPECT_FALSE(folder_.Exists(L"marker.txt"));
    }

    TempFolder folder_{L"tlr process"};
    Program target_;
    Program tlr_;
    HWND targetWindow_ = nullptr;
    std::wstring title_;
};
}  // namespace

TEST_F(ProcessWatch, ShowsWhatIsWatchedAndCancelsWithoutAction) {
    ASSERT_NO_FATAL_FAILURE(StartTarget());
    WriteSetting(3, targetWindow_, true);
    HWND dialog = StartWatch();
    ASSERT_NE(dialog, nullptr) << "no watch dialog";

    std::wstring exe = HelperPath(L"watch_target");
    EXPECT_EQ(ControlText(dialog, 1801), L"watch_target.exe");
    EXPECT_EQ(ControlText(dialog, 1802), exe.substr(0, exe.find_last_of(L'\\')));
    EXPECT_EQ(ControlText(dialog, 1804), L"プロセス終了 親Win変化 CPU使用率0 指定文字列の変化");
    EXPECT_EQ(ControlText(dialog, 1805), std::wstring(L"コマンド ") + kCommand);
    EXPECT_EQ(ControlText(dialog, 1806), L"動作前に画像キャプチャー");
    EXPECT_TRUE(WaitUntil([&] { return IsCpuText(ControlText(dialog, 1803)); }, 5000))
        << "CPU field: " << Narrow(ControlText(dialog, 1803));
    EXPECT_EQ(WindowText(ChildById(dialog, 1807)), L"キャンセル");

    ASSERT_TRUE(PressButton(dialog, 1807));
    ExpectEndedWithoutAction();
    EXPECT_FALSE(folder_.Exists(L"Capture.bmp"));
}

TEST_F(ProcessWatch, WithoutCaptureTheOtherFieldIsEmpty) {
    ASSERT_NO_FATAL_FAILURE(StartTarget());
    WriteSetting(0, nullptr);
    HWND dialog = StartWatch();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ControlText(dialog, 1804), L"プロセス終了");
    EXPECT_EQ(ControlText(dialog, 1806), L"");
    ASSERT_TRUE(PressButton(dialog, 1807));
    ExpectEndedWithoutAction();
}

TEST_F(ProcessWatch, TargetExitEndsTheWatchAndTheCommandRuns) {
    ASSERT_NO_FATAL_FAILURE(StartTarget());
    WriteSetting(0, nullptr);
    HWND dialog = StartWatch();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(WaitForTicks(dialog, 1)) << "the watch ended while the target ran";
    ASSERT_TRUE(target_.Post(targetWindow_, kExit));
    EXPECT_TRUE(DialogGone(dialog, 5000));
    ExpectActionRan();
}

TEST_F(ProcessWatch, SecondTopLevelWindowFiresWithTheWindowBit) {
    ASSERT_NO_FATAL_FAILURE(StartTarget());
    WriteSetting(1, nullptr);
    HWND dialog = StartWatch();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(WaitForTicks(dialog, 1)) << "fired before anything changed";
    ASSERT_TRUE(target_.Post(targetWindow_, kOpenSecond));
    EXPECT_TRUE(DialogGone(dialog, 5000));
    ExpectActionRan();
}

TEST_F(ProcessWatch, SecondTopLevelWindowDoesNotFireWithoutTheBitAndCloseBoxCancels) {
    ASSERT_NO_FATAL_FAILURE(StartTarget());
    WriteSetting(0, nullptr);
    HWND dialog = StartWatch();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(target_.Post(targetWindow_, kOpenSecond));
    ASSERT_NE(target_.WaitForWindowTitled(L"Second window", kWait), nullptr);
    EXPECT_TRUE(WaitForTicks(dialog, 2)) << "the window count fired without its bit";
    // The caption's close box.
    ASSERT_TRUE(PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0));
    ExpectEndedWithoutAction();
}

TEST_F(ProcessWatch, ChosenWindowTitleChangeFires) {
    ASSERT_NO_FATAL_FAILURE(StartTarget());
    WriteSetting(0, targetWindow_);
    HWND dialog = StartWatch();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ControlText(dialog, 1804), L"プロセス終了 指定文字列の変化");
    ASSERT_TRUE(WaitForTicks(dialog, 2)) << "fired before the title changed";
    ASSERT_TRUE(target_.Post(targetWindow_, kChangeTitle));
    EXPECT_TRUE(DialogGone(dialog, 5000));
    ExpectActionRan();
}

TEST_F(ProcessWatch, HungTargetKeepsTheWatchTickingAndCancelWorks) {
    ASSERT_NO_FATAL_FAILURE(StartTarget());
    WriteSetting(1, targetWindow_);
    HWND dialog = StartWatch();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(target_.Post(targetWindow_, kHang));
    // The target stops answering once it has taken the message.
    ASSERT_TRUE(WaitUntil(
        [&] {
            DWORD_PTR ignored = 0;
            return !SendMessageTimeoutW(targetWindow_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 200, &ignored);
        },
        kWait));
    // Ticks go on, each asking the silent window for its text.
    EXPECT_TRUE(WaitForTicks(dialog, 3)) << "the watch stopped ticking or counted a silent window as a change: "
                                         << Narrow(ControlText(dialog, 1803));

    ASSERT_TRUE(PressButton(dialog, 1807));
    ExpectEndedWithoutAction();
}

TEST_F(ProcessWatch, NoProcessIdMeetsAtTheFirstTick) {
    WriteSetting(0, nullptr, false, 0);
    ASSERT_TRUE(tlr_.Start(ProgramPath(), std::wstring(L"#") + kSection, folder_.Path()));
    ExpectActionRan();
}

TEST_F(ProcessWatch, AnEndedProcessMeetsAtTheFirstTick) {
    ASSERT_NO_FATAL_FAILURE(StartTarget());
    ASSERT_TRUE(target_.Post(targetWindow_, kExit));
    DWORD targetCode = 99;
    ASSERT_TRUE(target_.WaitExit(kWait, &targetCode));
    WriteSetting(1, nullptr);
    ASSERT_TRUE(tlr_.Start(ProgramPath(), std::wstring(L"#") + kSection, folder_.Path()));
    ExpectActionRan();
}

TEST_F(ProcessWatch, EscapeAndEnterDoNothing) {
    ASSERT_NO_FATAL_FAILURE(StartTarget());
    WriteSetting(0, nullptr);
    HWND dialog = StartWatch();
    ASSERT_NE(dialog, nullptr);
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof(gui);
    DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    HWND focus = (GetGUIThreadInfo(thread, &gui) && gui.hwndFocus) ? gui.hwndFocus : dialog;
    for (WPARAM key : {static_cast<WPARAM>(VK_ESCAPE), static_cast<WPARAM>(VK_RETURN)}) {
        PostMessageW(focus, WM_KEYDOWN, key, 1);
        PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
    }
    // What the keys become in a dialog.
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    // Posted messages are taken before the next timer message.
    EXPECT_TRUE(WaitForTicks(dialog, 2)) << "a key ended the watch";
    EXPECT_TRUE(tlr_.IsRunning());
    ASSERT_TRUE(PressButton(dialog, 1807));
    ExpectEndedWithoutAction();
}
