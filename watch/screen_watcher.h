// The screen-change watcher: a thin dark frame around the watched area, the note beside
// it, and a comparison of the area with its first picture once a second.
#pragma once

#include <windows.h>

#include <memory>

#include "app/handles.h"
#include "app/wide_string.h"
#include "watch/screen_geometry.h"
#include "watch/screen_note.h"
#include "watch/screen_picture.h"

extern const wchar_t kScreenFrameClass[];  // "SCRWATCHWINCLASS"

class ScreenWatcher {
public:
    // Shows the frame and the note, takes the reference picture and starts the timer.
    // The area must have passed CheckWatchArea.
    ScreenWatcher(const RECT& area, bool hold, const WideString& savedSettings, int actionKind,
                  const WideString& actionText);
    // Releases the pictures' contexts and bitmap, the frame windows and the note.
    ~ScreenWatcher();
    ScreenWatcher(const ScreenWatcher&) = delete;
    ScreenWatcher& operator=(const ScreenWatcher&) = delete;

    // False when the pictures could not be made; the watch cannot run then.
    bool IsReady() const { return picture_ && picture_->IsReady(); }
    // Runs the message loop until the picture changes (1) or the note is clicked (0).
    int RunScreenWatch();
    // One comparison; posts the quit code 1 when the area changed.
    void Tick();

    HWND FrameWindow(int bar) const { return frameWindows_[bar].Get(); }
    const ScreenNote* Note() const { return note_.get(); }
    const ScreenPicture* Picture() const { return picture_.get(); }

    static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    RECT area_;
    UniqueWindow frameWindows_[kFrameBarCount];
    std::unique_ptr<ScreenNote> note_;
    std::unique_ptr<ScreenPicture> picture_;
};
