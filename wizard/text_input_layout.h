// Layout of the one-line input box (dialog 9100) for a prompt of several lines: the box
// grows by what the prompt needs beyond its static, the edit and the buttons move down.
#pragma once

#include <vector>

// A width and height in pixels.
struct Extent {
    int width;
    int height;
};

// A rectangle in pixels (left, top, right, bottom).
struct Box {
    int left;
    int top;
    int right;
    int bottom;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// The widest line and the sum of the line heights.
Extent PromptExtent(const std::vector<Extent>& lines);

// How much the box grows: what the prompt needs beyond the static, never less than 0.
Extent PromptGrowth(const Extent& prompt, const Extent& staticSize);

// The window and its controls, the controls in client coordinates of the window.
struct TextInputLayout {
    Box window;
    Box prompt;  // 9101
    Box edit;    // 9102
    Box ok;      // 9103
    Box cancel;  // 9104
};
// The window and the prompt grow by the growth; the edit moves down by the vertical
// growth and widens by the horizontal one; the buttons move down.
TextInputLayout GrowTextInputLayout(const TextInputLayout& layout, const Extent& growth);
