// The watch-and-act run as the user meets it: the command action from "*" and from "#"
// with a setting that watches nothing, the show command and working directory the started
// program receives, the failure box, and the desktop capture before the action.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "driver/driver.h"

using namespace e2e;

namespace {
const DWORD kWait = 20000;
const wchar_t kSection[] = L"run";

// What the show_command helper wrote: show, dir and args.
std::map<std::wstring, std::wstring> ReadReport(const TempFolder& folder, const std::wstring& name) {
    std::map<std::wstring, std::wstring> values;
    std::wstring text = Widen(folder.ReadBytes(name));
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(start, end - start);
        size_t equals = line.find(L'=');
        if (equals != std::wstring::npos) values[line.substr(0, equals)] = line.substr(equals + 1);
        start = end + 2;
    }
    return values;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return _wcsicmp(a.c_str(), b.c_str()) == 0;
}

// The helper's command: program (quoted) and the report file (quoted).
std::wstring HelperCommand(const std::wstring& program, const TempFolder& folder, const std::wstring& report) {
    return L"\"" + program + L"\" \"" + folder.File(report) + L"\"";
}

// A value the settings file keeps with its blanks: enclosed in double quotes.
std::wstring Kept(const std::wstring& value) {
    return L"\"" + value + L"\"";
}

void WriteCommandSetting(const TempFolder& folder, const std::wstring& command, int act = 1) {
    folder.WriteSetting(kSection, L"Act", act);
    folder.WriteSetting(kSection, L"ParamCmd", Kept(command));
}

// Starts the program, waits for the report, then for the end with code 0.
std::map<std::wstring, std::wstring> RunAndReport(const TempFolder& folder, const std::wstring& arguments) {
    Program tlr;
    EXPECT_TRUE(tlr.Start(ProgramPath(), arguments, folder.Path()));
    EXPECT_TRUE(WaitUntil([&] { return folder.Exists(L"report.txt"); }, kWait)) << "the command did not run";
    DWORD code = 99;
    EXPECT_TRUE(tlr.WaitExit(kWait, &code));
    EXPECT_EQ(code, 0u);
    return ReadReport(folder, L"report.txt");
}

// Expects one error box with the text, presses OK.
void ExpectErrorBox(const Program& tlr, const std::wstring& text) {
    MessageBoxInfo box = tlr.WaitForMessageBox(kWait);
    ASSERT_TRUE(box) << "no box, expected " << Narrow(text);
    EXPECT_EQ(box.caption, L"Tollerup");
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONERROR));
    ASSERT_TRUE(PressButton(box.window, IDOK));
}

// The same for a box whose code depends on the system.
void ExpectErrorBoxBeginning(const Program& tlr, const std::wstring& start) {
    MessageBoxInfo box = tlr.WaitForMessageBox(kWait);
    ASSERT_TRUE(box) << "no box, expected " << Narrow(start);
    EXPECT_EQ(box.text.substr(0, start.size()), start) << Narrow(box.text);
    EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONERROR));
    ASSERT_TRUE(PressButton(box.window, IDOK));
}

ULONGLONG FileTimeValue(const FILETIME& time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}
ULONGLONG Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return FileTimeValue(now);
}
ULONGLONG LastWrite(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return FileTimeValue(data.ftLastWriteTime);
}
const ULONGLONG kTicksPerMs = 10000;

COLORREF ScreenPixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    COLORREF colour = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return colour;
}

// A popup of one colour on top of everything, painted before it is used.
class SolidWindow {
public:
    SolidWindow(const RECT& place, COLORREF colour) : brush_(CreateSolidBrush(colour)) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = brush_;
        wc.lpszClassName = L"TLRTESTSOLID";
        RegisterClassW(&wc);
        window_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"TLRTESTSOLID", L"", WS_POPUP, place.left,
                                  place.top, place.right - place.left, place.bottom - place.top, nullptr, nullptr,
                                  wc.hInstance, nullptr);
        ShowWindow(window_, SW_SHOWNOACTIVATE);
        UpdateWindow(window_);
        // Mapped and painted: its middle shows its colour.
        POINT middle = {(place.left + place.right) / 2, (place.top + place.bottom) / 2};
        WaitUntil([&] { return ScreenPixel(middle.x, middle.y) == colour; }, 10000);
    }
    ~SolidWindow() {
        DestroyWindow(window_);
        UnregisterClassW(L"TLRTESTSOLID", GetModuleHandleW(nullptr));
        DeleteObject(brush_);
    }
    HWND Get() const { return window_; }

