// The window tree of dialog 150 apart from its tree view: which lines it shows, in which
// order and under which parent, their texts and images, and which windows can be chosen.
#pragma once

#include "app/portable_types.h"

#include <vector>

#include "app/string_list.h"
#include "app/wide_string.h"

// Images of bitmap 102.
const int kThreadImage = 0;
const int kWindowImage = 1;
const int kChildImage = 2;

// One descendant of a top-level window, with its parent and its text.
struct DescendantWindow {
    LONG_PTR handle;
    LONG_PTR parent;
    WideString text;
};

// What the tree needs to know about windows.
class WindowFacts {
public:
    virtual ~WindowFacts() = default;
    virtual WideString ClassName(LONG_PTR window) = 0;
    // The screen rectangle; a failed read leaves the values as they were given.
    virtual void Rect(LONG_PTR window, RECT& rect) = 0;
    virtual bool IsVisible(LONG_PTR window) = 0;
    // Every descendant of the window (children, their children, ...) in the system's order.
    virtual void Descendants(LONG_PTR window, std::vector<DescendantWindow>& descendants) = 0;
};

struct TreeLine {
    int parent;  // index of the parent line, -1 at the root
    WideString text;
    int image;
    LONG_PTR window;  // 0 for a thread
    bool hasChildren;
};

// The lines of the tree from the threads and top-level windows of a process (lines with
// value 0 are threads, the others top-level windows of the last thread, with their texts):
// threads at the root, their windows under them, each window's descendants under their
// parents.
std::vector<TreeLine> PlanWindowTree(const StringList& lines, const std::vector<LONG_PTR>& values, WindowFacts& facts);

// "{class}text(left,top)-(right,bottom)", followed by "hidden" for a hidden window.
WideString TopWindowLineText(const WideString& className, const WideString& text, const RECT& rect, bool visible);
// "{class}text".
WideString ChildWindowLineText(const WideString& className, const WideString& text);

// A window can be watched when it is visible and larger than 4 pixels in area: the rule of
// the parent windows a process watch counts.
bool CanChooseWindow(LONG_PTR window, bool visible, const RECT& rect);
// Hidden windows and windows of 4 pixels or less are listed in grey.
bool IsGreyWindow(bool visible, const RECT& rect);
