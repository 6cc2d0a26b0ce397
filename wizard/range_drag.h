// The range-drag window: a label that follows the mouse over the whole desktop until a
// button is pressed, then a half-transparent rectangle from the press to the cursor until
// a button is released. The chosen range goes into the caller's rectangle and a message
// tells the caller. Esc ends the drag and leaves the caller's rectangle as it was.
#pragma once

#include <windows.h>

#include "app/handles.h"
#include "wizard/range_geometry.h"

extern const wchar_t kRangeDragClass[];  // "RANGEDRAGWINCLASS"
extern const wchar_t kRangeDragLabel[];  // "範囲をドラッグしてください"

// The message posted when a range was chosen.
struct RangeDragNotice {
    HWND window = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// Starts a drag at the cursor and returns at once; the drag runs in the thread's message
// loop. target must stay valid until the drag ends (CancelRangeDrag ends it early). False
// when a drag runs already or its window could not be made.
bool StartRangeDrag(RECT* target, const RangeDragNotice& notice);
// True while a drag runs.
bool IsRangeDragRunning();
// Ends a running drag without touching its target and without the notice.
void CancelRangeDrag();

class RangeDragWindow {
public:
    RangeDragWindow(RECT* target, const RangeDragNotice& notice);
    ~RangeDragWindow();
    RangeDragWindow(const RangeDragWindow&) = delete;
    RangeDragWindow& operator=(const RangeDragWindow&) = delete;

    // Creates the window, shows the label at the cursor, takes the mouse and starts the
    // timer; false when the window could not be made.
    bool Open();
    HWND Window() const { return window_.Get(); }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam);

private:
    void Register();
    void CreateLabelFont();
    SIZE MeasureLabel();
    void Follow();
    void Press(POINT at);
    // The rectangle from the start point to where the cursor is now.
    void DragTo();
    // A release that ends the drag writes the target and posts the notice; true then.
    bool Release(POINT at);
    void Paint();
    // Releases the mouse and the font and destroys the window (reported by name).
    void Close();

    RECT* target_;
    RangeDragNotice notice_;
    RangeDragTracker tracker_;
    UniqueWindow window_;
    UniqueGdi<HFONT> font_;
    UniqueHook keyboardHook_;
};
