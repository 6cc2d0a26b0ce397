#include "wizard/command_dialog.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <vector>

#include "actions/action_text.h"
#include "app/handles.h"
#include "app/message_box.h"
#include "app/paths.h"
#include "app/system_info.h"
#include "wizard/dialog_helpers.h"
#include "wizard/dialog_position.h"
#include "wizard/parameter_fields.h"

namespace {

const PositionKeys kPositionKeys = {L"SetCmdLeft", L"SetCmdTop"};
const wchar_t kBrowseFilter[] =
    L"プログラム(*.exe;*.pif;*.com;*.bat,*.lnk)\0*.exe;*.pif;*.com;*.bat;*.lnk\0"
    L"すべてのファイル(*.*)\0*.*\0";
const DWORD kFileBufferSize = 260;
const int kHeadingPoints = 13;
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kDarkGreen = RGB(0, 128, 0);

class CommandInputDialog {
public:
    CommandInputDialog(const WideString& text, int iconId, const SettingSection* section)
        : text_(text), iconId_(iconId), section_(section) {}
    CommandInputDialog(const CommandInputDialog&) = delete;
    CommandInputDialog& operator=(const CommandInputDialog&) = delete;

    const WideString& Text() const { return text_; }

    void OnInitDialog(HWND window);
    void OnDestroy();
    void OnDropFiles(HDROP drop);
    HBRUSH OnStaticColour(HDC dc, HWND control) const;
    void Browse();
    void Clear();
    void Paste();
    void Accept();
    void Cancel();

private:
    HWND Box() const { return GetDlgItem(window_, kCommandBox); }
    void InsertPath(const WideString& path);
    void SayTooLong() const { ShowErrorBox(kActionTextTooLongText, window_); }

    HWND window_ = nullptr;
    WideString text_;
    int iconId_;
    const SettingSection* section_;
    UniqueIcon smallIcon_;
    UniqueGdi<HFONT> titleFont_;
};

// The dialog that is showing and the box's own procedure while the drop handler is
// installed; there is one such dialog at a time.
CommandInputDialog* g_commandDialog = nullptr;
WNDPROC g_previousEditProcedure = nullptr;

LRESULT CALLBACK DropBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DROPFILES && g_commandDialog) {
        g_commandDialog->OnDropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    }
    return CallWindowProcW(g_previousEditProcedure, box, message, wParam, lParam);
}

WideString ShortPathOf(const WideString& path) {
    DWORD needed = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (needed == 0) return WideString();
    std::vector<wchar_t> buffer(static_cast<size_t>(needed) + 1, L'\0');
    DWORD got = GetShortPathNameW(path.c_str(), buffer.data(), needed + 1);
    if (got == 0 || got > needed) return WideString();
    return WideString(buffer.data());
}

void GetSelection(HWND box, DWORD& start, DWORD& end) {
    SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
}

void PutCaret(HWND box, int position) {
    SendMessageW(box, EM_SETSEL, static_cast<WPARAM>(position), static_cast<LPARAM>(position));
    SendMessageW(box, EM_SCROLLCARET, 0, 0);
}

void CommandInputDialog::OnInitDialog(HWND window) {
    window_ = window;
    if (iconId_ != 0) {
        smallIcon_.Reset(
            static_cast<HICON>(LoadImageW(AppInstance(), MAKEINTRESOURCEW(iconId_), IMAGE_ICON,
                                          GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));
        if (smallIcon_) SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.Get()));
    }
    titleFont_ = CreatePointFont(WideString(kDialogFontFace), kHeadingPoints);
    if (titleFont_) SetControlFont(GetDlgItem(window, kCommandHeading), titleFont_.Get());

    CommandText parsed = ParseCommandText(text_);
    CheckDlgButton(window, kCommandMinimize, parsed.minimize ? BST_CHECKED : BST_UNCHECKED);
    HWND box = Box();
    SendMessageW(box, EM_LIMITTEXT, kLongestCommand, 0);
    SetWindowTextW(box, parsed.command.c_str());

    g_previousEditProcedure =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DropBoxProc)));

    int elevation = 0;
    CheckOsLevel(nullptr, &elevation);
    if (elevation == kElevationFull) SetDlgItemTextW(window, kCommandDropHint, L"下の枠内にファイルのD＆D恐らく不可");

    AttachTooltip(window, GetDlgItem(window, kCommandMinimize),
                  WideString(L"サポートされているアプリケーションしか実行できません"));
    MoveToStoredPosition(window, section_, kPositionKeys);
}

void CommandInputDialog::OnDestroy() {
    if (smallIcon_) ReportLastError(smallIcon_.Reset(), "DestroyIcon");
    if (titleFont_) ReportLastError(titleFont_.Reset(), "DeleteObject");
    if (g_previousEditProcedure) {
        SetWindowLongPtrW(Box(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_previousEditProcedure));
        g_previousEditProcedure = nullptr;
    }
}

void CommandInputDialog::OnDropFiles(HDROP drop) {
    // Only the first of several dropped files is taken.
    UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    std::vector<wchar_t> path(static_cast<size_t>(length) + 1, L'\0');
    UINT got = DragQueryFileW(drop, 0, path.data(), length + 1);
    ReportLastError(got != 0, "DragQueryFile");
    DragFinish(drop);
    if (got != 0) InsertPath(WideString(path.data()));
}

