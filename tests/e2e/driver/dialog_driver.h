// Drives the program's parameter dialogs through the host helper that opens them by
// themselves, and the system's file dialog that they open: dropping files as the shell
// does, the edit's selection, the clipboard, and the open dialog's folder, filter and file.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "driver/driver.h"

namespace e2e {

// One showing of a parameter dialog in the host helper ("parameter_dialog_host").
class DialogHost {
public:
    struct Result {
        bool ended = false;  // the host ended and wrote its result
        bool ok = false;     // the dialog returned true (OK)
        std::wstring text;   // the parameter text after the dialog
    };

    // Opens dialog "command", "media" or "exit" on the text in folder, with the section of
    // folder's TLR.ini (none when section is null). On OK with a section the host stores
    // `Act` and the parameter text there, as the action page does.
    bool Start(const TempFolder& folder, const std::wstring& dialog, const std::wstring& text, const wchar_t* section);
    const Program& Process() const { return program_; }
    // The dialog with this caption, enabled (no message box or file dialog over it).
    HWND WaitForDialog(const std::wstring& caption, DWORD timeoutMs) const;
    // Waits for the host to end and reads what it wrote.
    Result WaitForResult(DWORD timeoutMs) const;
    // Drops the files on a window of the host: a DROPFILES block in the host's own global
    // memory, posted as WM_DROPFILES, as the shell hands over a drop.
    bool DropFiles(HWND target, const std::vector<std::wstring>& paths) const;

private:
    Program program_;
    std::wstring folder_;
};

// The edit's selection, and a new one (EM_SETSEL).
void EditSelection(HWND edit, int* start, int* end);
bool SetEditSelection(HWND edit, int start, int end);
// Puts text on the clipboard as CF_UNICODETEXT.
bool SetClipboardText(const std::wstring& text);

// The system's open-file dialog of a program, found by its title.
HWND WaitForFileDialog(const Program& program, const std::wstring& title, DWORD timeoutMs);
// The folder the dialog shows (CDM_GETFOLDERPATH, answered into the program's memory).
std::wstring FileDialogFolder(const Program& program, HWND fileDialog);
// The selected filter: its 1-based index and its text.
int FileDialogFilterIndex(HWND fileDialog);
std::wstring FileDialogFilterText(HWND fileDialog);
// The text of the file-name box.
std::wstring FileDialogFileName(HWND fileDialog);
// Types the path into the file-name box and presses Open.
bool ChooseFileInDialog(HWND fileDialog, const std::wstring& path);

// A mono 8-bit PCM wave of the given length: a quiet square tone.
std::string MakeWave(int milliseconds);

}  // namespace e2e
