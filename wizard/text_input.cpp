#include "wizard/text_input.h"

#include <vector>

#include "app/handles.h"
#include "app/message_box.h"
#include "app/paths.h"
#include "app/string_list.h"
#include "app/system_info.h"
#include "wizard/dialog_helpers.h"
#include "wizard/text_input_layout.h"

namespace {

class TextInputDialog;
TextInputDialog* currentTextInput = nullptr;

class TextInputDialog {
public:
    TextInputDialog(const WideString& title, const WideString& prompt, const WideString& text, int iconId,
                    bool allowEmpty)
        : title_(title), prompt_(prompt), text_(text), iconId_(iconId), allowEmpty_(allowEmpty) {
        currentTextInput = this;
    }
    ~TextInputDialog() {
        if (currentTextInput == this) currentTextInput = nullptr;
    }
    TextInputDialog(const TextInputDialog&) = delete;
    TextInputDialog& operator=(const TextInputDialog&) = delete;

    const WideString& Text() const { return text_; }

    void OnInitDialog(HWND dialog) {
        window_ = dialog;
        ReportLastError(BringWindowToTop(dialog), "BringWindowToTop");
        SetForegroundWindow(dialog);
        if (iconId_ != 0) SetSmallIcon(dialog, iconId_);
        promptFont_ = CreatePointFont(WideString(kDialogFontFace), 10);
        if (promptFont_) SetControlFont(GetDlgItem(dialog, kTextInputPrompt), promptFont_.Get());
        FitPrompt();
        SetWindowTextW(dialog, title_.c_str());
        SetDlgItemTextW(dialog, kTextInputPrompt, prompt_.c_str());
        HWND edit = GetDlgItem(dialog, kTextInputEdit);
        SetWindowTextW(edit, text_.c_str());
        SendMessageW(edit, EM_SETSEL, 0, -1);
        SetFocus(edit);
    }

    void OnCommand(int id) {
        switch (id) {
        case kTextInputOk: {
            WideString typed = GetControlText(GetDlgItem(window_, kTextInputEdit));
            if (!allowEmpty_ && typed.Trimmed().IsEmpty()) {
                ShowErrorBox(L"入力されていません", window_);
                return;
            }
            text_ = typed;
            EndDialog(window_, IDOK);
            break;
        }
        case kTextInputCancel:
        case IDCANCEL:
            EndDialog(window_, IDCANCEL);
            break;
        default:
            break;
        }
    }

    void OnDestroy() { ReportLastError(promptFont_.Reset(), "DeleteObject"); }

private:
    // A control's rectangle in the dialog's client coordinates.
    Box ClientBox(HWND control) const {
        RECT r = {};
        ReportLastError(GetWindowRect(control, &r), "GetWindowRect");
        POINT corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
        ReportLastError(ScreenToClient(window_, &corners[0]), "ScreenToClient");
        ReportLastError(ScreenToClient(window_, &corners[1]), "ScreenToClient");
        return Box{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    }

    Extent MeasurePrompt(HWND promptControl) const {
        StringList lines;
        SplitLines(prompt_, lines);
        std::vector<Extent> extents;
        WindowDc dc(promptControl);
        HFONT font = promptFont_ ? promptFont_.Get() : reinterpret_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        SelectionScope selection(dc.Get(), font);
        for (int i = 0; i < lines.Count(); ++i) {
            WideString line = lines[i].IsEmpty() ? WideString(L" ") : lines[i];
            SIZE size = {};
            if (ReportLastError(GetTextExtentPoint32W(dc.Get(), line.c_str(), line.Length(), &size), "GTEP32"))
                extents.push_back(Extent{size.cx, size.cy});
        }
        return PromptExtent(extents);
    }

    // Grows the dialog so that every line of the prompt shows.
    void FitPrompt() {
        HWND prompt = GetDlgItem(window_, kTextInputPrompt);
        HWND edit = GetDlgItem(window_, kTextInputEdit);
        HWND ok = GetDlgItem(window_, kTextInputOk);
        HWND cancel = GetDlgItem(window_, kTextInputCancel);
        TextInputLayout layout;
        RECT windowRect = {};
        ReportLastError(GetWindowRect(window_, &windowRect), "GetWindowRect");
        layout.window = Box{windowRect.left, windowRect.top, windowRect.right, windowRect.bottom};
        layout.prompt = ClientBox(prompt);
        layout.edit = ClientBox(edit);
        layout.ok = ClientBox(ok);
        layout.cancel = ClientBox(cancel);

        Extent growth = PromptGrowth(MeasurePrompt(prompt), Extent{layout.prompt.Width(), layout.prompt.Height()});
        if (growth.width == 0 && growth.height == 0) return;
        TextInputLayout grown = GrowTextInputLayout(layout, growth);
        ReportLastError(
            MoveWindow(window_, grown.window.left, grown.window.top, grown.window.Width(), grown.window.Height(), TRUE),
            "MoveWindow");
        ReportLastError(
            SetWindowPos(prompt, nullptr, 0, 0, grown.prompt.Width(), grown.prompt.Height(), SWP_NOMOVE | SWP_NOZORDER),
            "SetWindowPos");
        MoveControl(edit, grown.edit);
        MoveControl(ok, grown.ok);
        MoveControl(cancel, grown.cancel);
    }

    static void MoveControl(HWND control, const Box& box) {
        ReportLastError(MoveWindow(control, box.left, box.top, box.Width(), box.Height(), TRUE), "MoveWindow");
    }

    HWND window_ = nullptr;
    WideString title_;
    WideString prompt_;
    WideString text_;
    int iconId_;
    bool allowEmpty_;
    UniqueGdi<HFONT> promptFont_;
};

INT_PTR CALLBACK TextInputProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    TextInputDialog* input = currentTextInput;
    if (!input) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        input->OnInitDialog(dialog);
        return FALSE;  // the focus is on the edit box
    case WM_COMMAND:
        input->OnCommand(LOWORD(wParam));
        return TRUE;
    case WM_DESTROY:
        input->OnDestroy();
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

bool ShowTextInput(HWND owner, const WideString& title, const WideString& prompt, WideString& text, int iconId,
                   bool allowEmpty) {
    TextInputDialog dialog(title, prompt, text, iconId, allowEmpty);
    INT_PTR result = DialogBoxParamW(AppInstance(), MAKEINTRESOURCEW(kTextInputDialogId), owner, TextInputProc, 0);
    if (result == -1) ReportLastError(FALSE, "DialogBoxParam");
    if (result != IDOK) return false;
    text = dialog.Text();
    return true;
}
