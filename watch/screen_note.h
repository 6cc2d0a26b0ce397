// The small window beside a watched area that says what is watched and which action
// follows; a left or right click on it ends the watch as cancelled.
#pragma once

#include <windows.h>

#include "app/handles.h"
#include "app/string_list.h"
#include "watch/screen_geometry.h"

extern const wchar_t kScreenNoteClass[];  // "TLRSCRNOTE"

class ScreenNote {
public:
    // Creates the window, measures the lines with the menu font, places the note beside
    // the area within the desktop's bounds and shows it.
    ScreenNote(const StringList& lines, const RECT& area);
    ~ScreenNote();
    ScreenNote(const ScreenNote&) = delete;
    ScreenNote& operator=(const ScreenNote&) = delete;

    HWND Window() const { return window_.Get(); }
    const NoteSize& Size() const { return size_; }
    const StringList& Lines() const { return lines_; }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void Register();
    void CreateNoteFont();
    void Measure();
    void Paint();

    StringList lines_;
    UniqueWindow window_;
    UniqueGdi<HFONT> font_;
    UniqueCursor cursor_;
    NoteSize size_;
};
