// The Windows-exit action as the user meets it: the countdown window and its buttons,
// and, in a Wine prefix of its own, the end of the session as another program sees it.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "driver/mouse_driver.h"
#include "driver/system_state.h"

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

int BarPosition(HWND countdown) {
    DWORD_PTR position = 0;
    if (!SendMessageTimeoutW(ChildById(countdown, 9502), PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 1000, &position))
        return -1;
    return static_cast<int>(position);
}

// The program ended of itself with code 0 and asked the system for nothing: under Wine
// ending the session starts a process of the system, which would be counted here.
void ExpectEndedWithoutExit(const Program& tlr) {
    ASSERT_NO_FATAL_FAILURE(ExpectEndsWithin(tlr, kWait));
    EXPECT_EQ(tlr.StartedProcesses(), 0) << "the program started a process";
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

    // The bar loses one step at each tick; the total stays.
    std::vector<int> seen = {30};
    EXPECT_TRUE(WaitUntil(
        [&] {
            int position = BarPosition(countdown);
            if (position >= 0 && position != seen.back()) seen.push_back(position);
            return position >= 0 && position <= 28;
        },
        kWait))
        << "the bar did not move";
    for (size_t i = 1; i < seen.size(); ++i) EXPECT_LT(seen[i], seen[i - 1]) << "step " << i;
    EXPECT_EQ(WindowText(ChildById(countdown, 9501)), L"30秒");

    // Cancelling ends the program with nothing else done.
    ASSERT_TRUE(PressButton(countdown, 9504));
    ExpectEndedWithoutExit(tlr);
}

TEST(Countdown, CloseBoxCancels) {
    TempFolder folder;
    Program tlr;
    StartExit(tlr, folder, L"通常の終了 待機時間 =30秒");
    HWND countdown = tlr.WaitForWindowTitled(L"通常の終了 までの時間", kWait);
    ASSERT_NE(countdown, nullptr);
    ASSERT_TRUE(PostMessageW(countdown, WM_SYSCOMMAND, SC_CLOSE, 0));
    ExpectEndedWithoutExit(tlr);
}

// The countdown comes up on top of whatever the user is typing into. A key meant for that
// window (Enter, Space, Esc) cancels: nothing but a deliberate press of "即実行" ends
// Windows early, the more so with the force on.
TEST(Countdown, KeysMeantForAnotherWindowCancel) {
    TempFolder folder;
    const struct {
        WORD key;
        const char* name;
    } keys[] = {{VK_RETURN, "Enter"}, {VK_SPACE, "Space"}, {VK_ESCAPE, "Esc"}};
    for (const auto& k : keys) {
        Program tlr;
        StartExit(tlr, folder, L"通常の終了 強制終了 待機時間 =30秒");
        HWND countdown = tlr.WaitForWindowTitled(L"通常の終了 強制終了 までの時間", kWait);
        ASSERT_NE(countdown, nullptr) << k.name;
        ASSERT_TRUE(WaitUntil(
            [&] {
                if (GetForegroundWindow() == countdown) return true;
                SetForegroundWindow(countdown);
                return false;
            },
            kWait))
            << k.name << ": the countdown did not come to the foreground";
        ASSERT_TRUE(TypeKey(k.key)) << k.name;
        ASSERT_NO_FATAL_FAILURE(ExpectEndedWithoutExit(tlr)) << k.name;
    }
}

