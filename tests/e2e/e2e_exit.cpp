// The Windows-exit action as the user meets it: the countdown window and its buttons,
// and, in a Wine prefix of its own, the end of the session as another program sees it.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <sstream>
#include <string>
#include <vector>

#include "driver/driver.h"

using namespace e2e;

namespace {
const DWORD kWait = 15000;
const wchar_t kSection[] = L"Exit";

// Starts "*Exit" with the Windows-exit text in the folder's settings.
void StartExit(Program& tlr, const TempFolder& folder, const std::wstring& text) {
    folder.WriteSetting(kSection, L"Act", 2);
    folder.WriteSetting(kSection, L"ParamWinExit", text);
    ASSERT_TRUE(tlr.Start(ProgramPath(), std::wstring(L"*") + kSection, folder.Path()));
}

void ExpectEndsWithin(const Program& tlr, DWORD timeoutMs) {
    DWORD code = 99;
    ASSERT_TRUE(tlr.WaitExit(timeoutMs, &code)) << "the program did not end";
    EXPECT_EQ(code, 0u);
}

// A bar that is full shows its upper limit, which is the total time.
void ExpectBar(HWND countdown, int position, int high) {
    HWND bar = ChildById(countdown, 9502);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(static_cast<int>(SendMessageW(bar, PBM_GETRANGE, FALSE, 0)), high);
    EXPECT_EQ(static_cast<int>(SendMessageW(bar, PBM_GETPOS, 0, 0)), position);
}
}  // namespace

TEST(Countdown, ShowsTheTitleTheTotalTimeAndAFullBar) {
    TempFolder folder;
    Program tlr;
    StartExit(tlr, folder, L"再起動 強制終了 待機時間 =30秒");
    HWND countdown = tlr.WaitForWindowTitled(L"再起動 強制終了 までの時間", kWait);
    ASSERT_NE(countdown, nullptr) << "no countdown window";
    EXPECT_EQ(WindowText(ChildById(countdown, 9501)), L"30秒");
    ExpectBar(countdown, 30, 30);
    EXPECT_EQ(WindowText(ChildById(countdown, 9503)), L"即実行");
    EXPECT_EQ(WindowText(ChildById(countdown, 9504)), L"キャンセル");
    EXPECT_NE(GetWindowLongW(countdown, GWL_EXSTYLE) & WS_EX_TOPMOST, 0) << "the countdown is not on top";

    // The bar shrinks once a second; the total stays.
    Sleep(2500);
    HWND bar = ChildById(countdown, 9502);
    int position = static_cast<int>(SendMessageW(bar, PBM_GETPOS, 0, 0));
    EXPECT_GE(position, 27);
    EXPECT_LE(position, 29);
    EXPECT_EQ(WindowText(ChildById(countdown, 9501)), L"30秒");

    // Cancelling ends the program with nothing else done (an exit would have ended this
    // test's own session).
    ASSERT_TRUE(PressButton(countdown, 9504));
    ExpectEndsWithin(tlr, 5000);
}

TEST(Countdown, CloseBoxCancels) {
    TempFolder folder;
    Program tlr;
    StartExit(tlr, folder, L"通常の終了 待機時間 =30秒");
    HWND countdown = tlr.WaitForWindowTitled(L"通常の終了 までの時間", kWait);
    ASSERT_NE(countdown, nullptr);
    ASSERT_TRUE(PostMessageW(countdown, WM_SYSCOMMAND, SC_CLOSE, 0));
    ExpectEndsWithin(tlr, 5000);
}

// Sleep does nothing under Wine, so these texts show the way to the call without ending
// the session of the test.
TEST(Countdown, RunNowProceedsAtOnce) {
    TempFolder folder;
    Program tlr;
    StartExit(tlr, folder, L"スリープ 待機時間 =30秒");
    HWND countdown = tlr.WaitForWindowTitled(L"スリープ までの時間", kWait);
    ASSERT_NE(countdown, nullptr);
    DWORD pressed = GetTickCount();
    ASSERT_TRUE(PressButton(countdown, 9503));
    ExpectEndsWithin(tlr, 5000);
    EXPECT_LT(GetTickCount() - pressed, 5000u);
}

// When the countdown ends the dialog, in ms after the window was found (0 when never seen).
// The window is hidden at once; under Wine on a display without a window manager it then
// takes a while to go away.
DWORD TimeCountdownEnds(HWND countdown, DWORD found) {
    while (GetTickCount() - found < 15000) {
        if (!IsWindow(countdown) || !IsWindowVisible(countdown)) return GetTickCount() - found;
        Sleep(20);
    }
    return 0;
}

