// The pieces of start-up that talk to the system: reporters, message loops, the version
// level, system libraries, the common controls, dialog helpers and tooltips.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <string>

#include "app/elevated_start.h"
#include "app/handles.h"
#include "app/message_box.h"
#include "app/message_loop.h"
#include "app/paths.h"
#include "app/system_info.h"
#include "app/startup_logic.h"
#include "app/system_library.h"
#include "common/box_recorder.h"
#include "common/temp_dir.h"
#include "wizard/dialog_helpers.h"

TEST(Reporters, FormatsAndFlags) {
    BoxRecorder boxes;
    SetLastError(5);
    EXPECT_FALSE(ReportLastError(FALSE, "CloseHandle2"));
    EXPECT_TRUE(ReportLastError(TRUE, "CloseHandle3"));
    EXPECT_EQ(ReportErrorCode(0, "RegOpenKeyEx"), 0);
    EXPECT_EQ(ReportErrorCode(-2, "RegOpenKeyEx"), -2);
    ReportHResult(S_FALSE, "CoCreateInstance");
    ReportHResult(static_cast<HRESULT>(0x80004001L), "SetMasterVolumeLevelScalar");
    ASSERT_EQ(boxes.boxes.size(), 3u);
    EXPECT_EQ(boxes.boxes[0].text, L"CloseHandle2 Error Code =5");
    EXPECT_EQ(boxes.boxes[1].text, L"RegOpenKeyEx Error Code =-2");
    EXPECT_EQ(boxes.boxes[2].text, L"SetMasterVolumeLevelScalar Error Code =0x80004001");
    for (const BoxRecorder::Box& box : boxes.boxes) {
        EXPECT_EQ(box.flags, static_cast<UINT>(MB_ICONERROR | MB_TOPMOST | MB_SETFOREGROUND));
        EXPECT_EQ(box.owner, nullptr);
    }
    // The error code survives the report for the caller.
    SetLastError(1234);
    ReportLastError(FALSE, L"スリープエラー");
    EXPECT_EQ(GetLastError(), 1234u);
    EXPECT_EQ(boxes.boxes.back().text, L"スリープエラー Error Code =1234");
}

TEST(Reporters, BoxKindsAndNarrowNamesInTheAnsiCodePage) {
    BoxRecorder boxes(IDYES);
    EXPECT_EQ(ShowQuestionBox(L"q", nullptr, MB_YESNO), IDYES);
    ShowInfoBox(L"i");
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].flags, static_cast<UINT>(MB_ICONQUESTION | MB_YESNO | MB_TOPMOST | MB_SETFOREGROUND));
    EXPECT_EQ(boxes.boxes[1].flags, static_cast<UINT>(MB_ICONINFORMATION | MB_TOPMOST | MB_SETFOREGROUND));
    // "休止状態エラー" in Shift-JIS reads back as the Japanese name.
    ASSERT_EQ(GetACP(), 932u) << "the tests run in the Japanese code page (LANG=ja_JP.UTF-8)";
    EXPECT_EQ(AnsiToWide("\x8b\x78\x8e\x7e\x8f\xf3\x91\xd4\x83\x47\x83\x89\x81\x5b").str(), L"休止状態エラー");
    EXPECT_EQ(AnsiToWide("WriteFile1").str(), L"WriteFile1");
}

namespace {
int g_dispatched = 0;
LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) ++g_dispatched;
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeCountingWindow() {
    WNDCLASSW wc = DescribeWindowClass(CountingProc, GetModuleHandleW(nullptr), nullptr, L"TLRTESTCOUNTING");
    RegisterClassW(&wc);
    return CreateWindowExW(0, L"TLRTESTCOUNTING", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}
}  // namespace

