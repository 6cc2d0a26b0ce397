#include "driver/dialog_driver.h"

#include <commdlg.h>
#include <dlgs.h>
#include <gtest/gtest.h>

namespace e2e {

namespace {
const wchar_t kDropHostClass[] = L"TLRTESTDROPHOST";
}  // namespace

bool DialogHost::Start(const TempFolder& folder, const std::wstring& dialog, const std::wstring& text,
                       const wchar_t* section) {
    folder_ = folder.Path();
    std::wstring request = L"dialog=" + dialog + L"\r\ntext=" + text + L"\r\n";
    if (section) request += std::wstring(L"section=") + section + L"\r\n";
    if (!folder.WriteBytes(L"request.txt", Narrow(request))) {
        ADD_FAILURE() << "cannot write the host's request";
        return false;
    }
    return program_.Start(HelperPath(L"parameter_dialog_host"), L"", folder.Path());
}

HWND DialogHost::WaitForDialog(const std::wstring& caption, DWORD timeoutMs) const {
    return program_.WaitForWindow([&](HWND w) { return WindowText(w) == caption && IsWindowEnabled(w); }, timeoutMs);
}

DialogHost::Result DialogHost::WaitForResult(DWORD timeoutMs) const {
    Result result;
    DWORD code = 99;
    if (!program_.WaitExit(timeoutMs, &code)) return result;
    HANDLE file = CreateFileW((folder_ + L"\\result.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return result;
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    std::wstring text = Widen(bytes);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(start, end - start);
        if (line.compare(0, 3, L"ok=") == 0) {
            result.ended = true;
            result.ok = line == L"ok=1";
        } else if (line.compare(0, 5, L"text=") == 0) {
            result.text = line.substr(5);
        }
        start = end + 2;
    }
    return result;
}

bool DialogHost::DropFiles(HWND target, const std::vector<std::wstring>& paths) const {
    HWND host = nullptr;
    for (;;) {
        host = FindWindowExW(HWND_MESSAGE, host, kDropHostClass, nullptr);
        if (!host) return false;
        DWORD pid = 0;
        GetWindowThreadProcessId(host, &pid);
        if (pid == program_.Pid()) break;
    }
    std::wstring block;
    for (const std::wstring& path : paths) {
        block += path;
        block.push_back(L'\0');
    }
    COPYDATASTRUCT data = {};
    data.dwData = reinterpret_cast<ULONG_PTR>(target);
    data.cbData = static_cast<DWORD>(block.size() * sizeof(wchar_t));
    data.lpData = &block[0];
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(host, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 5000, &answer))
        return false;
    return answer != 0;
}

void EditSelection(HWND edit, int* start, int* end) {
    DWORD_PTR packed = 0;
    SendMessageTimeoutW(edit, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &packed);
    *start = LOWORD(packed);
    *end = HIWORD(packed);
}

bool SetEditSelection(HWND edit, int start, int end) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(edit, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end), SMTO_ABORTIFHUNG,
                               2000, &ignored) != 0;
}

bool SetClipboardText(const std::wstring& text) {
    // The clipboard needs an owner window that lives as long as the test.
    static HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    bool done = false;
    if (memory) {
        memcpy(GlobalLock(memory), text.c_str(), bytes);
        GlobalUnlock(memory);
        done = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        if (!done) GlobalFree(memory);
    }
    CloseClipboard();
    return done;
}

HWND WaitForFileDialog(const Program& program, const std::wstring& title, DWORD timeoutMs) {
    return program.WaitForWindow(
        [&](HWND w) { return WindowText(w) == title && ClassName(w) == L"#32770" && GetDlgItem(w, cmb1) != nullptr; },
        timeoutMs);
}

std::wstring FileDialogFolder(const Program& program, HWND fileDialog) {
    const SIZE_T characters = 1024;
    void* remote = VirtualAllocEx(program.Handle(), nullptr, characters * sizeof(wchar_t), MEM_COMMIT | MEM_RESERVE,
                                  PAGE_READWRITE);
    if (!remote) return std::wstring();
    std::wstring folder;
    DWORD_PTR length = 0;
    if (SendMessageTimeoutW(fileDialog, CDM_GETFOLDERPATH, characters, reinterpret_cast<LPARAM>(remote),
                            SMTO_ABORTIFHUNG, 5000, &length) &&
        static_cast<LONG_PTR>(length) > 0) {
        std::vector<wchar_t> local(characters, L'\0');
        SIZE_T read = 0;
        if (ReadProcessMemory(program.Handle(), remote, local.data(), characters * sizeof(wchar_t), &read))
            folder = local.data();
    }
    VirtualFreeEx(program.Handle(), remote, 0, MEM_RELEASE);
    return folder;
}

int FileDialogFilterIndex(HWND fileDialog) {
    DWORD_PTR selected = 0;
    if (!SendMessageTimeoutW(GetDlgItem(fileDialog, cmb1), CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &selected))
        return 0;
    return static_cast<int>(static_cast<LONG_PTR>(selected)) + 1;
}

std::wstring FileDialogFilterText(HWND fileDialog) {
    HWND combo = GetDlgItem(fileDialog, cmb1);
    LRESULT selected = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (selected < 0) return std::wstring();
    LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(selected), 0);
    if (length < 0) return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(wcslen(text.c_str()));
    return text;
}

namespace {
// The edit a user types the file name into: the box itself, or the edit inside an
// editable combo box (also of an extended one), depending on the dialog's template.
HWND FileNameBox(HWND fileDialog) {
    HWND box = GetDlgItem(fileDialog, cmb13);
    if (!box) box = GetDlgItem(fileDialog, edt1);
    while (box && _wcsicmp(ClassName(box).c_str(), L"Edit") != 0) {
        HWND inner = FindWindowExW(box, nullptr, nullptr, nullptr);
        if (!inner) break;
        box = inner;
    }
    return box;
}
}  // namespace

std::wstring FileDialogFileName(HWND fileDialog) {
    return WindowTextTimeout(FileNameBox(fileDialog));
}

bool ChooseFileInDialog(HWND fileDialog, const std::wstring& path) {
    HWND box = FileNameBox(fileDialog);
    if (!box) return false;
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()), SMTO_ABORTIFHUNG, 5000,
                             &ignored))
        return false;
    return PressButton(fileDialog, IDOK);
}

namespace {
void PutLittleEndian(std::string& bytes, unsigned long value, int size) {
    for (int i = 0; i < size; ++i) bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}
}  // namespace

std::string MakeWave(int milliseconds) {
    const unsigned long rate = 11025;
    unsigned long samples = rate * static_cast<unsigned long>(milliseconds) / 1000;
    std::string bytes = "RIFF";
    PutLittleEndian(bytes, 36 + samples, 4);
    bytes += "WAVEfmt ";
    PutLittleEndian(bytes, 16, 4);
    PutLittleEndian(bytes, 1, 2);  // PCM
    PutLittleEndian(bytes, 1, 2);  // mono
    PutLittleEndian(bytes, rate, 4);
    PutLittleEndian(bytes, rate, 4);  // bytes per second
    PutLittleEndian(bytes, 1, 2);     // block align
    PutLittleEndian(bytes, 8, 2);     // bits per sample
    bytes += "data";
    PutLittleEndian(bytes, samples, 4);
    for (unsigned long i = 0; i < samples; ++i) bytes.push_back(static_cast<char>((i / 25) % 2 ? 0x90 : 0x70));
    return bytes;
}

}  // namespace e2e