// Sleep and hibernation do nothing under Wine, so these texts show the countdown's end
// without ending the session of the test: the window stays until the bar has run down.
TEST(Countdown, TimeOutProceedsAfterTheTicks) {
    TempFolder folder;
    struct Case {
        const wchar_t* text;
        const wchar_t* title;
        int seconds;
    } cases[] = {{L"休止状態 強制終了 待機時間 =3秒", L"休止状態 強制終了 までの時間", 3},
                 {L"スリープ 待機時間 =2秒", L"スリープ までの時間", 2}};
    for (const Case& c : cases) {
        Program tlr;
        StartExit(tlr, folder, c.text);
        HWND countdown = tlr.WaitForWindowTitled(c.title, kWait);
        ASSERT_NE(countdown, nullptr) << Narrow(c.text);
        // The bar's positions while the window shows.
        std::vector<int> seen;
        bool gone = false;
        EXPECT_TRUE(WaitUntil(
            [&] {
                if (!IsWindow(countdown) || !IsWindowVisible(countdown)) {
                    gone = true;
                    return true;
                }
                int position = BarPosition(countdown);
                if (position >= 0 && (seen.empty() || position != seen.back())) seen.push_back(position);
                return false;
            },
            kWait))
            << Narrow(c.text);
        EXPECT_TRUE(gone);
        // From the full bar it went down, and the window stayed until the last second.
        ASSERT_FALSE(seen.empty()) << Narrow(c.text);
        EXPECT_EQ(seen.front(), c.seconds) << Narrow(c.text);
        EXPECT_LE(seen.back(), 1) << Narrow(c.text);
        for (size_t i = 1; i < seen.size(); ++i) EXPECT_LT(seen[i], seen[i - 1]) << Narrow(c.text);
        ExpectEndsWithin(tlr, kWait);
    }
}

// A hand-written wait of 0 still shows the window, with an empty bar, and then goes on.
TEST(Countdown, ZeroSecondsShowsTheWindowOnce) {
    TempFolder folder;
    Program tlr;
    StartExit(tlr, folder, L"スリープ 待機時間 =0秒");
    HWND countdown = tlr.WaitForWindowTitled(L"スリープ までの時間", kWait);
    ASSERT_NE(countdown, nullptr);
    ExpectEndsWithin(tlr, kWait);
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
// Each case has two steps: the first, run by the test script in a prefix of its own, only
// starts a bystander and the program; the second, run afterwards in the usual prefix,
// reads what the bystander recorded in a folder both can reach. The cases run one after
// the other in the same prefix.
namespace {
bool SessionStepsEnabled() {
    wchar_t value[8] = {};
    return GetEnvironmentVariableW(L"TLR_SESSION_TEST", value, 8) > 0 && value[0] == L'1';
}

std::wstring SessionFolder(const wchar_t* caseName) {
    return ExeDir() + L"\\session-end-" + caseName;
}
std::wstring RecordPath(const wchar_t* caseName) {
    return SessionFolder(caseName) + L"\\record.txt";
}

std::string ReadRecord(const wchar_t* caseName) {
    return ReadFileBytes(RecordPath(caseName));
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

// Whether a process of one of these programs (file names, any case) is running.
bool AnyRunning(const std::vector<std::wstring>& names) {
    std::vector<DWORD> ids(4096);
    DWORD bytes = 0;
    if (!K32EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes)) return true;
    for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i) {
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, ids[i]);
        if (!process) continue;
        wchar_t path[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        BOOL named = QueryFullProcessImageNameW(process, 0, path, &size);
        CloseHandle(process);
        if (!named) continue;
        const wchar_t* file = wcsrchr(path, L'\\');
        file = file ? file + 1 : path;
        for (const std::wstring& name : names) {
            if (_wcsicmp(file, name.c_str()) == 0) return true;
        }
    }
    return false;
}

// Starts the bystander and then the program on the exit text, after the end of an
// earlier session in this prefix has run its course.
void StartSessionCase(const wchar_t* caseName, const wchar_t* exitText, const wchar_t* title, bool pressRunNow) {
    ASSERT_TRUE(WaitUntil(
        [] {
            return !AnyRunning({L"session_bystander.exe", L"TLR64.exe", L"wineboot.exe"});
        },
        60000))
        << "the programs of an earlier session are still running";
    CreateDirectoryW(SessionFolder(caseName).c_str(), nullptr);
    DeleteFileW(RecordPath(caseName).c_str());
    std::wstring ini = SessionFolder(caseName) + L"\\TLR.ini";
    WritePrivateProfileStringW(L"Session", L"Act", L"2", ini.c_str());
    WritePrivateProfileStringW(L"Session", L"ParamWinExit", exitText, ini.c_str());

    std::wstring arguments = L"\"" + RecordPath(caseName) + L"\" \"" + title + L"\"";
    if (pressRunNow) arguments += L" run-now";
    ASSERT_TRUE(StartDetached(HelperPath(L"session_bystander"), arguments, SessionFolder(caseName)));
    ASSERT_TRUE(WaitUntil([&] { return ReadRecord(caseName).find("ready") != std::string::npos; }, kWait))
        << "the bystander did not start";
    ASSERT_TRUE(StartDetached(ProgramPath(), L"*Session", SessionFolder(caseName)));
}

// What the bystander saw, in order: the events, the bar positions while the countdown
// showed, and the times of the press and of the end.
struct SessionRecord {
    std::vector<std::string> events;
    std::vector<unsigned long long> bars;
    unsigned long long pressed = 0;
    unsigned long long endFlag = 0;
    unsigned long long ended = 0;
    std::string text;
};

SessionRecord WaitForSessionEnd(const wchar_t* caseName, DWORD timeoutMs) {
    SessionRecord record;
    bool ended = WaitUntil([&] { return ReadRecord(caseName).find("end ") != std::string::npos; }, timeoutMs);
    record.text = ReadRecord(caseName);
    EXPECT_TRUE(ended) << "the bystander recorded no end of session:\n" << record.text;
    std::istringstream in(record.text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        std::istringstream words(line);
        std::string what;
        unsigned long long first = 0, second = 0;
        words >> what >> first >> second;
        if (what == "bar") {
            record.bars.push_back(first);
            continue;
        }
        record.events.push_back(what);
        if (what == "pressed") record.pressed = first;
        if (what == "end") {
            record.endFlag = first;
            record.ended = second;
        }
    }
    return record;
}
}  // namespace