private:
    HBRUSH brush_;
    HWND window_ = nullptr;
};

uint32_t U32(const std::string& b, size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}
uint16_t U16(const std::string& b, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
}
}  // namespace

TEST(CommandAction, StarRoadRunsTheCommandShownNormally) {
    TempFolder folder;
    WriteCommandSetting(folder, HelperCommand(HelperPath(L"show_command"), folder, L"report.txt"));
    std::map<std::wstring, std::wstring> report = RunAndReport(folder, std::wstring(L"*") + kSection);
    EXPECT_EQ(report[L"show"], L"1");
    EXPECT_EQ(report[L"args"], L"\"" + folder.File(L"report.txt") + L"\"");
}

TEST(CommandAction, IconStartsTheProgramMinimized) {
    TempFolder folder;
    WriteCommandSetting(folder, L"Icon " + HelperCommand(HelperPath(L"show_command"), folder, L"report.txt"));
    std::map<std::wstring, std::wstring> report = RunAndReport(folder, std::wstring(L"*") + kSection);
    EXPECT_EQ(report[L"show"], L"6");
}

TEST(CommandAction, QuotedPathWithBlanksRunsInItsOwnFolder) {
    TempFolder folder(L"tlr run");
    std::wstring programs = folder.File(L"my programs");
    ASSERT_TRUE(CreateDirectoryW(programs.c_str(), nullptr));
    std::wstring copy = programs + L"\\show command.exe";
    ASSERT_TRUE(CopyFileW(HelperPath(L"show_command").c_str(), copy.c_str(), FALSE));
    // Blanks around the command must not reach the shell.
    WriteCommandSetting(folder, L"   " + HelperCommand(copy, folder, L"report.txt") + L"   ");
    std::map<std::wstring, std::wstring> report = RunAndReport(folder, std::wstring(L"*") + kSection);
    EXPECT_TRUE(SamePath(report[L"dir"], programs)) << Narrow(report[L"dir"]);
    EXPECT_EQ(report[L"args"], L"\"" + folder.File(L"report.txt") + L"\"");
}

TEST(CommandAction, BareNameRunsInTheProgramsFolderAndDriveRootKeepsItsBackslash) {
    TempFolder folder;
    ASSERT_TRUE(CopyFileW(HelperPath(L"show_command").c_str(), folder.File(L"show_command.exe").c_str(), FALSE));
    WriteCommandSetting(folder, L"show_command.exe \"" + folder.File(L"report.txt") + L"\"");
    std::map<std::wstring, std::wstring> bare = RunAndReport(folder, std::wstring(L"*") + kSection);
    EXPECT_TRUE(SamePath(bare[L"dir"], folder.Path())) << Narrow(bare[L"dir"]);

    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    std::wstring root = std::wstring(windows, 3);  // "C:\"
    std::wstring atRoot = root + L"tlr_show_" + std::to_wstring(GetCurrentProcessId()) + L".exe";
    ASSERT_TRUE(CopyFileW(HelperPath(L"show_command").c_str(), atRoot.c_str(), FALSE));
    ASSERT_TRUE(DeleteFileW(folder.File(L"report.txt").c_str()));
    WriteCommandSetting(folder, atRoot + L" \"" + folder.File(L"report.txt") + L"\"");
    std::map<std::wstring, std::wstring> rooted = RunAndReport(folder, std::wstring(L"*") + kSection);
    DeleteFileW(atRoot.c_str());
    EXPECT_TRUE(SamePath(rooted[L"dir"], root)) << Narrow(rooted[L"dir"]);
}

