// The screen-change watcher: a thin dark frame around the watched area, the note beside
// it, and a comparison of the area with its first picture once a second.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>

#include "app/handles.h"
#include "app/wide_string.h"
#include "watch/screen_geometry.h"
#include "watch/screen_note.h"
#include "watch/screen_picture.h"
#include "watch/watchers.h"

class PowerHoldSystem;
class ScreenSaverPowerHold;

extern const wchar_t kScreenFrameClass[];  // "SCRWATCHWINCLASS"

// Makes one bar of the frame; the system's window unless a test gives another maker.
using FrameBarMaker = std::function<HWND(const BarRect& bar)>;

class ScreenWatcher {
public:
    // Shows the frame and the note, takes the reference picture and starts the timer.
    // The area must have passed CheckWatchArea. The hold, when given, is ended when
    // Windows ends the session during the watch. The picture is the area of the desktop
    // unless another is given.
    ScreenWatcher(const RECT& area, bool hold, const WideString& savedSettings, int actionKind,
                  const WideString& actionText, ScreenSaverPowerHold* powerHold = nullptr,
                  std::unique_ptr<AreaPicture> picture = nullptr, const FrameBarMaker& makeBar = nullptr);
    // Releases the picture, the frame windows and the note.
    ~ScreenWatcher();
    ScreenWatcher(const ScreenWatcher&) = delete;
    ScreenWatcher& operator=(const ScreenWatcher&) = delete;

    // False when the frame or the pictures could not be made; the watch cannot run then.
    bool IsReady() const { return !frameFailedCall_ && picture_ && picture_->IsReady(); }
    // The call that kept the watch from being ready (nullptr when none did) and its error,
    // reported by the caller once the hold has been given back.
    const char* FailedCall() const;
    DWORD FailedError() const;
    // Runs the message loop until the picture changes (1) or the note is clicked (0).
    // A fault of a tick ends the loop and is thrown again from here.
    int RunScreenWatch();
    // One comparison; posts the quit code 1 when the area changed. A box shown during a
    // comparison runs a message loop of its own: no tick starts inside another, and none
    // after a tick failed or the session ended.
    void Tick();
    // Windows ends the session: the hold is given back at once, without boxes that nobody
    // could answer, and the watch ends as cancelled.
    void OnSessionEnd();

    HWND FrameWindow(int bar) const { return frameWindows_[bar].Get(); }
    const ScreenNote* Note() const { return note_.get(); }
    const AreaPicture* Picture() const { return picture_.get(); }

    static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    RECT area_;
    ScreenSaverPowerHold* powerHold_;
    UniqueWindow frameWindows_[kFrameBarCount];
    std::unique_ptr<ScreenNote> note_;
    std::unique_ptr<AreaPicture> picture_;
    const char* frameFailedCall_ = nullptr;
    DWORD frameFailedError_ = ERROR_SUCCESS;
    bool ticking_ = false;
    bool stopped_ = false;
    std::exception_ptr fault_;
};

// The screen-mode watch on the given system calls and picture (the real ones when none is
// given): takes the hold, watches, and gives the hold back before anything is reported.
// A fault inside the watch is reported once, after the hold was given back, and refuses
// the run.
WatchResult WatchScreenArea(const ScreenWatchSetup& setup, PowerHoldSystem& system,
                            std::unique_ptr<AreaPicture> picture = nullptr, const FrameBarMaker& makeBar = nullptr);

// The box of an area whose frame or picture could not be prepared.
extern const wchar_t kPictureNotPreparedText[];
