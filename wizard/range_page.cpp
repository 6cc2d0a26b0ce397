#include "wizard/range_page.h"

#include "app/message_box.h"
#include "wizard/dialog_helpers.h"
#include "wizard/range_drag.h"
#include "wizard/wizard_logic.h"
#include "wizard/wizard_page.h"

namespace {

ScreenRangePage* currentRangePage = nullptr;

const COLORREF kMonitorRed = RGB(255, 0, 0);
const COLORREF kMarkBlue = RGB(0, 0, 255);
const int kPenWidth = 2;

void DrawMonitorBox(HDC dc, const RECT& box) {
    // Outline from the top-left corner down, along the bottom, up and back, then the
    // diagonal to the bottom-right and the one from the top-right to the bottom-left.
    MoveToEx(dc, box.left, box.top, nullptr);
    LineTo(dc, box.left, box.bottom);
    LineTo(dc, box.right, box.bottom);
    LineTo(dc, box.right, box.top);
    LineTo(dc, box.left, box.top);
    LineTo(dc, box.right, box.bottom);
    MoveToEx(dc, box.right, box.top, nullptr);
    LineTo(dc, box.left, box.bottom);
}

void DrawCornerMarks(HDC dc, const RECT& box) {
    CornerMark marks[4];
    RangeCornerMarks(box, marks);
    for (const CornerMark& mark : marks) Polyline(dc, mark.points, 3);
}

}  // namespace

RECT ReadScreenRange(const SettingSection& section) {
    RECT range;
    range.left = section.ReadInt(L"ScrLeft", 0);
    range.top = section.ReadInt(L"ScrTop", 0);
    range.right = section.ReadInt(L"ScrRight", 0);
    range.bottom = section.ReadInt(L"ScrBottom", 0);
    return range;
}

bool WriteScreenRange(const SettingSection& section, const RECT& range) {
    return section.WriteInt(L"ScrLeft", range.left) && section.WriteInt(L"ScrTop", range.top) &&
           section.WriteInt(L"ScrRight", range.right) && section.WriteInt(L"ScrBottom", range.bottom);
}

ScreenRangePage::ScreenRangePage(WizardContext& context) : context_(context) {
    currentRangePage = this;
}

ScreenRangePage::~ScreenRangePage() {
    EndDrag();
    if (currentRangePage == this) currentRangePage = nullptr;
}

void ScreenRangePage::OnInitDialog(HWND page) {
    page_ = page;
    AttachTooltip(page, GetDlgItem(page, kRangeHoldCheck),
                  WideString(L"スクリーンセーバー等とは電源管理も含んでいます"));

    HWND frame = GetDlgItem(page, kRangeFrame);
    RECT frameRect = {0, 0, 0, 0};
    ReportLastError(GetWindowRect(frame, &frameRect), "GetWindowRect");
    POINT origin = {frameRect.left, frameRect.top};
    ReportLastError(ScreenToClient(page, &origin), "ScreenToClient");

    RECT bounds = {0, 0, 0, 0};
    const MONITORINFOEXW* monitors = nullptr;
    int count = 0;
    if (context_.layout) {
        bounds = context_.layout->bounds;
        monitors = context_.layout->monitors();
        count = context_.layout->count;
    }
    map_ = MakeRangeMap(bounds, origin, frameRect.right - frameRect.left, frameRect.bottom - frameRect.top);
    monitorBoxes_.clear();
    for (int i = 0; i < count; ++i) monitorBoxes_.push_back(MapDesktopRect(map_, monitors[i].rcMonitor));
}

void ScreenRangePage::OnSetActive() {
    const SettingSection& section = *context_.section;
    SetDlgItemTextW(page_, kRangeSettingName, SettingNameLabel(section.Section()).c_str());
    CheckDlgButton(page_, kRangeHoldCheck, section.ReadBool(L"SSHold", true) ? BST_CHECKED : BST_UNCHECKED);
    range_ = ReadScreenRange(section);
    UpdateRangeBox();
}

void ScreenRangePage::UpdateRangeBox() {
    bool hasArea = RangeHasArea(range_);
    rangeBox_ = VisibleRangeBox(MapDesktopRect(map_, range_));
    HWND box = GetDlgItem(page_, kRangeBox);
    ReportLastError(SetWindowPos(box, nullptr, rangeBox_.left, rangeBox_.top, rangeBox_.right - rangeBox_.left,
                                 rangeBox_.bottom - rangeBox_.top, SWP_NOZORDER | SWP_NOACTIVATE),
                    "SetWindowPos");
    ShowWindow(box, hasArea ? SW_SHOWNA : SW_HIDE);
    // The page and its controls at once: the map first, the grey box over it.
    RedrawWindow(page_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // However thin the range is in the map, a range with pixels on the desktop may be
    // watched.
    PostWizardButtons(page_, hasArea ? PSWIZB_BACK | PSWIZB_NEXT : PSWIZB_BACK);
}

int ScreenRangePage::OnWizardNext() {
    const SettingSection& section = *context_.section;
    // A write that fails has shown why; the rest of the page is not written after it.
    if (section.WriteBool(L"SSHold", IsDlgButtonChecked(page_, kRangeHoldCheck) == BST_CHECKED))
        WriteScreenRange(section, range_);
    return kActionPageId;
}

void ScreenRangePage::OnCommand(int id, int code) {
    switch (id) {
    case kRangeDragButton:
        if (code == BN_CLICKED && !IsRangeDragRunning()) {
            RangeDragNotice notice;
            notice.window = page_;
            notice.message = WM_COMMAND;
            notice.wParam = kRangeChosenCommand;
            notice.lParam = 0;
            StartRangeDrag(&range_, notice);
        }
        break;
    case kRangeChosenCommand:
        UpdateRangeBox();
        break;
    default:
        break;
    }
}

void ScreenRangePage::OnPaint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(page_, &paint);
    if (!dc) return;
    {
        UniqueGdi<HPEN> red(CreatePen(PS_SOLID, kPenWidth, kMonitorRed));
        SelectionScope pen(dc, red.Get());
        for (const RECT& box : monitorBoxes_) DrawMonitorBox(dc, box);
    }
    if (RangeHasArea(range_)) {
        UniqueGdi<HPEN> blue(CreatePen(PS_SOLID, kPenWidth, kMarkBlue));
        SelectionScope pen(dc, blue.Get());
        DrawCornerMarks(dc, rangeBox_);
    }
    EndPaint(page_, &paint);
}

void ScreenRangePage::EndDrag() {
    if (IsRangeDragRunning()) CancelRangeDrag();
}

INT_PTR CALLBACK RangePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    ScreenRangePage* rangePage = currentRangePage;
    if (!rangePage) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        rangePage->OnInitDialog(page);
        return TRUE;
    case WM_PAINT:
        rangePage->OnPaint();
        return TRUE;
    case WM_COMMAND:
        rangePage->OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_DESTROY:
        rangePage->EndDrag();
        return TRUE;
    case WM_NOTIFY:
        switch (reinterpret_cast<NMHDR*>(lParam)->code) {
        case PSN_SETACTIVE:
            rangePage->OnSetActive();
            return AnswerPageNotification(page, 0);
        case PSN_KILLACTIVE:
            rangePage->EndDrag();
            return AnswerPageNotification(page, FALSE);
        case PSN_WIZNEXT:
            return AnswerPageNotification(page, rangePage->OnWizardNext());
        case PSN_WIZBACK:
            return AnswerPageNotification(page, kModePageId);
        case PSN_QUERYCANCEL:
            return AnswerQueryCancel(page);
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}