TEST(MessageLoops, PumpDispatchesWithoutWaitingAndKeepsQuit) {
    HWND window = MakeCountingWindow();
    ASSERT_NE(window, nullptr);
    g_dispatched = 0;
    PostMessageW(window, WM_APP, 0, 0);
    PostMessageW(window, WM_APP, 0, 0);
    PumpPendingMessages();  // returns although nothing more comes
    EXPECT_EQ(g_dispatched, 2);
    PostMessageW(window, WM_APP, 0, 0);
    PostQuitMessage(7);
    PumpPendingMessages();
    // The quit is still there for the loop that owns it.
    EXPECT_EQ(RunMessageLoop(nullptr), 7u);
    EXPECT_EQ(g_dispatched, 3);
    DestroyWindow(window);
}

TEST(SystemInfo, VersionLevelAndElevation) {
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    auto rtlGetVersion =
        reinterpret_cast<RtlGetVersionFn>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion"));
    ASSERT_NE(rtlGetVersion, nullptr);
    OSVERSIONINFOW v = {};
    v.dwOSVersionInfoSize = sizeof(v);
    rtlGetVersion(&v);
    int expected = 0;
    if (v.dwMajorVersion >= 10)
        expected = v.dwBuildNumber >= 22000 ? 6 : 5;
    else if (v.dwMajorVersion == 6)
        expected = static_cast<int>(v.dwMinorVersion) + 1;
    // What the system says of this process, asked here directly.
    BOOL actualWow64 = FALSE;
    ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &actualWow64));
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    DWORD size = 0;
    ASSERT_TRUE(GetTokenInformation(token, TokenElevationType, &type, sizeof(type), &size));
    CloseHandle(token);

    BoxRecorder boxes;
    BOOL wow64 = 2;
    int elevation = 0;
    EXPECT_EQ(CheckOsLevel(&wow64, &elevation), expected);
    EXPECT_EQ(wow64, actualWow64);
    EXPECT_EQ(elevation, ElevationFromTokenType(type));
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(ElevationFromTokenType(TokenElevationTypeDefault), 1);
    EXPECT_EQ(ElevationFromTokenType(TokenElevationTypeLimited), 2);
    EXPECT_EQ(ElevationFromTokenType(TokenElevationTypeFull), 3);
    EXPECT_EQ(ElevationFromTokenType(99), 1);
}

// The settings the program changes in the registry are those of the system's own view:
// the 64-bit one for the 32-bit build under WOW64.
TEST(SystemInfo, RegistryViewFollowsWow64) {
    EXPECT_EQ(RegistryViewFlagFor(true), KEY_WOW64_64KEY);
    EXPECT_EQ(RegistryViewFlagFor(false), KEY_WOW64_32KEY);
    BOOL wow64 = FALSE;
    ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
    registryViewFlag = 0;
    InitRegistryViewFlag();
    EXPECT_EQ(registryViewFlag, RegistryViewFlagFor(wow64 != FALSE));
}

TEST(DialogHelpers, FontsRangesAndRadioGroups) {
    LOGFONTW font;
    HDC screen = GetDC(nullptr);
    ASSERT_TRUE(DescribeFont(screen, kDialogFontFace, 9, font));
    // A font made from the description has characters 9 points high on this screen.
    HFONT made = CreateFontIndirectW(&font);
    ASSERT_NE(made, nullptr);
    HGDIOBJ previous = SelectObject(screen, made);
    TEXTMETRICW metrics = {};
    ASSERT_TRUE(GetTextMetricsW(screen, &metrics));
    SelectObject(screen, previous);
    DeleteObject(made);
    EXPECT_EQ(metrics.tmHeight - metrics.tmInternalLeading, MulDiv(9, GetDeviceCaps(screen, LOGPIXELSY), 72));
    EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET);
    EXPECT_EQ(font.lfWeight, 0);
    EXPECT_STREQ(font.lfFaceName, L"ＭＳ Ｐゴシック");
    EXPECT_FALSE(DescribeFont(screen, std::wstring(32, L'f').c_str(), 9, font));
    EXPECT_TRUE(DescribeFont(screen, std::wstring(31, L'f').c_str(), 9, font));
    ReleaseDC(nullptr, screen);

    bool clamped = false;
    EXPECT_EQ(ClampToRange(301, 0, 300, &clamped), 300);
    EXPECT_TRUE(clamped);
    EXPECT_EQ(ClampToRange(-1, 0, 300, &clamped), 0);
    EXPECT_TRUE(clamped);
    EXPECT_EQ(ClampToRange(30, 0, 300, &clamped), 30);
    EXPECT_FALSE(clamped);

    wchar_t file[MAX_PATH] = {};
    OPENFILENAMEW ofn = DescribeOpenFile(nullptr, L"All\0*.*\0", 1, file, MAX_PATH, L"t");
    EXPECT_EQ(ofn.Flags, 0x100Du);
    EXPECT_EQ(ofn.nMaxFile, static_cast<DWORD>(MAX_PATH));
}

