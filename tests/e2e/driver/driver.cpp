#include "driver.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <cstdio>
#include <fstream>
#include <set>

namespace e2e {

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &out[0], n);
    return out;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

std::wstring ExeDir() {
    wchar_t path[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    std::wstring p(path);
    return p.substr(0, p.find_last_of(L'\\'));
}

std::wstring ProgramPath() {
    return ExeDir() + (sizeof(void*) == 8 ? L"\\TLR64.exe" : L"\\TLR32.exe");
}

std::wstring HelperPath(const wchar_t* name) {
    return ExeDir() + L"\\" + name + L".exe";
}

std::wstring ArtifactsDir() {
    wchar_t buffer[MAX_PATH] = {};
    std::wstring dir;
    if (GetEnvironmentVariableW(L"TLR_TEST_ARTIFACTS", buffer, MAX_PATH) > 0) {
        dir = buffer;
    } else {
        GetCurrentDirectoryW(MAX_PATH, buffer);
        dir = std::wstring(buffer) + L"\\artifacts";
    }
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

std::wstring CurrentTestName() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    if (!info) return L"no-test";
    std::wstring name = Widen(std::string(info->test_suite_name()) + "." + info->name());
    for (wchar_t& ch : name) {
        if (ch == L'/' || ch == L'\\' || ch == L':') ch = L'_';
    }
    return name;
}

namespace {
void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring child = path + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
}
}  // namespace

TempFolder::TempFolder(const std::wstring& hint) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring base(temp);
    if (!base.empty() && base.back() == L'\\') base.pop_back();
    static LONG counter = 0;
    for (;;) {
        wchar_t suffix[64];
        swprintf(suffix, 64, L"%lu-%ld-%lu", GetCurrentProcessId(), InterlockedIncrement(&counter), GetTickCount());
        path_ = base + L"\\" + hint + L"-" + suffix;
        if (CreateDirectoryW(path_.c_str(), nullptr)) break;
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            ADD_FAILURE() << "cannot create " << Narrow(path_);
            break;
        }
    }
}

TempFolder::~TempFolder() {
    RemoveTree(path_);
}

void TempFolder::WriteSetting(const std::wstring& section, const std::wstring& key, const std::wstring& value) const {
    WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), IniPath().c_str());
}

void TempFolder::WriteSetting(const std::wstring& section, const std::wstring& key, long long value) const {
    WriteSetting(section, key, std::to_wstring(value));
}

void TempFolder::WriteRange(const std::wstring& section, const RECT& range) const {
    WriteSetting(section, L"ScrLeft", range.left);
    WriteSetting(section, L"ScrTop", range.top);
    WriteSetting(section, L"ScrRight", range.right);
    WriteSetting(section, L"ScrBottom", range.bottom);
}

std::wstring TempFolder::ReadSetting(const std::wstring& section, const std::wstring& key,
                                     const std::wstring& fallback) const {
    wchar_t buffer[4096] = {};
    GetPrivateProfileStringW(section.c_str(), key.c_str(), fallback.c_str(), buffer, 4096, IniPath().c_str());
    return buffer;
}

bool TempFolder::Exists(const std::wstring& name) const {
    return FileExists(File(name));
}

