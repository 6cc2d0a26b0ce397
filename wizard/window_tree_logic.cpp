#include "wizard/window_tree_logic.h"

#include <cwchar>

#include "watch/process_text.h"

namespace {

// Adds the descendants whose parent is the window of line `parentLine`, each followed by
// its own; returns how many were added directly under it.
int AddChildren(LONG_PTR window, int parentLine, const std::vector<DescendantWindow>& descendants,
                std::vector<bool>& placed, WindowFacts& facts, std::vector<TreeLine>& tree) {
    int direct = 0;
    for (size_t i = 0; i < descendants.size(); ++i) {
        if (placed[i] || descendants[i].parent != window) continue;
        placed[i] = true;
        ++direct;
        TreeLine line = {parentLine, ChildWindowLineText(facts.ClassName(descendants[i].handle), descendants[i].text),
                         kChildImage, descendants[i].handle, false};
        int index = static_cast<int>(tree.size());
        tree.push_back(line);
        if (AddChildren(descendants[i].handle, index, descendants, placed, facts, tree) > 0)
            tree[static_cast<size_t>(index)].hasChildren = true;
    }
    return direct;
}

}  // namespace

std::vector<TreeLine> PlanWindowTree(const StringList& lines, const std::vector<LONG_PTR>& values, WindowFacts& facts) {
    std::vector<TreeLine> tree;
    int thread = -1;
    int count = lines.Count() < static_cast<int>(values.size()) ? lines.Count() : static_cast<int>(values.size());
    for (int i = 0; i < count; ++i) {
        LONG_PTR window = values[static_cast<size_t>(i)];
        if (window == 0) {
            bool windowFollows = i + 1 < count && values[static_cast<size_t>(i) + 1] != 0;
            thread = static_cast<int>(tree.size());
            tree.push_back({-1, lines[i], kThreadImage, 0, windowFollows});
            continue;
        }
        RECT rect = {0, 0, 0, 0};
        facts.Rect(window, rect);
        WideString text = TopWindowLineText(facts.ClassName(window), lines[i], rect, facts.IsVisible(window));
        std::vector<DescendantWindow> descendants;
        facts.Descendants(window, descendants);
        int index = static_cast<int>(tree.size());
        tree.push_back({thread, text, kWindowImage, window, !descendants.empty()});
        std::vector<bool> placed(descendants.size(), false);
        AddChildren(window, index, descendants, placed, facts, tree);
    }
    return tree;
}

WideString TopWindowLineText(const WideString& className, const WideString& text, const RECT& rect, bool visible) {
    wchar_t corners[96];
    swprintf(corners, 96, L"(%ld,%ld)-(%ld,%ld)", static_cast<long>(rect.left), static_cast<long>(rect.top),
             static_cast<long>(rect.right), static_cast<long>(rect.bottom));
    WideString line = WideString(L"{") + className + L"}" + text + corners;
    if (!visible) line.Append(L"hidden");
    return line;
}

WideString ChildWindowLineText(const WideString& className, const WideString& text) {
    return WideString(L"{") + className + L"}" + text;
}

bool CanChooseWindow(LONG_PTR window, bool visible, const RECT& rect) {
    return window != 0 && CountsAsParentWindow(visible, rect);
}

bool IsGreyWindow(bool visible, const RECT& rect) {
    return !CountsAsParentWindow(visible, rect);
}