TEST(DialogHelpers, RadioGroupUpDownAndTooltipOnRealControls) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HWND dialog = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, instance, nullptr);
    ASSERT_NE(dialog, nullptr);
    for (int i = 1; i <= 3; ++i)
        CreateWindowExW(0, L"BUTTON", L"r", WS_CHILD | BS_RADIOBUTTON, 0, i * 20, 50, 20, dialog,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(500 + i)), instance, nullptr);
    EXPECT_EQ(CheckedRadioIndex(dialog, 500, 3), -1);
    CheckRadioIndex(dialog, 500, 3, 2);
    EXPECT_EQ(CheckedRadioIndex(dialog, 500, 3), 2);
    CheckRadioIndex(dialog, 500, 3, 0);
    EXPECT_EQ(CheckedRadioIndex(dialog, 500, 3), 0);
    CheckRadioIndex(dialog, 500, 3, 7);
    EXPECT_EQ(CheckedRadioIndex(dialog, 500, 3), -1);

    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    HWND buddy = CreateWindowExW(0, L"EDIT", L"400", WS_CHILD, 100, 0, 50, 20, dialog, nullptr, instance, nullptr);
    HWND upDown = CreateWindowExW(0, UPDOWN_CLASSW, L"", WS_CHILD, 150, 0, 20, 20, dialog, nullptr, instance, nullptr);
    SendMessageW(upDown, UDM_SETRANGE, 0, MAKELPARAM(300, 0));
    int value = 0;
    EXPECT_TRUE(ClampUpDownBuddy(upDown, buddy, &value));
    EXPECT_EQ(value, 300);
    EXPECT_EQ(GetControlText(buddy), WideString(L"300"));
    SetWindowTextW(buddy, L"12");
    EXPECT_FALSE(ClampUpDownBuddy(upDown, buddy, &value));
    EXPECT_EQ(value, 12);

    HWND target = GetDlgItem(dialog, 501);
    HWND tip = AttachTooltip(dialog, target, L"短い\n一番長い行です");
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    EXPECT_EQ(SendMessageW(tip, TTM_GETDELAYTIME, TTDT_AUTOPOP, 0), 5000);
    EXPECT_GT(SendMessageW(tip, TTM_GETMAXTIPWIDTH, 0, 0), 0);
    UpdateTooltipText(tip, dialog, target, L"");
    wchar_t text[64] = {};
    TOOLINFOW info = {};
    info.cbSize = sizeof(info);
    info.hwnd = dialog;
    info.uId = reinterpret_cast<UINT_PTR>(target);
    info.lpszText = text;
    SendMessageW(tip, TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&info));
    EXPECT_STREQ(text, L" ");
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    DestroyWindow(dialog);
}