// A countdown that runs out ends the session: the bar runs down from full, and then
// another program is asked to end and is told that the session ends.
TEST(SessionEnd, StartCountdownRunsOut) {
    if (!SessionStepsEnabled()) GTEST_SKIP() << "runs only in a Wine prefix of its own";
    StartSessionCase(L"runs-out", L"通常の終了 待機時間 =2秒", L"通常の終了 までの時間", false);
}

TEST(SessionEnd, CheckCountdownRunsOut) {
    if (!SessionStepsEnabled()) GTEST_SKIP() << "runs only after the first step";
    SessionRecord record = WaitForSessionEnd(L"runs-out", 60000);
    std::vector<std::string> expected = {"ready",          "countdown-shown", "countdown-hidden",
                                         "countdown-gone", "query",           "end"};
    EXPECT_EQ(record.events, expected) << record.text;
    EXPECT_EQ(record.endFlag, 1u) << "WM_ENDSESSION did not say that the session ends";
    // Full at the start, going down, and at least one tick before the end.
    ASSERT_FALSE(record.bars.empty()) << record.text;
    EXPECT_EQ(record.bars.front(), 2u) << record.text;
    EXPECT_LE(record.bars.back(), 1u) << record.text;
    for (size_t i = 1; i < record.bars.size(); ++i) EXPECT_LT(record.bars[i], record.bars[i - 1]) << record.text;
}

// "即実行" on a long countdown ends the session at once.
TEST(SessionEnd, StartRunNow) {
    if (!SessionStepsEnabled()) GTEST_SKIP() << "runs only in a Wine prefix of its own";
    StartSessionCase(L"run-now", L"通常の終了 待機時間 =60秒", L"通常の終了 までの時間", true);
}

TEST(SessionEnd, CheckRunNow) {
    if (!SessionStepsEnabled()) GTEST_SKIP() << "runs only after the first step";
    SessionRecord record = WaitForSessionEnd(L"run-now", 90000);
    std::vector<std::string> expected = {"ready",          "countdown-shown", "pressed", "countdown-hidden",
                                         "countdown-gone", "query",           "end"};
    EXPECT_EQ(record.events, expected) << record.text;
    EXPECT_EQ(record.endFlag, 1u) << "WM_ENDSESSION did not say that the session ends";
    ASSERT_FALSE(record.bars.empty()) << record.text;
    EXPECT_EQ(record.bars.front(), 60u) << "the bar did not start full";
    // Far sooner than the countdown's 60 seconds: only the button can have done it.
    EXPECT_LT(record.ended - record.pressed, 10000u) << record.text;
    std::fprintf(stderr, "the session ended %llu ms after the press\n", record.ended - record.pressed);
}

