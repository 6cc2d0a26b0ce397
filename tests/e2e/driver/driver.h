// Drives the real program the way a user would: starts it in a folder of its own with a
// settings file and an argument text, finds its windows, reads and presses them, and
// checks what it left behind. Works the same under Wine and on Windows.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

// Folder of the running test executable.
std::wstring ExeDir();
// TLR64.exe or TLR32.exe beside the test executable, matching the test's own bitness.
std::wstring ProgramPath();
// A helper program of the tests, beside the test executable ("name.exe").
std::wstring HelperPath(const wchar_t* name);
// Where failures leave screenshots and window texts: %TLR_TEST_ARTIFACTS% or
// "artifacts" in the current directory.
std::wstring ArtifactsDir();
// Name of the running GoogleTest case ("Suite.Case"), for file names.
std::wstring CurrentTestName();

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& text);

// A new empty folder under %TEMP%, removed with everything in it at the end of the test.
class TempFolder {
public:
    // A hint becomes part of the folder name (it may contain blanks).
    explicit TempFolder(const std::wstring& hint = L"tlr");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }
    std::wstring IniPath() const { return File(L"TLR.ini"); }

    // Through the system's private-profile functions, as the program reads them.
    void WriteSetting(const std::wstring& section, const std::wstring& key, const std::wstring& value) const;
    void WriteSetting(const std::wstring& section, const std::wstring& key, long long value) const;
    // The screen range of a section: ScrLeft, ScrTop, ScrRight and ScrBottom.
    void WriteRange(const std::wstring& section, const RECT& range) const;
    std::wstring ReadSetting(const std::wstring& section, const std::wstring& key,
                             const std::wstring& fallback = L"") const;

    bool Exists(const std::wstring& name) const;
    bool WriteBytes(const std::wstring& name, const std::string& bytes) const;
    std::string ReadBytes(const std::wstring& name) const;

private:
    std::wstring path_;
};

// What a message box shows.
struct MessageBoxInfo {
    HWND window = nullptr;
    std::wstring caption;
    std::wstring text;
    // MB_ICONERROR, MB_ICONQUESTION, MB_ICONWARNING, MB_ICONINFORMATION, or 0 when the
    // box has no icon or it could not be told.
    UINT icon = 0;
    bool hasIcon = false;      // the box has an icon control
    std::vector<int> buttons;  // control ids of the buttons (IDOK, IDYES, ...)
    bool topmost = false;
    explicit operator bool() const { return window != nullptr; }
};

std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);
// Text of another program's window without waiting on a hung program.
std::wstring WindowTextTimeout(HWND window, UINT timeoutMs = 1000);
HWND ChildById(HWND parent, int id);
// A message box: a dialog of static texts and buttons only (the wizard sheet and the
// program's own dialogs hold pages, edits, lists or bars).
bool IsMessageBoxWindow(HWND window);
// The bytes of a file (shared for reading, writing and deleting), empty when it cannot be
// opened.
std::string ReadFileBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);

// Reads a top-level dialog as a message box (caption, text, icon, buttons).
MessageBoxInfo ReadMessageBox(HWND box);
// Presses a button of a dialog in another process (BM_CLICK), without waiting on it.
bool PressButton(HWND dialog, int id);
// Processes this thread's pending messages.
void FlushMessages();
// Pixels of a screen rectangle as 0xRRGGBB values, top row first.
std::vector<DWORD> GrabScreenPixels(const RECT& r);
// A colour as GrabScreenPixels gives it.
DWORD Rgb(COLORREF colour);

RECT Rect(long left, long top, long right, long bottom);
RECT WindowRect(HWND window);
bool SameRect(const RECT& a, const RECT& b);
// "(left, top, right, bottom)" for failure messages.
std::string Describe(const RECT& r);
// Saves the whole virtual screen as a 24-bit bitmap.
bool SaveScreenshot(const std::wstring& path);

// One run of the program (or of any executable) under test. The process and every
// process it starts belong to a job of their own, so that ending the run ends them all.
class Program {
public:
    Program() = default;
    // Ends a still-running process and whatever it started; after a failed test saves
    // diagnostics first.
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Starts exe with the argument text in folder. The command line is the exe in quotes,
    // then a blank and the arguments (when there are any), unless a whole command line is
    // given.
    bool Start(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder,
               const std::wstring* wholeCommandLine = nullptr);
    DWORD Pid() const { return pid_; }
    HANDLE Handle() const { return process_; }
    bool IsRunning() const;

    // Visible top-level windows of the process.
    std::vector<HWND> TopWindows() const;
    HWND WaitForWindow(const std::function<bool(HWND)>& match, DWORD timeoutMs) const;
    HWND WaitForWindowTitled(const std::wstring& title, DWORD timeoutMs) const;
    // The first message box (dialog class "#32770" with caption "Tollerup" and a text).
    MessageBoxInfo WaitForMessageBox(DWORD timeoutMs) const;
    // Presses OK on every message box of the program until done() holds; false on
    // timeout. The texts of the boxes pressed are added to boxes.
    bool DismissBoxesUntil(const std::function<bool()>& done, std::vector<std::wstring>& boxes, DWORD timeoutMs) const;
    // Waits for the end; returns false on timeout. exitCode receives the code.
    bool WaitExit(DWORD timeoutMs, DWORD* exitCode) const;
    // How many processes the program has started so far, ended ones included (the
    // processes those started count too); -1 when it cannot be told, which no count a
    // test expects matches.
    int StartedProcesses() const;
    // Ends the program and every process it started, and waits until all have ended, so
    // that nothing of this run holds a single-instance name into the next test.
    void Kill();
    // Screenshot and window texts into ArtifactsDir(), named after the test.
    void SaveDiagnostics(const std::wstring& tag) const;

    // A window of this program (a helper's window) that a step of a test needs: success
    // while it is there and shown. Otherwise the failure names the program and what became
    // of the window: the program ended (with its exit code), or the window was destroyed
    // or hidden while the program runs.
    ::testing::AssertionResult Shows(HWND window) const;
    // The same, and the window is what the screen shows at the point; otherwise the
    // failure names the window that covers it there.
    ::testing::AssertionResult ShowsAt(HWND window, POINT at) const;
    // Posts a message to a window of this program once Shows(window) holds.
    ::testing::AssertionResult Post(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    // Sends a message to a window of this program once Shows(window) holds, and waits up
    // to two seconds for it to be handled.
    ::testing::AssertionResult Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    // Waits until the thread of one of this program's windows takes a sent message: it
    // has come back to its message loop, and whatever it was doing before is done.
    ::testing::AssertionResult TakesMessages(HWND window, DWORD timeoutMs) const;

private:
    HANDLE process_ = nullptr;
    HANDLE job_ = nullptr;
    DWORD pid_ = 0;
    std::wstring name_;
};

// Polls a condition every 50 ms until it holds or the time is over.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

}  // namespace e2e