// A library that the program loads at run time comes from the system folder by its full
// path: a file of the same name in the current folder is never looked at, and nothing is
// looked up through a library that did not load.
TEST(SystemLibraries, LoadFromTheSystemFolderOnly) {
    wchar_t folder[MAX_PATH] = {};
    ASSERT_GT(GetSystemDirectoryW(folder, MAX_PATH), 0u);
    EXPECT_EQ(SystemLibraryPath(L"winmm.dll"), WideString(folder) + L"\\winmm.dll");
    HMODULE vdm = LoadSystemLibrary(L"vdmdbg.dll");
    ASSERT_NE(vdm, nullptr);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(vdm, path, MAX_PATH);
    EXPECT_EQ(lstrcmpiW(DirectoryPart(WideString(path)).c_str(), folder), 0) << "loaded from elsewhere";
    FreeLibrary(vdm);

    // A planted file: a search by name finds it (and fails on its contents), the system
    // library loader does not even see it.
    TempDir planted;
    const wchar_t name[] = L"tollerup-planted.dll";
    HANDLE file = CreateFileW(planted.File(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "not a library", 13, &written, nullptr);
    CloseHandle(file);
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(planted.Path().c_str()));
    HMODULE byName = LoadLibraryW(name);
    DWORD byNameError = GetLastError();
    HMODULE bySystem = LoadSystemLibrary(name);
    DWORD bySystemError = GetLastError();
    SetCurrentDirectoryW(previous);
    EXPECT_EQ(byName, nullptr);
    EXPECT_NE(byNameError, static_cast<DWORD>(ERROR_MOD_NOT_FOUND)) << "the planted file was not found by name";
    EXPECT_EQ(bySystem, nullptr);
    EXPECT_EQ(bySystemError, static_cast<DWORD>(ERROR_MOD_NOT_FOUND)) << "the system loader looked at the planted file";
}

// A function that cannot be found gives null and, when asked to, the usual error box with
// the function's name: 127 for a function the library lacks, 126 when the library itself
// is missing. A function that is there can be called.
TEST(SystemLibraries, MissingFunctionsAreReportedNotCalled) {
    typedef ULONGLONG(WINAPI * TickProc)();
    BoxRecorder boxes;
    SystemLibrary kernel(L"kernel32.dll");
    ASSERT_TRUE(kernel.IsLoaded());
    TickProc tick = kernel.FindAs<TickProc>("GetTickCount64");
    ASSERT_NE(tick, nullptr);
    EXPECT_GT(tick(), 0u);
    EXPECT_EQ(kernel.FindAs<TickProc>("TollerupNoSuchFunction"), nullptr);

    SystemLibrary absent(L"tollerup-no-such-library.dll");
    EXPECT_FALSE(absent.IsLoaded());
    EXPECT_EQ(absent.Find("PowerGetActiveScheme"), nullptr);
    DWORD error = 0;
    EXPECT_EQ(absent.Lookup("PowerSetActiveScheme", &error), nullptr);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(kernel.Lookup("TollerupNoSuchFunction", &error), nullptr);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_PROC_NOT_FOUND));

    // Lookup leaves the report to the caller.
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].text, L"TollerupNoSuchFunction Error Code =127");
    EXPECT_EQ(boxes.boxes[1].text, L"PowerGetActiveScheme Error Code =126");
}

// The program's own path is read at any length: a buffer too small at first grows.
TEST(ProgramPath, ReadAtAnyLength) {
    std::wstring whole(32768, L'\0');
    whole.resize(GetModuleFileNameW(nullptr, &whole[0], 32768));
    ASSERT_FALSE(whole.empty());
    for (unsigned long first : {1ul, 4ul, static_cast<unsigned long>(whole.size()), 260ul})
        EXPECT_EQ(ModuleFilePath(nullptr, first), WideString(whole)) << first;
    EXPECT_EQ(lstrcmpiW(FileNamePart(ModuleFilePath(nullptr)).c_str(), L"app_tests.exe"), 0);
}

