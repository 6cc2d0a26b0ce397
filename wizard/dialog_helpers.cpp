#include "wizard/dialog_helpers.h"

#include <commctrl.h>

#include <vector>

#include "app/paths.h"
#include "app/system_info.h"

const wchar_t kDialogFontFace[] = L"ＭＳ Ｐゴシック";

WideString GetControlText(HWND control) {
    int length = GetWindowTextLengthW(control);
    if (length <= 0) return WideString();
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(control, buffer.data(), length + 1);
    return WideString(buffer.data());
}

WideString GetComboItemText(HWND combo, int index) {
    LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR || length < 0) return WideString();
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    return WideString(buffer.data());
}

void SetSmallIcon(HWND window, int iconId) {
    HICON icon =
        static_cast<HICON>(LoadImageW(AppInstance(), MAKEINTRESOURCEW(iconId), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    if (icon) SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

bool DescribeFont(HDC dc, const WideString& face, int points, LOGFONTW& font) {
    font = LOGFONTW{};
    if (face.Length() >= LF_FACESIZE) return false;
    font.lfHeight = -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
    font.lfCharSet = SHIFTJIS_CHARSET;
    wcscpy(font.lfFaceName, face.c_str());
    return true;
}

UniqueGdi<HFONT> CreatePointFont(const WideString& face, int points) {
    WindowDc screen(nullptr);
    LOGFONTW font;
    if (!screen || !DescribeFont(screen.Get(), face, points, font)) return UniqueGdi<HFONT>();
    return UniqueGdi<HFONT>(CreateFontIndirectW(&font));
}

void SetControlFont(HWND control, HFONT font) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

OPENFILENAMEW DescribeOpenFile(HWND owner, const wchar_t* filter, DWORD filterIndex, wchar_t* file, DWORD fileSize,
                               const wchar_t* title) {
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.nFilterIndex = filterIndex;
    ofn.lpstrFile = file;
    ofn.nMaxFile = fileSize;
    ofn.lpstrTitle = title;
    ofn.Flags = OFN_READONLY | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_FILEMUSTEXIST;
    return ofn;
}

WNDCLASSW DescribeWindowClass(WNDPROC procedure, HINSTANCE instance, HICON icon, const wchar_t* className) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.lpszClassName = className;
    return wc;
}

int CheckedRadioIndex(HWND dialog, int base, int count) {
    for (int i = 0; i < count; ++i) {
        if (IsDlgButtonChecked(dialog, base + 1 + i) == BST_CHECKED) return i;
    }
    return -1;
}

void CheckRadioIndex(HWND dialog, int base, int count, int index) {
    if (index >= 0 && index < count) {
        CheckRadioButton(dialog, base + 1, base + count, base + 1 + index);
        return;
    }
    for (int i = 0; i < count; ++i) CheckDlgButton(dialog, base + 1 + i, BST_UNCHECKED);
}

int ClampToRange(int value, int low, int high, bool* clamped) {
    if (low > high) {
        int t = low;
        low = high;
        high = t;
    }
    bool outside = value < low || value > high;
    if (clamped) *clamped = outside;
    if (value < low) return low;
    if (value > high) return high;
    return value;
}

bool ClampUpDownBuddy(HWND upDown, HWND buddy, int* value) {
    LRESULT range = SendMessageW(upDown, UDM_GETRANGE, 0, 0);
    int high = static_cast<short>(LOWORD(range));
    int low = static_cast<short>(HIWORD(range));
    wchar_t text[10] = {};
    GetWindowTextW(buddy, text, 10);
    int number = static_cast<int>(WideString(text).Trimmed().ToInt(0));
    bool clamped = false;
    int result = ClampToRange(number, low, high, &clamped);
    if (clamped) SetWindowTextW(buddy, WideString::FromInt(result).c_str());
    if (value) *value = result;
    return clamped;
}

HWND AttachTooltip(HWND dialog, HWND control, const WideString& text) {
    HWND tip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr, AppInstance(), nullptr);
    if (!tip) return nullptr;
    TOOLINFOW info = {};
    info.cbSize = sizeof(info);
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = dialog;
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = const_cast<wchar_t*>(L" ");
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    UpdateTooltipText(tip, dialog, control, text);
    SendMessageW(tip, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(5000, 0));
    return tip;
}

void UpdateTooltipText(HWND tooltip, HWND dialog, HWND control, const WideString& text) {
    WideString shown = text.IsEmpty() ? WideString(L" ") : text;
    TOOLINFOW info = {};
    info.cbSize = sizeof(info);
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = dialog;
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = const_cast<wchar_t*>(shown.c_str());
    SendMessageW(tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
    // As wide as the widest line.
    StringList lines;
    SplitLines(shown, lines);
    int widest = 0;
    WindowDc dc(tooltip);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(tooltip, WM_GETFONT, 0, 0));
    SelectionScope selection(dc.Get(), font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    for (int i = 0; i < lines.Count(); ++i) {
        SIZE size = {};
        if (GetTextExtentPoint32W(dc.Get(), lines[i].c_str(), lines[i].Length(), &size) && size.cx > widest)
            widest = size.cx;
    }
    SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, widest);
}