// Windows ends the session while a screen watch holds the screen saver off: the watch
// gives the hold back before its process is ended, so the user's screen saver survives the
// shutdown. The first step sets the screen saver on, starts the watch of a setting with
// the hold and, once the hold is in force, ends the session from a second instance; the
// second step, in the same prefix, reads the user's setting.
namespace {
const wchar_t kWatchCase[] = L"screen-watch";

struct WatchWindows {
    DWORD pid;
    int frames;
    std::vector<HWND> boxes;
};

BOOL CALLBACK CollectWatchWindows(HWND window, LPARAM param) {
    WatchWindows* found = reinterpret_cast<WatchWindows*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != found->pid || !IsWindowVisible(window)) return TRUE;
    if (ClassName(window) == L"SCRWATCHWINCLASS") ++found->frames;
    if (IsMessageBoxWindow(window)) found->boxes.push_back(window);
    return TRUE;
}
}  // namespace

TEST(SessionEnd, StartDuringAScreenWatch) {
    if (!SessionStepsEnabled()) GTEST_SKIP() << "runs only in a Wine prefix of its own";
    ASSERT_TRUE(WaitUntil(
        [] {
            return !AnyRunning({L"session_bystander.exe", L"TLR64.exe", L"wineboot.exe"});
        },
        60000))
        << "the programs of an earlier session are still running";
    CreateDirectoryW(SessionFolder(kWatchCase).c_str(), nullptr);
    DeleteFileW(RecordPath(kWatchCase).c_str());
    ASSERT_TRUE(WriteScreenSaveActive(L"1"));
    std::wstring ini = SessionFolder(kWatchCase) + L"\\TLR.ini";
    // A still corner of the screen, far from the boxes, with the hold on.
    const wchar_t* watch[][2] = {{L"WatchMode", L"0"},   {L"ScrLeft", L"1800"},        {L"ScrTop", L"950"},
                                 {L"ScrRight", L"1850"}, {L"ScrBottom", L"1000"},      {L"SSHold", L"1"},
                                 {L"Act", L"1"},         {L"ParamCmd", L"cmd /c exit"}};
    for (const auto& key : watch) WritePrivateProfileStringW(L"Watch", key[0], key[1], ini.c_str());
    WritePrivateProfileStringW(L"End", L"Act", L"2", ini.c_str());
    WritePrivateProfileStringW(L"End", L"ParamWinExit", L"通常の終了", ini.c_str());

    ASSERT_TRUE(StartDetached(HelperPath(L"session_bystander"), L"\"" + RecordPath(kWatchCase) + L"\"",
                              SessionFolder(kWatchCase)));
    ASSERT_TRUE(WaitUntil([&] { return ReadRecord(kWatchCase).find("ready") != std::string::npos; }, kWait))
        << "the bystander did not start";

    std::wstring commandLine = L"\"" + ProgramPath() + L"\" #Watch";
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessW(ProgramPath().c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               SessionFolder(kWatchCase).c_str(), &si, &pi));
    CloseHandle(pi.hThread);
    // The power scheme cannot be read under Wine: its boxes come before the watch.
    bool watching = WaitUntil(
        [&] {
            WatchWindows found = {pi.dwProcessId, 0, {}};
            EnumWindows(CollectWatchWindows, reinterpret_cast<LPARAM>(&found));
            for (HWND box : found.boxes) PressButton(box, IDOK);
            return found.frames == 4 && ReadScreenSaveActive() == L"0";
        },
        30000);
    DWORD code = 0;
    bool running = GetExitCodeProcess(pi.hProcess, &code) && code == STILL_ACTIVE;
    CloseHandle(pi.hProcess);
    ASSERT_TRUE(watching) << "the watch did not start with the hold in force";
    ASSERT_TRUE(running);
    ASSERT_TRUE(StartDetached(ProgramPath(), L"*End", SessionFolder(kWatchCase)));
}

TEST(SessionEnd, CheckDuringAScreenWatch) {
    if (!SessionStepsEnabled()) GTEST_SKIP() << "runs only after the first step";
    SessionRecord record = WaitForSessionEnd(kWatchCase, 60000);
    EXPECT_EQ(record.endFlag, 1u) << record.text;
    ASSERT_TRUE(WaitUntil(
        [] {
            return !AnyRunning({L"session_bystander.exe", L"TLR64.exe", L"wineboot.exe"});
        },
        60000))
        << "the programs of the session are still running";
    EXPECT_EQ(ReadScreenSaveActive(), L"1") << "the screen saver stayed off after the session ended";
}