// A current folder longer than MAX_PATH is read whole, not as an empty text.
TEST(CurrentFolder, ReadAtAnyLength) {
    TempDir base;
    std::wstring deep = base.Path();
    while (deep.size() <= MAX_PATH + 20) {
        deep += L"\\" + std::wstring(60, L'd');
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr)) << GetLastError();
    }
    WideString before = CurrentFolderPath();
    ASSERT_FALSE(before.IsEmpty());
    if (!SetCurrentDirectoryW((L"\\\\?\\" + deep).c_str()) && !SetCurrentDirectoryW(deep.c_str())) {
        // Windows without long paths for this program: nothing that long can be current.
        for (size_t end = deep.size(); end > base.Path().size(); end = deep.rfind(L'\\', end - 1))
            RemoveDirectoryW((L"\\\\?\\" + deep.substr(0, end)).c_str());
        GTEST_SKIP() << "no current folder longer than MAX_PATH here";
    }
    WideString current = CurrentFolderPath();
    SetCurrentDirectoryW(before.c_str());
    EXPECT_GT(current.Length(), MAX_PATH);
    EXPECT_TRUE(current.str().find(std::wstring(60, L'd') + L"\\" + std::wstring(60, L'd')) != std::wstring::npos)
        << current.str().size();
    EXPECT_FALSE(SettingsPathFits(FileInFolder(current, L"TLR.ini")));
    for (size_t end = deep.size(); end > base.Path().size(); end = deep.rfind(L'\\', end - 1))
        RemoveDirectoryW((L"\\\\?\\" + deep.substr(0, end)).c_str());
}

// An elevated start that fails for another reason than the user's refusal is reported.
TEST(ElevatedStartFailure, IsReportedUnderItsCall) {
    BoxRecorder boxes;
    TempDir dir;
    EXPECT_EQ(StartElevated(dir.File(L"tollerup-missing.exe"), L"#x", dir.Path(), SW_SHOWNORMAL),
              ElevatedStart::Failed);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text.rfind(L"ShellExecuteEx Error Code =", 0), 0u) << boxes.boxes[0].text;
    EXPECT_NE(boxes.boxes[0].text, L"ShellExecuteEx Error Code =0");
}

// The program's manifest (linked into this test program as well) gives the common controls
// of version 6 from the system's side-by-side store, not the older ones of the system folder.
TEST(CommonControls, TheManifestGivesVersionSix) {
    HMODULE library = LoadLibraryW(L"comctl32.dll");
    ASSERT_NE(library, nullptr);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(library, path, MAX_PATH);
    FreeLibrary(library);
    std::wstring lower(path);
    for (wchar_t& c : lower) c = towlower(c);
    EXPECT_NE(lower.find(L"common-controls_6595b64144ccf1df_6."), std::wstring::npos)
        << "comctl32 came from elsewhere: " << std::string(lower.begin(), lower.end());
}

// OLE is up from the first Ensure until its owner ends, and no longer: asked for twice,
// it is still given back with the owner (start-up relies on that to keep it up through the
// action and no further). Run on a thread of its own, which nothing else has initialised.
namespace {
HRESULT CreateShellLink() {
    IUnknown* link = nullptr;
    HRESULT hr =
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&link));
    if (link) link->Release();
    return hr;
}

struct OleSteps {
    HRESULT before = S_OK, unused = S_OK, used = E_FAIL, after = S_OK;
};

DWORD WINAPI RunOleSteps(void* param) {
    OleSteps& steps = *static_cast<OleSteps*>(param);
    steps.before = CreateShellLink();
    {
        OleOnDemand ole;
        steps.unused = CreateShellLink();
        ole.Ensure();
        ole.Ensure();
        steps.used = CreateShellLink();
    }
    steps.after = CreateShellLink();
    return 0;
}
}  // namespace

TEST(OleOnDemand, UpFromTheFirstUseUntilTheOwnerEnds) {
    OleSteps steps;
    HANDLE thread = CreateThread(nullptr, 0, RunOleSteps, &steps, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    EXPECT_EQ(steps.before, CO_E_NOTINITIALIZED);
    EXPECT_EQ(steps.unused, CO_E_NOTINITIALIZED) << "OLE was started before it was asked for";
    EXPECT_EQ(steps.used, S_OK);
    EXPECT_EQ(steps.after, CO_E_NOTINITIALIZED) << "OLE outlived its owner";
}