TEST(Countdown, TimeOutProceedsAfterTheTicks) {
    TempFolder folder;
    // A hand-written wait of 0 still shows the window for one tick.
    struct Case {
        const wchar_t* text;
        const wchar_t* title;
        DWORD ticks;
    } cases[] = {{L"休止状態 強制終了 待機時間 =2秒", L"休止状態 強制終了 までの時間", 2},
                 {L"スリープ 待機時間 =0秒", L"スリープ までの時間", 1}};
    for (const Case& c : cases) {
        Program tlr;
        StartExit(tlr, folder, c.text);
        HWND countdown = tlr.WaitForWindowTitled(c.title, kWait);
        ASSERT_NE(countdown, nullptr) << Narrow(c.text);
        DWORD found = GetTickCount();
        DWORD ended = TimeCountdownEnds(countdown, found);
        EXPECT_GE(ended, c.ticks * 1000 - 400) << Narrow(c.text);
        EXPECT_LT(ended, c.ticks * 1000 + 1000) << Narrow(c.text);
        ExpectEndsWithin(tlr, 10000);
    }
}

TEST(Countdown, NoWaitMeansNoWindow) {
    TempFolder folder;
    Program tlr;
    StartExit(tlr, folder, L"スリープ");
    bool sawWindow = false;
    EXPECT_TRUE(WaitUntil(
        [&] {
            if (!tlr.TopWindows().empty()) sawWindow = true;
            return !tlr.IsRunning();
        },
        5000));
    EXPECT_FALSE(sawWindow) << "a window showed although the text asks for no wait";
    ExpectEndsWithin(tlr, 1000);
}

// Ending the session ends every program of the Wine prefix, this test's own included.
// The first step, run by the test script in a prefix of its own, only starts a bystander
// and the program; the second step, run afterwards in the usual prefix, reads what the
// bystander recorded in a folder both can reach.
namespace {
bool SessionStepsEnabled() {
    wchar_t value[8] = {};
    return GetEnvironmentVariableW(L"TLR_SESSION_TEST", value, 8) > 0 && value[0] == L'1';
}

std::wstring SessionFolder() {
    return ExeDir() + L"\\session-end";
}
std::wstring RecordPath() {
    return SessionFolder() + L"\\record.txt";
}

std::string ReadRecord() {
    HANDLE file = CreateFileW(RecordPath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

// Starts a process that outlives this test (the driver's Program ends its process).
bool StartDetached(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder) {
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

struct RecordLine {
    std::string what;
    unsigned long long value;
};
std::vector<RecordLine> ParseRecord(const std::string& text) {
    std::vector<RecordLine> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        RecordLine parsed{line, 0};
        size_t blank = line.find(' ');
        if (blank != std::string::npos) {
            parsed.what = line.substr(0, blank);
            parsed.value = std::stoull(line.substr(blank + 1));
        }
        lines.push_back(parsed);
    }
    return lines;
}
}  // namespace

TEST(SessionEnd, Start) {
    if (!SessionStepsEnabled()) GTEST_SKIP() << "runs only in a Wine prefix of its own";
    CreateDirectoryW(SessionFolder().c_str(), nullptr);
    DeleteFileW(RecordPath().c_str());
    std::wstring ini = SessionFolder() + L"\\TLR.ini";
    WritePrivateProfileStringW(L"Session", L"Act", L"2", ini.c_str());
    WritePrivateProfileStringW(L"Session", L"ParamWinExit", L"通常の終了 待機時間 =1秒", ini.c_str());

    ASSERT_TRUE(StartDetached(HelperPath(L"session_bystander"), L"\"" + RecordPath() + L"\" \"通常の終了 までの時間\"",
                              SessionFolder()));
    ASSERT_TRUE(WaitUntil([] { return ReadRecord().find("ready") != std::string::npos; }, kWait))
        << "the bystander did not start";
    ASSERT_TRUE(StartDetached(ProgramPath(), L"*Session", SessionFolder()));
}

TEST(SessionEnd, Check) {
    if (!SessionStepsEnabled()) GTEST_SKIP() << "runs only after the first step";
    ASSERT_TRUE(WaitUntil([] { return ReadRecord().find("end ") != std::string::npos; }, 60000))
        << "the bystander recorded no end of session:\n"
        << ReadRecord();
    std::vector<RecordLine> lines = ParseRecord(ReadRecord());
    std::vector<std::string> order;
    unsigned long long shown = 0, hidden = 0, endFlag = 0;
    bool fullBar = false;
    for (const RecordLine& line : lines) {
        if (line.what == "bar") {
            if (line.value == 1) fullBar = true;  // "bar <position> <ms>"
            continue;
        }
        order.push_back(line.what);
        if (line.what == "countdown-shown") shown = line.value;
        if (line.what == "countdown-hidden") hidden = line.value;
        if (line.what == "end") endFlag = line.value;
    }
    std::vector<std::string> expected = {"ready",          "countdown-shown", "countdown-hidden",
                                         "countdown-gone", "query",           "end"};
    EXPECT_EQ(order, expected) << ReadRecord();
    EXPECT_EQ(endFlag, 1u) << "WM_ENDSESSION did not say that the session ends";
    // The bar starts full (1 of 1), and the window closes after one tick.
    EXPECT_TRUE(fullBar) << ReadRecord();
    EXPECT_GE(hidden - shown, 600u) << ReadRecord();
    EXPECT_LT(hidden - shown, 2000u) << ReadRecord();
}
