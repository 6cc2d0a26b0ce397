// The lines of the window tree from a process's threads and windows as a fake system
// tells them: order, parents, texts, images, expand buttons, and which windows can be chosen.
#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <string>
#include <vector>

#include "wizard/window_tree_logic.h"

namespace {

struct FakeWindow {
    std::wstring className;
    RECT rect;
    bool visible;
};

class FakeWindowFacts : public WindowFacts {
public:
    std::map<LONG_PTR, FakeWindow> windows;
    std::map<LONG_PTR, std::vector<DescendantWindow>> descendants;

    WideString ClassName(LONG_PTR window) override { return windows[window].className; }
    void Rect(LONG_PTR window, RECT& rect) override {
        if (windows.count(window)) rect = windows[window].rect;
    }
    bool IsVisible(LONG_PTR window) override { return windows[window].visible; }
    void Descendants(LONG_PTR window, std::vector<DescendantWindow>& list) override { list = descendants[window]; }
};

struct Lines {
    StringList texts;
    std::vector<LONG_PTR> values;
    void Add(const wchar_t* text, LONG_PTR value) {
        texts.Add(text);
        values.push_back(value);
    }
};

}  // namespace

TEST(WindowTree, ThreadsWindowsAndNestedChildrenInOrder) {
    FakeWindowFacts facts;
    facts.windows[0x100] = {L"#32770", {100, 80, 520, 400}, false};
    facts.windows[0x200] = {L"Notepad", {10, 20, 330, 220}, true};
    facts.windows[0x201] = {L"Edit", {12, 40, 328, 218}, true};
    facts.windows[0x202] = {L"Panel", {0, 0, 10, 10}, true};
    facts.windows[0x203] = {L"Button", {0, 0, 10, 10}, true};
    facts.windows[0x204] = {L"Static", {0, 0, 10, 10}, true};
    // The system lists all descendants of a window; a grandchild may come before its parent.
    facts.descendants[0x200] = {
        {0x203, 0x202, L"OK"}, {0x201, 0x200, L"text"}, {0x202, 0x200, L""}, {0x204, 0x202, L"label"}};

    Lines lines;
    lines.Add(L"thread id =4312", 0);
    lines.Add(L"保存", 0x100);
    lines.Add(L"無題 - メモ帳", 0x200);
    lines.Add(L"thread id =4313", 0);
    lines.Add(L"thread id =4314", 0);
    std::vector<TreeLine> tree = PlanWindowTree(lines.texts, lines.values, facts);

    ASSERT_EQ(tree.size(), 9u);
    const struct {
        int parent;
        const wchar_t* text;
        int image;
        LONG_PTR window;
        bool hasChildren;
    } expected[] = {
        {-1, L"thread id =4312", kThreadImage, 0, true},
        {0, L"{#32770}保存(100,80)-(520,400)hidden", kWindowImage, 0x100, false},
        {0, L"{Notepad}無題 - メモ帳(10,20)-(330,220)", kWindowImage, 0x200, true},
        {2, L"{Edit}text", kChildImage, 0x201, false},
        {2, L"{Panel}", kChildImage, 0x202, true},
        {4, L"{Button}OK", kChildImage, 0x203, false},
        {4, L"{Static}label", kChildImage, 0x204, false},
        // A thread without windows has no expand button, also when another thread follows.
        {-1, L"thread id =4313", kThreadImage, 0, false},
        {-1, L"thread id =4314", kThreadImage, 0, false},
    };
    for (size_t i = 0; i < tree.size(); ++i) {
        EXPECT_EQ(tree[i].parent, expected[i].parent) << i;
        EXPECT_EQ(tree[i].text.str(), expected[i].text) << i;
        EXPECT_EQ(tree[i].image, expected[i].image) << i;
        EXPECT_EQ(tree[i].window, expected[i].window) << i;
        EXPECT_EQ(tree[i].hasChildren, expected[i].hasChildren) << i;
    }
}

TEST(WindowTree, ASixteenBitTaskHasOneThreadLine) {
    FakeWindowFacts facts;
    facts.windows[0x300] = {L"WRITE", {0, 0, 640, 480}, true};
    Lines lines;
    lines.Add(L"16bit thread id =77", 0);
    lines.Add(L"Write - (Untitled)", 0x300);
    std::vector<TreeLine> tree = PlanWindowTree(lines.texts, lines.values, facts);
    ASSERT_EQ(tree.size(), 2u);
    EXPECT_EQ(tree[0].text.str(), L"16bit thread id =77");
    EXPECT_TRUE(tree[0].hasChildren);
    EXPECT_EQ(tree[1].text.str(), L"{WRITE}Write - (Untitled)(0,0)-(640,480)");
    EXPECT_FALSE(tree[1].hasChildren);
    EXPECT_TRUE(PlanWindowTree(StringList(), {}, facts).empty());
}

TEST(WindowTree, OnlyVisibleWindowsLargerThanFourPixelsCanBeChosenTheOthersAreGrey) {
    RECT big = {10, 10, 30, 20};
    RECT fourPixels = {0, 0, 2, 2};
    RECT fivePixels = {0, 0, 5, 1};
    RECT flat = {0, 0, 100, 0};
    EXPECT_TRUE(CanChooseWindow(0x10, true, big));
    EXPECT_FALSE(CanChooseWindow(0, true, big));  // a thread line
    EXPECT_FALSE(CanChooseWindow(0x10, false, big));
    EXPECT_FALSE(CanChooseWindow(0x10, true, fourPixels));
    EXPECT_TRUE(CanChooseWindow(0x10, true, fivePixels));
    EXPECT_FALSE(CanChooseWindow(0x10, true, flat));

    EXPECT_FALSE(IsGreyWindow(true, big));
    EXPECT_TRUE(IsGreyWindow(false, big));
    EXPECT_TRUE(IsGreyWindow(true, fourPixels));
    EXPECT_FALSE(IsGreyWindow(true, fivePixels));

    // Another process may place its window anywhere: a side wider than 32 bits still counts.
    RECT wide = {INT_MIN, 0, INT_MAX, 10};
    EXPECT_TRUE(CanChooseWindow(0x10, true, wide));
    EXPECT_FALSE(IsGreyWindow(true, wide));
}
