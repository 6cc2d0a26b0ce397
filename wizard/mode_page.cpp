#include "wizard/mode_page.h"

#include <shellapi.h>

#include "app/message_box.h"
#include "app/paths.h"
#include "tollerup_version.h"
#include "wizard/dialog_helpers.h"
#include "wizard/wizard_logic.h"
#include "wizard/wizard_page.h"

const wchar_t kSameAsLastTime[] = L"前回と同じ";

namespace {

ModePage* currentModePage = nullptr;

const COLORREF kGreen = RGB(0, 128, 0);
const COLORREF kBlue = RGB(0, 0, 255);

}  // namespace

ModePageLinks MakeModePageLinks(const WideString& programPath) {
    ModePageLinks links;
    links.author = L"作者：Tollerup の開発者";
    links.mail = L"メール：Tollerup についての新しいメールを作ります（宛先はご自分で）";
    links.homePage = L"ホームページ：このプログラムのフォルダーを開きます";
    links.mailTarget = L"Mailto:?subject=Tollerup";
    links.homePageTarget = DirectoryPart(Unquote(programPath));
    return links;
}

void SavedSettingEntries(const StringList& sections, StringList& entries) {
    entries.Clear();
    entries.Add(WideString(kSameAsLastTime));
    for (int i = 0; i < sections.Count(); ++i) {
        if (!IsWorkingSectionName(sections[i])) entries.Add(sections[i]);
    }
}

WideString SectionForMode(int watchMode, int selectedIndex, const WideString& selectedText) {
    if (watchMode != 0 || selectedIndex <= 0) return WideString(kWorkingSection);
    return selectedText;
}

ModePage::ModePage(WizardContext& context) : context_(context) {
    currentModePage = this;
}

ModePage::~ModePage() {
    if (currentModePage == this) currentModePage = nullptr;
}

void ModePage::OnInitDialog(HWND page) {
    page_ = page;
    CheckRadioButton(page, kModeScreenRadio, kModeProcessRadio, kModeScreenRadio);
    SetDlgItemTextW(page, kModeVersion, L"Ver." TLR_VERSION_WIDE_TEXT);

    links_ = MakeModePageLinks(context_.programPath);
    SetDlgItemTextW(page, kModeAuthor, links_.author.c_str());
    SetDlgItemTextW(page, kModeMail, links_.mail.c_str());
    SetDlgItemTextW(page, kModeHomePage, links_.homePage.c_str());

    AttachTooltip(page, GetDlgItem(page, kModeAuthor), WideString(L"私の詳細は秘密です"));
    AttachTooltip(page, GetDlgItem(page, kModeMail), WideString(L"ダブルクリックすると作者にメールが送れます"));
    AttachTooltip(page, GetDlgItem(page, kModeHomePage), WideString(L"ダブルクリックするとホームページに飛びます"));
    AttachTooltip(page, GetDlgItem(page, kModeSavedList),
                  WideString(L"画面モードで保存したパラメーターを修正するとき指定します"));

    titleFont_ = CreatePointFont(WideString(kDialogFontFace), 16);
    versionFont_ = CreatePointFont(WideString(kDialogFontFace), 12);
    if (titleFont_) SetControlFont(GetDlgItem(page, kModeTitle), titleFont_.Get());
    if (versionFont_) SetControlFont(GetDlgItem(page, kModeVersion), versionFont_.Get());
}

void ModePage::FillSavedList() {
    HWND list = GetDlgItem(page_, kModeSavedList);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    StringList sections(false);
    context_.section->ListSections(sections);
    StringList entries(false);
    SavedSettingEntries(sections, entries);
    // The entries go straight into the combo's own list, which draws nothing meanwhile:
    // every message to the combo passes the subclass of its tip, which under Wine asks the
    // server for the combo's properties twice, and a thousand saved settings made the
    // first page wait several times as long as it takes to read them.
    COMBOBOXINFO parts = {};
    parts.cbSize = sizeof(parts);
    HWND items = SendMessageW(list, CB_GETCOMBOBOXINFO, 0, reinterpret_cast<LPARAM>(&parts)) ? parts.hwndList : nullptr;
    UINT add = items ? LB_ADDSTRING : CB_ADDSTRING;
    if (!items) items = list;
    SendMessageW(items, WM_SETREDRAW, FALSE, 0);
    for (int i = 0; i < entries.Count(); ++i) SendMessageW(items, add, 0, reinterpret_cast<LPARAM>(entries[i].c_str()));
    SendMessageW(items, WM_SETREDRAW, TRUE, 0);
    SendMessageW(list, CB_SETCURSEL, 0, 0);
    EnableWindow(GetDlgItem(page_, kModeDeleteButton), FALSE);
}

