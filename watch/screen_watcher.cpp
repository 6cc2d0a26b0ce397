#include "watch/screen_watcher.h"

#include "app/message_box.h"
#include "app/message_loop.h"
#include "app/string_list.h"
#include "app/system_info.h"
#include "power/screen_saver_power_hold.h"
#include "watch/screen_note_lines.h"
#include "watch/watchers.h"

const wchar_t kScreenFrameClass[] = L"SCRWATCHWINCLASS";

namespace {
// The watcher that the frame windows' procedure serves.
ScreenWatcher* g_watcher = nullptr;

const UINT_PTR kTickTimer = 0;
const UINT kTickMilliseconds = 1000;

void RegisterFrameClass() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &ScreenWatcher::FrameProc;
    windowClass.hInstance = AppInstance();
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_3DDKSHADOW);
    windowClass.lpszClassName = kScreenFrameClass;
    RegisterClassW(&windowClass);  // already registered by an earlier watch of this process: fine
}
}  // namespace

ScreenWatcher::ScreenWatcher(const RECT& area, bool hold, const WideString& savedSettings, int actionKind,
                             const WideString& actionText)
    : area_(area) {
    g_watcher = this;
    RegisterFrameClass();
    BarRect bars[kFrameBarCount];
    FrameBarRects(area_, bars);
    for (int i = 0; i < kFrameBarCount; ++i) {
        frameWindows_[i].Reset(CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kScreenFrameClass, L"",
                                               WS_POPUP | WS_VISIBLE, bars[i].x, bars[i].y, bars[i].width,
                                               bars[i].height, nullptr, nullptr, AppInstance(), nullptr));
        ReportLastError(frameWindows_[i].IsValid(), "CreateWindowEx");
    }

    StringList lines;
    ComposeNoteLines(hold, savedSettings, actionKind, actionText, lines);
    note_.reset();
    note_.reset(new ScreenNote(lines, area_));

    picture_.reset(new ScreenPicture(area_));
    if (!picture_->IsReady()) return;
    // The note is painted by now: where it overlaps the area it is part of the reference.
    picture_->TakeReference();

    HWND top = frameWindows_[kTopBar].Get();
    KillTimer(top, kTickTimer);
    ReportLastError(SetTimer(top, kTickTimer, kTickMilliseconds, nullptr) != 0, "SetTimer");
}

ScreenWatcher::~ScreenWatcher() {
    picture_.reset();  // bitmap, memory context, desktop context
    for (UniqueWindow& frame : frameWindows_) {
        if (frame) ReportLastError(frame.Reset(), "DestroyWindow");
    }
    note_.reset();
    if (g_watcher == this) g_watcher = nullptr;
}

int ScreenWatcher::RunScreenWatch() {
    for (UniqueWindow& frame : frameWindows_) {
        ShowWindow(frame.Get(), SW_SHOWNORMAL);
        UpdateWindow(frame.Get());
    }
    return static_cast<int>(RunMessageLoop(nullptr));
}

void ScreenWatcher::Tick() {
    if (picture_ && picture_->HasChanged()) PostQuitMessage(1);
}

LRESULT CALLBACK ScreenWatcher::FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (g_watcher) g_watcher->Tick();
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

WatchResult RunScreenModeWatch(const ScreenWatchSetup& setup) {
    switch (CheckWatchArea(setup.area)) {
    case AreaCheck::NoExtent:
        ShowErrorBox(L"監視範囲に幅または高さがありません。画面範囲を指定し直してください");
        return WatchResult::Refused;
    case AreaCheck::OutOfRange:
        ShowErrorBox(L"監視範囲が大きすぎるか画面から離れすぎています。画面範囲を指定し直してください");
        return WatchResult::Refused;
    case AreaCheck::Ok:
        break;
    }
    WindowsPowerHoldSystem system;
    ScreenSaverPowerHold hold(setup.holdScreenSaver, system);
    int code = 0;
    bool ready = false;
    {
        ScreenWatcher watcher(setup.area, hold.Holds(), hold.SavedSettingsText(), setup.actionKind, setup.actionText);
        ready = watcher.IsReady();
        if (ready) code = watcher.RunScreenWatch();
    }
    if (!ready) {
        ShowErrorBox(L"監視範囲の画像を用意できませんでした");
        return WatchResult::Refused;
    }
    // The hold ends as this function returns, before any capture or action.
    return code == 1 ? WatchResult::Met : WatchResult::Cancelled;
}
