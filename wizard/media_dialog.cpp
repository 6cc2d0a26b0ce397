#include "wizard/media_dialog.h"

#include <commdlg.h>
#include <shlobj.h>

#include "app/handles.h"
#include "app/message_box.h"
#include "app/paths.h"
#include "app/shell_folder.h"
#include "app/system_info.h"
#include "wizard/dialog_helpers.h"
#include "wizard/dialog_position.h"
#include "wizard/parameter_fields.h"

namespace {

const PositionKeys kPositionKeys = {L"SetPlayLeft", L"SetPlayTop"};
const wchar_t kBrowseFilter[] =
    L"サウンド(*.wav,*.mp3,*.aif,*.cda)\0*.wav;*.mp3;*.aif;*.cda\0"
    L"MIDIシーケンサ(*.mid,*.rmi)\0*.mid;*.rmi\0"
    L"動画(*.avi,*.mpg)\0*.avi;*.mpg\0"
    L"すべてのファイル(*.*)\0*.*\0";
const int kFileBufferSize = 260;

class MediaFileDialog {
public:
    MediaFileDialog(const WideString& text, int iconId, const SettingSection* section)
        : text_(text), iconId_(iconId), section_(section) {}
    MediaFileDialog(const MediaFileDialog&) = delete;
    MediaFileDialog& operator=(const MediaFileDialog&) = delete;

    const WideString& Text() const { return text_; }

    void OnInitDialog(HWND window);
    void OnDestroy();
    void Browse();
    void Accept();
    void Cancel();

private:
    HWND window_ = nullptr;
    WideString text_;
    int iconId_;
    const SettingSection* section_;
    UniqueIcon smallIcon_;
};

// The dialog that is showing; there is one at a time.
MediaFileDialog* g_mediaDialog = nullptr;

void MediaFileDialog::OnInitDialog(HWND window) {
    window_ = window;
    if (iconId_ != 0) {
        smallIcon_.Reset(
            static_cast<HICON>(LoadImageW(AppInstance(), MAKEINTRESOURCEW(iconId_), IMAGE_ICON,
                                          GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));
        if (smallIcon_) SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.Get()));
    }
    MediaFields fields = ReadMediaFields(text_);
    CheckDlgButton(window, kMediaRepeat, fields.repeat ? BST_CHECKED : BST_UNCHECKED);
    HWND volume = GetDlgItem(window, kMediaVolume);
    for (int i = 0; i < kVolumeEntryCount; ++i)
        SendMessageW(volume, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(VolumeEntryText(i).c_str()));
    SendMessageW(volume, CB_SETCURSEL, static_cast<WPARAM>(fields.volumeIndex), 0);
    SetDlgItemTextW(window, kMediaFileBox, fields.file.c_str());
    MoveToStoredPosition(window, section_, kPositionKeys);
}

void MediaFileDialog::OnDestroy() {
    if (smallIcon_) ReportLastError(smallIcon_.Reset(), "DestroyIcon");
}

void MediaFileDialog::Browse() {
    WideString start = Unquote(GetControlText(GetDlgItem(window_, kMediaFileBox)));
    bool exists = !start.IsEmpty() && GetFileAttributesW(start.c_str()) != INVALID_FILE_ATTRIBUTES;
    MediaBrowseStart plan = PlanMediaBrowseStart(start, exists, ShellFolderPath(CSIDL_WINDOWS), kFileBufferSize);

    // The plan gives a start that fits the buffer with its terminating zero.
    wchar_t file[kFileBufferSize] = {};
    plan.file.str().copy(file, kFileBufferSize - 1);
    OPENFILENAMEW description = DescribeOpenFile(window_, kBrowseFilter, static_cast<DWORD>(plan.filterIndex), file,
                                                 kFileBufferSize, L"音声・動画ファイルの指定");
    if (!plan.initialFolder.IsEmpty()) description.lpstrInitialDir = plan.initialFolder.c_str();
    if (GetOpenFileNameW(&description)) SetDlgItemTextW(window_, kMediaFileBox, file);
}

void MediaFileDialog::Accept() {
    MediaFields fields;
    fields.file = GetControlText(GetDlgItem(window_, kMediaFileBox));
    if (fields.file.IsEmpty()) {
        ShowErrorBox(L"ファイル名が入っていません", window_);
        return;
    }
    StorePosition(window_, section_, kPositionKeys);
    fields.repeat = IsDlgButtonChecked(window_, kMediaRepeat) == BST_CHECKED;
    LRESULT selected = SendDlgItemMessageW(window_, kMediaVolume, CB_GETCURSEL, 0, 0);
    fields.volumeIndex = selected == CB_ERR ? 0 : static_cast<int>(selected);
    text_ = ComposeMediaFields(fields);
    ReportLastError(EndDialog(window_, 1), "EndDialog");
}

void MediaFileDialog::Cancel() {
    ReportLastError(EndDialog(window_, 0), "EndDialog");
}

INT_PTR CALLBACK MediaDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    MediaFileDialog* dialog = g_mediaDialog;
    if (!dialog) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        dialog->OnInitDialog(window);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kMediaBrowse:
            dialog->Browse();
            return TRUE;
        case kMediaOk:
        case IDOK:
            dialog->Accept();
            return TRUE;
        case kMediaCancel:
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

bool EditMediaParameter(HWND owner, WideString& text, int iconId, const SettingSection* section) {
    MediaFileDialog dialog(text, iconId, section);
    g_mediaDialog = &dialog;
    INT_PTR result = DialogBoxParamW(AppInstance(), MAKEINTRESOURCEW(kMediaDialogId), owner, MediaDialogProc, 0);
    g_mediaDialog = nullptr;
    if (result == -1) ReportLastError(FALSE, "DialogBoxParam");
    if (result != 1) return false;
    text = dialog.Text();
    return true;
}