void ModePage::OnSetActive() {
    FillSavedList();
    PostWizardButtons(page_, PSWIZB_NEXT);
}

int ModePage::OnWizardNext() {
    int mode = IsDlgButtonChecked(page_, kModeProcessRadio) == BST_CHECKED ? 1 : 0;
    HWND list = GetDlgItem(page_, kModeSavedList);
    int selected = static_cast<int>(SendMessageW(list, CB_GETCURSEL, 0, 0));
    WideString selectedText = selected > 0 ? GetComboItemText(list, selected) : WideString();
    context_.section->SetSection(SectionForMode(mode, selected, selectedText));
    context_.section->WriteInt(L"WatchMode", mode);
    return PageAfterMode(mode);
}

void ModePage::DeleteSelectedSetting() {
    HWND list = GetDlgItem(page_, kModeSavedList);
    int selected = static_cast<int>(SendMessageW(list, CB_GETCURSEL, 0, 0));
    if (selected <= 0) return;
    WideString name = GetComboItemText(list, selected);
    // A section the file kept stays in the list.
    if (!context_.section->DeleteSection(name)) return;
    SendMessageW(list, CB_DELETESTRING, static_cast<WPARAM>(selected), 0);
    SendMessageW(list, CB_SETCURSEL, 0, 0);
    EnableWindow(GetDlgItem(page_, kModeDeleteButton), FALSE);
}

void ModePage::ShowLastCapture() {
    if (GetFileAttributesW(context_.capturePath.c_str()) == INVALID_FILE_ATTRIBUTES) {
        ShowErrorBox(L"キャプチャーファイルが見つかりません", page_);
        return;
    }
    WideString folder = DirectoryPart(context_.capturePath);
    ShellExecuteW(nullptr, L"open", context_.capturePath.c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL);
}

void ModePage::OnCommand(int id, int code) {
    switch (id) {
    case kModeScreenRadio:
        if (code == BN_CLICKED) EnableWindow(GetDlgItem(page_, kModeSavedList), TRUE);
        break;
    case kModeProcessRadio:
        if (code == BN_CLICKED) {
            SendDlgItemMessageW(page_, kModeSavedList, CB_SETCURSEL, 0, 0);
            EnableWindow(GetDlgItem(page_, kModeSavedList), FALSE);
            EnableWindow(GetDlgItem(page_, kModeDeleteButton), FALSE);
        }
        break;
    case kModeSavedList:
        if (code == CBN_SELCHANGE) {
            LRESULT selected = SendDlgItemMessageW(page_, kModeSavedList, CB_GETCURSEL, 0, 0);
            EnableWindow(GetDlgItem(page_, kModeDeleteButton), selected > 0);
        }
        break;
    case kModeDeleteButton:
        if (code == BN_CLICKED) DeleteSelectedSetting();
        break;
    case kModeCaptureButton:
        if (code == BN_CLICKED) ShowLastCapture();
        break;
    case kModeMail:
        if (code == STN_DBLCLK)
            ShellExecuteW(nullptr, L"open", links_.mailTarget.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        break;
    case kModeHomePage:
        if (code == STN_DBLCLK)
            ShellExecuteW(nullptr, L"open", links_.homePageTarget.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        break;
    default:
        break;
    }
}

HBRUSH ModePage::OnStaticColour(HDC dc, HWND control) {
    COLORREF colour = GetSysColor(COLOR_WINDOWTEXT);
    switch (GetDlgCtrlID(control)) {
    case kModeDescription:
        colour = kGreen;
        break;
    case kModeAuthor:
    case kModeMail:
    case kModeHomePage:
        colour = kBlue;
        break;
    default:
        break;
    }
    SetTextColor(dc, colour);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return GetSysColorBrush(COLOR_BTNFACE);
}

void ModePage::OnDestroy() {
    ReportLastError(titleFont_.Reset(), "DeleteObject");
    ReportLastError(versionFont_.Reset(), "DeleteObject");
}

INT_PTR CALLBACK ModePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    ModePage* modePage = currentModePage;
    if (!modePage) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        modePage->OnInitDialog(page);
        return TRUE;
    case WM_COMMAND:
        modePage->OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(
            modePage->OnStaticColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    case WM_DESTROY:
        modePage->OnDestroy();
        return TRUE;
    case WM_NOTIFY:
        switch (reinterpret_cast<NMHDR*>(lParam)->code) {
        case PSN_SETACTIVE:
            modePage->OnSetActive();
            return AnswerPageNotification(page, 0);
        case PSN_WIZNEXT:
            return AnswerPageNotification(page, modePage->OnWizardNext());
        case PSN_QUERYCANCEL:
            return AnswerQueryCancel(page);
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}