// A command longer than the action takes is refused whole, from either road: its first
// 519 characters (a command that would run) never start. The watch is refused before it
// starts, with exit code 1.
TEST(CommandAction, TextLongerThanTheActionTakesIsRefusedWhole) {
    TempFolder folder;
    std::wstring command = HelperCommand(HelperPath(L"show_command"), folder, L"report.txt");
    ASSERT_LT(command.size(), 400u);
    std::wstring full = command + L" " + std::wstring(600 - command.size() - 1, L'a');
    WriteCommandSetting(folder, full);
    folder.WriteSetting(kSection, L"WatchMode", 2);
    const struct {
        const wchar_t* road;
        DWORD code;
    } roads[] = {{L"*", 0}, {L"#", 1}};
    for (const auto& road : roads) {
        SCOPED_TRACE(Narrow(road.road));
        Program tlr;
        ASSERT_TRUE(tlr.Start(ProgramPath(), road.road + std::wstring(kSection), folder.Path()));
        ExpectErrorBox(tlr, L"動作のパラメータが長すぎます");
        DWORD code = 99;
        ASSERT_TRUE(tlr.WaitExit(kWait, &code));
        EXPECT_EQ(code, road.code);
        EXPECT_EQ(tlr.StartedProcesses(), 0) << "the command ran";
        EXPECT_FALSE(folder.Exists(L"report.txt")) << "the command ran";
    }
}

TEST(CommandAction, FailuresShowTheShellValueAndEndNormally) {
    TempFolder folder;
    const std::wstring commands[] = {L"\"" + folder.File(L"nothing here.exe") + L"\" /x", L"Icon ",
                                     L"\"" + folder.File(L"unbalanced.exe") + L" /x"};
    for (const std::wstring& command : commands) {
        SCOPED_TRACE(Narrow(command));
        WriteCommandSetting(folder, command);
        Program tlr;
        ASSERT_TRUE(tlr.Start(ProgramPath(), std::wstring(L"*") + kSection, folder.Path()));
        ExpectErrorBox(tlr, L"Execute Error Code = 2");
        DWORD code = 99;
        ASSERT_TRUE(tlr.WaitExit(kWait, &code));
        EXPECT_EQ(code, 0u);
    }
}

TEST(Run, NoWatchCapturesThenActsWithOneSecondPauses) {
    TempFolder folder;
    const COLORREF colour = RGB(0x21, 0xA3, 0x5C);
    RECT place = {300, 200, 460, 320};
    SolidWindow solid(place, colour);
    ASSERT_EQ(ScreenPixel(380, 260), colour) << "the solid window is not on the screen";

    folder.WriteSetting(kSection, L"WatchMode", 2);
    folder.WriteSetting(kSection, L"Capture", 1);
    folder.WriteSetting(kSection, L"ScrLeft", 320);  // not outlined: no screen watch ran
    folder.WriteSetting(kSection, L"ScrTop", 220);
    folder.WriteSetting(kSection, L"ScrRight", 400);
    folder.WriteSetting(kSection, L"ScrBottom", 300);
    WriteCommandSetting(folder, HelperCommand(HelperPath(L"show_command"), folder, L"report.txt"));
    ULONGLONG started = Now();
    std::map<std::wstring, std::wstring> report = RunAndReport(folder, std::wstring(L"#") + kSection);
    EXPECT_EQ(report[L"show"], L"1");

    ULONGLONG captured = LastWrite(folder.File(L"Capture.bmp"));
    ULONGLONG acted = LastWrite(folder.File(L"report.txt"));
    ASSERT_NE(captured, 0u) << "no Capture.bmp";
    EXPECT_GE(captured, started + 1000 * kTicksPerMs) << "captured after " << (captured - started) / kTicksPerMs;
    EXPECT_GE(acted, captured + 1000 * kTicksPerMs) << "acted after " << (acted - captured) / kTicksPerMs;

    int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    int width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    uint32_t stride = (static_cast<uint32_t>(width) * 24 + 31) / 32 * 4;
    std::string b = folder.ReadBytes(L"Capture.bmp");
    ASSERT_EQ(b.size(), 54u + static_cast<size_t>(stride) * static_cast<size_t>(height));
    EXPECT_EQ(U16(b, 0), 0x4D42);
    EXPECT_EQ(U32(b, 2), b.size());
    EXPECT_EQ(U32(b, 6), 0u);
    EXPECT_EQ(U32(b, 10), 54u);
    EXPECT_EQ(U32(b, 14), 40u);
    EXPECT_EQ(static_cast<int>(U32(b, 18)), width);
    EXPECT_EQ(static_cast<int>(U32(b, 22)), height);
    EXPECT_EQ(U16(b, 26), 1);
    EXPECT_EQ(U16(b, 28), 24);
    for (size_t at = 30; at < 54; at += 4) EXPECT_EQ(U32(b, at), 0u) << "offset " << at;

    // Rows bottom-up, pixels blue, green, red.
    auto pixel = [&](int x, int y) {
        size_t at = 54 + static_cast<size_t>(height - 1 - (y - top)) * stride + static_cast<size_t>(x - left) * 3;
        return RGB(static_cast<unsigned char>(b[at + 2]), static_cast<unsigned char>(b[at + 1]),
                   static_cast<unsigned char>(b[at]));
    };
    const POINT inside[] = {{302, 202}, {457, 202}, {380, 260}, {302, 317}, {457, 317}, {319, 219}, {400, 300}};
    for (const POINT& p : inside) EXPECT_EQ(pixel(p.x, p.y), colour) << p.x << "," << p.y;
    EXPECT_NE(pixel(296, 260), colour);
    EXPECT_NE(pixel(380, 324), colour);
}