bool TempFolder::WriteBytes(const std::wstring& name, const std::string& bytes) const {
    HANDLE file = CreateFileW(File(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::string TempFolder::ReadBytes(const std::wstring& name) const {
    return ReadFileBytes(File(name));
}

std::string ReadFileBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring WindowText(HWND window) {
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int got = GetWindowTextW(window, &text[0], length + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}

std::wstring WindowTextTimeout(HWND window, UINT timeoutMs) {
    wchar_t buffer[4096] = {};
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, timeoutMs,
                             &result))
        return std::wstring();
    return buffer;
}

std::wstring ClassName(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

HWND ChildById(HWND parent, int id) {
    return GetDlgItem(parent, id);
}

namespace {
// Draws into a w x h bitmap compatible with the screen and returns its pixels as 0xRRGGBB,
// top row first.
std::vector<DWORD> PaintAndRead(int w, int h, const std::function<void(HDC)>& paint) {
    std::vector<DWORD> pixels(static_cast<size_t>(w) * static_cast<size_t>(h));
    if (w <= 0 || h <= 0) return pixels;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(memory, bitmap);
    paint(memory);
    SelectObject(memory, old);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(h), pixels.data(), &bi, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    for (DWORD& p : pixels) p &= 0xFFFFFF;
    return pixels;
}

// An icon drawn at w x h on a plain background.
std::vector<DWORD> DrawIconOn(HICON icon, int w, int h, COLORREF background) {
    return PaintAndRead(w, h, [&](HDC dc) {
        RECT all = {0, 0, w, h};
        HBRUSH brush = CreateSolidBrush(background);
        FillRect(dc, &all, brush);
        DeleteObject(brush);
        DrawIconEx(dc, 0, 0, icon, w, h, 0, nullptr, DI_NORMAL);
    });
}
}  // namespace

DWORD Rgb(COLORREF colour) {
    return (static_cast<DWORD>(GetRValue(colour)) << 16) | (static_cast<DWORD>(GetGValue(colour)) << 8) |
           GetBValue(colour);
}

RECT Rect(long left, long top, long right, long bottom) {
    RECT r = {left, top, right, bottom};
    return r;
}

RECT WindowRect(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Describe(const RECT& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) + ", " +
           std::to_string(r.bottom) + ")";
}

std::vector<DWORD> GrabScreenPixels(const RECT& r) {
    HDC screen = GetDC(nullptr);
    std::vector<DWORD> pixels = PaintAndRead(r.right - r.left, r.bottom - r.top, [&](HDC dc) {
        BitBlt(dc, 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top, SRCCOPY);
    });
    ReleaseDC(nullptr, screen);
    return pixels;
}

namespace {
// Tells the standard icon that a message box shows by comparing what is on the screen
// with each system icon, on the pixels where that icon is opaque. Handles of icons are
// not comparable across processes everywhere, pictures are.
UINT IdentifyIcon(HWND iconControl) {
    RECT r = {};
    if (!GetWindowRect(iconControl, &r) || r.right <= r.left || r.bottom <= r.top) return 0;
    int w = r.right - r.left, h = r.bottom - r.top;
    std::vector<DWORD> shown = GrabScreenPixels(r);
    struct Known {
        LPCWSTR id;
        UINT flag;
    } known[] = {{IDI_HAND, MB_ICONERROR},
                 {IDI_QUESTION, MB_ICONQUESTION},
                 {IDI_EXCLAMATION, MB_ICONWARNING},
                 {IDI_ASTERISK, MB_ICONINFORMATION}};
    UINT best = 0;
    double bestScore = 0.0;
    for (const Known& k : known) {
        HICON icon = LoadIconW(nullptr, k.id);
        int size = GetSystemMetrics(SM_CXICON);
        int iw = w < size ? w : size, ih = h < size ? h : size;
        std::vector<DWORD> onBlack = DrawIconOn(icon, iw, ih, RGB(0, 0, 0));
        std::vector<DWORD> onWhite = DrawIconOn(icon, iw, ih, RGB(255, 255, 255));
        size_t opaque = 0, same = 0;
        for (int y = 0; y < ih; ++y) {
            for (int x = 0; x < iw; ++x) {
                size_t i = static_cast<size_t>(y) * static_cast<size_t>(iw) + static_cast<size_t>(x);
                if (onBlack[i] != onWhite[i]) continue;
                ++opaque;
                if (shown[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] == onBlack[i])
                    ++same;
            }
        }
        double score = opaque ? static_cast<double>(same) / static_cast<double>(opaque) : 0.0;
        if (score > bestScore) {
            bestScore = score;
            best = k.flag;
        }
    }
    return bestScore >= 0.9 ? best : 0;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
    return TRUE;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}
}  // namespace

bool IsMessageBoxWindow(HWND window) {
    if (ClassName(window) != L"#32770") return false;
    bool hasButton = false;
    for (HWND child : Children(window)) {
        if (GetParent(child) != window) return false;  // a property sheet holds its pages
        std::wstring cls = ClassName(child);
        if (_wcsicmp(cls.c_str(), L"Button") == 0)
            hasButton = true;
        else if (_wcsicmp(cls.c_str(), L"Static") != 0)
            return false;  // an edit, list, progress bar...: one of the program's dialogs
    }
    return hasButton;
}

MessageBoxInfo ReadMessageBox(HWND box) {
    MessageBoxInfo info;
    info.window = box;
    info.caption = WindowText(box);
    info.topmost = (GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    for (HWND child : Children(box)) {
        std::wstring cls = ClassName(child);
        LONG style = GetWindowLongW(child, GWL_STYLE);
        if (_wcsicmp(cls.c_str(), L"Static") == 0) {
            if ((style & SS_TYPEMASK) == SS_ICON) {
                info.hasIcon = true;
                info.icon = IdentifyIcon(child);
            } else {
                std::wstring text = WindowText(child);
                if (!text.empty()) info.text = text;
            }
        } else if (_wcsicmp(cls.c_str(), L"Button") == 0) {
            info.buttons.push_back(GetDlgCtrlID(child));
        }
    }
    return info;
}

bool PressButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (!button) return false;
    return PostMessageW(button, BM_CLICK, 0, 0) != FALSE;
}

void FlushMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool SaveScreenshot(const std::wstring& path) {
    int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    int w = GetSystemMetrics(SM_CXVIRTUALSCREEN), h = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (w <= 0 || h <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, x, y, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = w;
    header.biHeight = h;
    header.biPlanes = 1;
    header.biBitCount = 24;
    DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u;
    std::vector<unsigned char> pixels(static_cast<size_t>(stride) * static_cast<size_t>(h));
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(h), pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
              DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::ofstream out(path.c_str(), std::ios::binary);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&header), sizeof(header));
    out.write(reinterpret_cast<const char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
    return static_cast<bool>(out);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        FlushMessages();
        Sleep(50);
    }
}

Program::~Program() {
    // Named after the program, so that the runs of one test keep their own files.
    if (::testing::Test::HasFailure() && process_) SaveDiagnostics(L"failure-" + name_);
    Kill();
    if (process_) CloseHandle(process_);
    if (job_) CloseHandle(job_);
}

bool Program::Start(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder,
                    const std::wstring* wholeCommandLine) {
    std::wstring commandLine = wholeCommandLine ? *wholeCommandLine : L"\"" + exe + L"\"";
    if (!wholeCommandLine && !arguments.empty()) commandLine += L" " + arguments;
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    // The desktop's own process (explorer under Wine) is started by the first program that
    // needs the desktop; it would then belong to the job and end with it. This test starts
    // it instead, if it is not running yet.
    GetDesktopWindow();
    // The job ends its processes when its last handle goes, also when this test dies.
    job_ = CreateJobObjectW(nullptr, nullptr);
    if (job_) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    }
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    // Wine now and then loses a new process while it initialises, on a busy machine (the
    // start fails with ERROR_INTERNAL_ERROR): such a start is tried again, twice at most.
    // Any other failure, or a third, fails the test.
    for (int attempt = 1;; ++attempt) {
        if (CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                           folder.empty() ? nullptr : folder.c_str(), &si, &pi))
            break;
        DWORD error = GetLastError();
        if (error != ERROR_INTERNAL_ERROR || attempt == 3) {
            ADD_FAILURE() << "CreateProcess failed for " << Narrow(exe) << ": " << error << " (attempt " << attempt
                          << ")";
            return false;
        }
        std::fprintf(stderr, "CreateProcess for %s failed with %lu; trying again\n", Narrow(exe).c_str(), error);
        Sleep(500);
    }
    if (job_ && !AssignProcessToJobObject(job_, pi.hProcess)) {
        std::fprintf(stderr, "the process is not in a job of its own (%lu): what it starts may outlive it\n",
                     GetLastError());
        CloseHandle(job_);
        job_ = nullptr;
    }
    ResumeThread(pi.hThread);
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    pid_ = pi.dwProcessId;
    name_ = exe.substr(exe.find_last_of(L"\\/") + 1);
    WaitForInputIdle(process_, 5000);
    return true;
}

