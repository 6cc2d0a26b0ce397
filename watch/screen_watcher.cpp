#include "watch/screen_watcher.h"

#include <utility>

#include "app/message_box.h"
#include "app/message_loop.h"
#include "app/string_list.h"
#include "app/system_info.h"
#include "power/screen_saver_power_hold.h"
#include "watch/screen_note_lines.h"

const wchar_t kScreenFrameClass[] = L"SCRWATCHWINCLASS";
const wchar_t kWatchFaultText[] = L"監視中に異常が発生したため終了します";
const wchar_t kPictureNotPreparedText[] = L"監視範囲の画像を用意できませんでした";

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
                             const WideString& actionText, ScreenSaverPowerHold* powerHold,
                             std::unique_ptr<AreaPicture> picture, const FrameBarMaker& makeBar)
    : area_(area), powerHold_(powerHold), picture_(std::move(picture)) {
    g_watcher = this;
    RegisterFrameClass();
    BarRect bars[kFrameBarCount];
    FrameBarRects(area_, bars);
    for (int i = 0; i < kFrameBarCount; ++i) {
        HWND bar = makeBar ? makeBar(bars[i])
                           : CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kScreenFrameClass, L"",
                                             WS_POPUP | WS_VISIBLE, bars[i].x, bars[i].y, bars[i].width, bars[i].height,
                                             nullptr, nullptr, AppInstance(), nullptr);
        if (!bar) {
            // Without its frame (window handles exhausted) there is no watch: the failure
            // is told once the hold has been given back.
            frameFailedCall_ = "CreateWindowEx";
            frameFailedError_ = GetLastError();
            return;
        }
        frameWindows_[i].Reset(bar);
    }

    StringList lines;
    ComposeNoteLines(hold, savedSettings, actionKind, actionText, lines);
    note_.reset();
    note_.reset(new ScreenNote(lines, area_));

    if (!picture_) picture_.reset(new ScreenPicture(area_));
    if (!picture_->IsReady()) return;
    // The note is painted by now: where it overlaps the area it is part of the reference.
    picture_->TakeReference();

    HWND top = frameWindows_[kTopBar].Get();
    KillTimer(top, kTickTimer);
    ReportLastError(SetTimer(top, kTickTimer, kTickMilliseconds, nullptr) != 0, "SetTimer");
}

ScreenWatcher::~ScreenWatcher() {
    picture_.reset();  // section, memory context, desktop context
    for (UniqueWindow& frame : frameWindows_) {
        if (frame) ReportLastError(frame.Reset(), "DestroyWindow");
    }
    note_.reset();
    if (g_watcher == this) g_watcher = nullptr;
}

const char* ScreenWatcher::FailedCall() const {
    if (frameFailedCall_) return frameFailedCall_;
    return picture_ ? picture_->FailedCall() : nullptr;
}

DWORD ScreenWatcher::FailedError() const {
    if (frameFailedCall_) return frameFailedError_;
    return picture_ ? picture_->FailedError() : ERROR_SUCCESS;
}

int ScreenWatcher::RunScreenWatch() {
    ticking_ = false;
    stopped_ = false;
    fault_ = nullptr;
    for (UniqueWindow& frame : frameWindows_) {
        ShowWindow(frame.Get(), SW_SHOWNORMAL);
        UpdateWindow(frame.Get());
    }
    int code = static_cast<int>(RunMessageLoop(nullptr));
    if (fault_) std::rethrow_exception(fault_);
    return code;
}

void ScreenWatcher::Tick() {
    if (ticking_ || stopped_ || !picture_) return;
    ticking_ = true;
    // Nothing may leave a window procedure: a fault is kept and thrown again once the
    // loop has ended.
    try {
        if (picture_->HasChanged()) PostQuitMessage(1);
    } catch (...) {
        fault_ = std::current_exception();
        stopped_ = true;
        PostQuitMessage(0);
    }
    ticking_ = false;
}

void ScreenWatcher::OnSessionEnd() {
    stopped_ = true;
    if (powerHold_) {
        DroppedBoxes dropped;
        try {
            powerHold_->End();
        } catch (...) {
            // The session ends whatever happened; nothing may leave the window procedure.
        }
    }
    PostQuitMessage(0);
}

LRESULT CALLBACK ScreenWatcher::FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (g_watcher) g_watcher->Tick();
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        // The process may be ended as soon as this returns.
        if (wParam && g_watcher) g_watcher->OnSessionEnd();
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

WatchResult WatchScreenArea(const ScreenWatchSetup& setup, PowerHoldSystem& system,
                            std::unique_ptr<AreaPicture> picture, const FrameBarMaker& makeBar) {
    try {
        ScreenSaverPowerHold hold(setup.holdScreenSaver, system);
        int code = 0;
        bool ready = false;
        const char* failedCall = nullptr;
        DWORD failedError = ERROR_SUCCESS;
        {
            ScreenWatcher watcher(setup.area, hold.Holds(), hold.SavedSettingsText(), setup.actionKind,
                                  setup.actionText, &hold, std::move(picture), makeBar);
            ready = watcher.IsReady();
            failedCall = watcher.FailedCall();
            failedError = watcher.FailedError();
            if (ready) code = watcher.RunScreenWatch();
        }
        // The hold ends before any box and before any capture or action.
        hold.End();
        if (!ready) {
            if (failedCall) ShowErrorBox(ErrorCodeText(AnsiToWide(failedCall).c_str(), static_cast<long>(failedError)));
            ShowErrorBox(kPictureNotPreparedText);
            return WatchResult::Refused;
        }
        return code == 1 ? WatchResult::Met : WatchResult::Cancelled;
    } catch (...) {
        // The hold was given back as the fault left its scope.
        ShowErrorBox(kWatchFaultText);
        return WatchResult::Refused;
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
    return WatchScreenArea(setup, system);
}