void CommandInputDialog::InsertPath(const WideString& path) {
    WideString word;
    if (IsDlgButtonChecked(window_, kCommandShortNames) == BST_CHECKED)
        word = CommandWordForShortPath(ShortPathOf(Unquote(path)), path);
    else
        word = CommandWordForPath(path);
    HWND box = Box();
    DWORD start = 0, end = 0;
    GetSelection(box, start, end);
    BoxInsertion insertion =
        InsertWordIntoBox(GetControlText(box), static_cast<int>(start), static_cast<int>(end), word);
    // Neither cut nor let past the limit: the box stays as it was.
    if (insertion.text.Length() > kLongestCommand) {
        SayTooLong();
        return;
    }
    if (insertion.replaceSelection)
        SendMessageW(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(word.c_str()));
    else
        SetWindowTextW(box, insertion.text.c_str());
    PutCaret(box, insertion.caret);
}

HBRUSH CommandInputDialog::OnStaticColour(HDC dc, HWND control) const {
    COLORREF colour = GetSysColor(COLOR_WINDOWTEXT);
    switch (GetDlgCtrlID(control)) {
    case kCommandDropHint:
        colour = kBlue;
        break;
    case kCommandShortHint1:
    case kCommandShortHint2:
        colour = kDarkGreen;
        break;
    default:
        break;
    }
    SetTextColor(dc, colour);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return GetSysColorBrush(COLOR_BTNFACE);
}

void CommandInputDialog::Browse() {
    HWND box = Box();
    DWORD start = 0, end = 0;
    GetSelection(box, start, end);
    wchar_t file[kFileBufferSize] = {};
    OPENFILENAMEW description = DescribeOpenFile(window_, kBrowseFilter, CommandBrowseFilterIndex(GetControlText(box)),
                                                 file, kFileBufferSize, L"ファイル名の指定");
    BOOL chosen = GetOpenFileNameW(&description);
    SendMessageW(box, EM_SETSEL, start, end);
    if (chosen) InsertPath(WideString(file));
}

void CommandInputDialog::Clear() {
    SetWindowTextW(Box(), L"");
}

// Characters of the text on the clipboard; 0 when it holds none.
int ClipboardTextLength(HWND owner) {
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(owner)) return 0;
    int length = 0;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (data) {
        const wchar_t* text = static_cast<const wchar_t*>(GlobalLock(data));
        if (text) {
            size_t room = GlobalSize(data) / sizeof(wchar_t);
            while (static_cast<size_t>(length) < room && text[length] != L'\0') ++length;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return length;
}

void CommandInputDialog::Paste() {
    HWND box = Box();
    WideString current = GetControlText(box);
    DWORD start = 0, end = 0;
    GetSelection(box, start, end);
    // The box would cut a longer paste at its limit without a word.
    if (LengthAfterPaste(current, static_cast<int>(start), static_cast<int>(end), ClipboardTextLength(window_)) >
        kLongestCommand) {
        SayTooLong();
        return;
    }
    if (PasteNeedsBlank(current, static_cast<int>(start))) {
        SetWindowTextW(box, (current + L" ").c_str());
        PutCaret(box, current.Length() + 1);
    }
    SendMessageW(box, WM_PASTE, 0, 0);
}

void CommandInputDialog::Accept() {
    WideString command = GetControlText(Box());
    if (command.IsEmpty()) {
        ShowErrorBox(L"コマンドが入力されていません", window_);
        return;
    }
    WideString composed = ComposeCommandText(IsDlgButtonChecked(window_, kCommandMinimize) == BST_CHECKED, command);
    // A text written longer by hand opens whole; it is not saved until it fits.
    if (ActionTextTooLong(composed)) {
        SayTooLong();
        return;
    }
    text_ = composed;
    StorePosition(window_, section_, kPositionKeys);
    ReportLastError(EndDialog(window_, 1), "EndDialog");
}

void CommandInputDialog::Cancel() {
    ReportLastError(EndDialog(window_, 0), "EndDialog");
}

INT_PTR CALLBACK CommandDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CommandInputDialog* dialog = g_commandDialog;
    if (!dialog) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        dialog->OnInitDialog(window);
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(
            dialog->OnStaticColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kCommandBrowse:
            dialog->Browse();
            return TRUE;
        case kCommandClear:
            dialog->Clear();
            return TRUE;
        case kCommandPaste:
            dialog->Paste();
            return TRUE;
        case kCommandOk:
        case IDOK:
            dialog->Accept();
            return TRUE;
        case kCommandCancel:
        case IDCANCEL:
            dialog->Cancel();
            return TRUE;
        }
        break;
    case WM_DESTROY:
        dialog->OnDestroy();
        return FALSE;
    }
    return FALSE;
}

}  // namespace

bool EditCommandParameter(HWND owner, WideString& text, int iconId, const SettingSection* section) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    CommandInputDialog dialog(text, iconId, section);
    g_commandDialog = &dialog;
    INT_PTR result = DialogBoxParamW(AppInstance(), MAKEINTRESOURCEW(kCommandDialogId), owner, CommandDialogProc, 0);
    g_commandDialog = nullptr;
    if (result == -1) ReportLastError(FALSE, "DialogBoxParam");
    if (result != 1) return false;
    text = dialog.Text();
    return true;
}