bool Program::IsRunning() const {
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

namespace {
struct EnumState {
    DWORD pid;
    std::vector<HWND> windows;
};
BOOL CALLBACK CollectTop(HWND window, LPARAM param) {
    EnumState* state = reinterpret_cast<EnumState*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == state->pid && IsWindowVisible(window)) state->windows.push_back(window);
    return TRUE;
}
}  // namespace

std::vector<HWND> Program::TopWindows() const {
    EnumState state{pid_, {}};
    if (pid_) EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&state));
    return state.windows;
}

HWND Program::WaitForWindow(const std::function<bool(HWND)>& match, DWORD timeoutMs) const {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND w : TopWindows()) {
                if (match(w)) {
                    found = w;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

HWND Program::WaitForWindowTitled(const std::wstring& title, DWORD timeoutMs) const {
    return WaitForWindow([&](HWND w) { return WindowText(w) == title; }, timeoutMs);
}

MessageBoxInfo Program::WaitForMessageBox(DWORD timeoutMs) const {
    MessageBoxInfo info;
    DWORD firstSeen = 0;
    WaitUntil(
        [&] {
            for (HWND w : TopWindows()) {
                if (!IsMessageBoxWindow(w)) continue;
                MessageBoxInfo candidate = ReadMessageBox(w);
                if (candidate.text.empty() || candidate.buttons.empty()) continue;
                info = candidate;
                // The icon is told by its pixels: give a busy system time to paint it.
                if (!firstSeen) firstSeen = GetTickCount();
                return !candidate.hasIcon || candidate.icon != 0 || GetTickCount() - firstSeen > 10000;
            }
            return false;
        },
        timeoutMs);
    return info;
}

bool Program::DismissBoxesUntil(const std::function<bool()>& done, std::vector<std::wstring>& boxes,
                                DWORD timeoutMs) const {
    std::set<HWND> pressed;
    return WaitUntil(
        [&] {
            if (done()) return true;
            for (HWND w : TopWindows()) {
                if (!IsMessageBoxWindow(w) || pressed.count(w)) continue;
                MessageBoxInfo box = ReadMessageBox(w);
                if (box.text.empty() || box.buttons.empty()) continue;
                boxes.push_back(box.text);
                pressed.insert(w);
                PressButton(w, IDOK);
            }
            return false;
        },
        timeoutMs);
}

bool Program::WaitExit(DWORD timeoutMs, DWORD* exitCode) const {
    if (!process_) return false;
    if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return false;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    if (exitCode) *exitCode = code;
    return true;
}

int Program::StartedProcesses() const {
    if (!job_) return -1;
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
    if (!QueryInformationJobObject(job_, JobObjectBasicAccountingInformation, &accounting, sizeof(accounting), nullptr))
        return -1;
    return static_cast<int>(accounting.TotalProcesses) - 1;
}

void Program::Kill() {
    if (job_) {
        TerminateJobObject(job_, 255);
        WaitUntil(
            [&] {
                JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
                return !QueryInformationJobObject(job_, JobObjectBasicAccountingInformation, &accounting,
                                                  sizeof(accounting), nullptr) ||
                       accounting.ActiveProcesses == 0;
            },
            10000);
    }
    if (process_ && IsRunning()) TerminateProcess(process_, 255);
    if (process_) WaitForSingleObject(process_, 5000);
}

namespace {
void DescribeWindow(std::wstring& out, HWND window, int depth) {
    RECT r = {};
    GetWindowRect(window, &r);
    wchar_t line[512];
    swprintf(line, 512, L"%*s%p id=%d class=\"%ls\" rect=(%ld,%ld,%ld,%ld) visible=%d text=\"", depth * 2, L"",
             static_cast<void*>(window), GetDlgCtrlID(window), ClassName(window).c_str(), r.left, r.top, r.right,
             r.bottom, IsWindowVisible(window) ? 1 : 0);
    out += line;
    out += WindowTextTimeout(window, 500);
    out += L"\"\r\n";
}
}  // namespace

::testing::AssertionResult Program::Shows(HWND window) const {
    const std::string name = Narrow(name_);
    if (!IsRunning()) {
        DWORD code = 0;
        if (process_) GetExitCodeProcess(process_, &code);
        return ::testing::AssertionFailure()
               << "the window of " << name << " is gone: " << name << " has ended with exit code " << code;
    }
    DWORD owner = 0;
    if (!IsWindow(window) || !GetWindowThreadProcessId(window, &owner) || owner != pid_)
        return ::testing::AssertionFailure() << "the window of " << name << " was destroyed while " << name << " runs";
    if (!IsWindowVisible(window))
        return ::testing::AssertionFailure() << "the window of " << name << " was hidden while " << name << " runs";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult Program::ShowsAt(HWND window, POINT at) const {
    ::testing::AssertionResult shown = Shows(window);
    if (!shown) return shown;
    HWND top = WindowFromPoint(at);
    if (top) top = GetAncestor(top, GA_ROOT);
    if (top == window) return ::testing::AssertionSuccess();
    ::testing::AssertionResult covered = ::testing::AssertionFailure();
    covered << "the window of " << Narrow(name_) << " is covered at (" << at.x << ", " << at.y << ") by ";
    if (!top) return covered << "nothing the system knows of";
    DWORD owner = 0;
    GetWindowThreadProcessId(top, &owner);
    return covered << "a window of class \"" << Narrow(ClassName(top)) << "\" titled \""
                   << Narrow(WindowTextTimeout(top, 500)) << "\" of process " << owner;
}

::testing::AssertionResult Program::Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const {
    ::testing::AssertionResult shown = Shows(window);
    if (!shown) return shown;
    if (!PostMessageW(window, message, wParam, lParam))
        return ::testing::AssertionFailure()
               << "a message to " << Narrow(name_) << " could not be posted (" << GetLastError() << ")";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult Program::Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const {
    ::testing::AssertionResult shown = Shows(window);
    if (!shown) return shown;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 2000, &result))
        return ::testing::AssertionFailure() << Narrow(name_) << " did not take a message within two seconds";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult Program::TakesMessages(HWND window, DWORD timeoutMs) const {
    DWORD_PTR ignored = 0;
    if (SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &ignored))
        return ::testing::AssertionSuccess();
    ::testing::AssertionResult shown = Shows(window);
    if (!shown) return shown;
    return ::testing::AssertionFailure() << Narrow(name_) << " did not come back to its message loop within "
                                         << timeoutMs << " ms";
}

void Program::SaveDiagnostics(const std::wstring& tag) const {
    std::wstring base = ArtifactsDir() + L"\\" + CurrentTestName() + L"-" + tag;
    SaveScreenshot(base + L".bmp");
    std::wstring text;
    for (HWND top : TopWindows()) {
        DescribeWindow(text, top, 0);
        for (HWND child : Children(top)) DescribeWindow(text, child, 1);
    }
    std::ofstream out((base + L".txt").c_str(), std::ios::binary);
    std::string utf8 = Narrow(text);
    out.write(utf8.data(), static_cast<std::streamsize>(utf8.size()));
    std::fprintf(stderr, "diagnostics saved to %s.{bmp,txt}\n", Narrow(base).c_str());
}

}  // namespace e2e