TEST(Run, KindWithoutActionDoesNothing) {
    TempFolder folder;
    folder.WriteSetting(kSection, L"WatchMode", 2);
    WriteCommandSetting(folder, HelperCommand(HelperPath(L"show_command"), folder, L"report.txt"), 3);
    Program tlr;
    ASSERT_TRUE(tlr.Start(ProgramPath(), std::wstring(L"#") + kSection, folder.Path()));
    DWORD code = 99;
    ASSERT_TRUE(tlr.WaitExit(kWait, &code));
    EXPECT_EQ(code, 0u);
    // Ended without starting the command.
    EXPECT_EQ(tlr.StartedProcesses(), 0) << "the program started a process";
    EXPECT_FALSE(folder.Exists(L"report.txt"));
    EXPECT_FALSE(folder.Exists(L"Capture.bmp"));
}

TEST(Run, CaptureThatCannotBeWrittenIsReportedAndTheActionRuns) {
    TempFolder folder;
    folder.WriteSetting(kSection, L"WatchMode", 2);
    folder.WriteSetting(kSection, L"Capture", 1);
    WriteCommandSetting(folder, HelperCommand(HelperPath(L"show_command"), folder, L"report.txt"));
    {
        // Held open by another program that lets nobody replace it.
        HANDLE held = CreateFileW(folder.File(L"Capture.bmp").c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        Program tlr;
        ASSERT_TRUE(tlr.Start(ProgramPath(), std::wstring(L"#") + kSection, folder.Path()));
        ExpectErrorBoxBeginning(tlr, L"MoveFileEx Error Code =");
        EXPECT_TRUE(WaitUntil([&] { return folder.Exists(L"report.txt"); }, kWait)) << "no action after the box";
        DWORD code = 99;
        EXPECT_TRUE(tlr.WaitExit(kWait, &code));
        EXPECT_EQ(code, 0u);
        EXPECT_EQ(GetFileSize(held, nullptr), 0u);
        CloseHandle(held);
    }
    {
        // A folder where the file should go.
        ASSERT_TRUE(DeleteFileW(folder.File(L"Capture.bmp").c_str()));
        ASSERT_TRUE(DeleteFileW(folder.File(L"report.txt").c_str()));
        ASSERT_TRUE(CreateDirectoryW(folder.File(L"Capture.bmp").c_str(), nullptr));
        Program tlr;
        ASSERT_TRUE(tlr.Start(ProgramPath(), std::wstring(L"#") + kSection, folder.Path()));
        ExpectErrorBoxBeginning(tlr, L"MoveFileEx Error Code =");
        EXPECT_TRUE(WaitUntil([&] { return folder.Exists(L"report.txt"); }, kWait)) << "no action after the box";
        DWORD code = 99;
        EXPECT_TRUE(tlr.WaitExit(kWait, &code));
        EXPECT_EQ(code, 0u);
    }
}
