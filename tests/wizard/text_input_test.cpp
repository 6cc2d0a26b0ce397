// The name prompt's growth for a prompt of several lines.
#include <gtest/gtest.h>

#include "wizard/text_input_layout.h"

namespace {

// Dialog 9100 at 96 dpi: 189 x 63 units; the prompt 170 x 10 units at (9, 5).
TextInputLayout TemplateLayout() {
    TextInputLayout layout;
    layout.window = Box{400, 300, 400 + 290, 300 + 130};
    layout.prompt = Box{14, 8, 14 + 255, 8 + 16};
    layout.edit = Box{14, 33, 14 + 255, 33 + 20};
    layout.ok = Box{53, 65, 53 + 75, 65 + 24};
    layout.cancel = Box{158, 65, 158 + 75, 65 + 24};
    return layout;
}

void ExpectSame(const Box& a, const Box& b, const char* what) {
    EXPECT_EQ(a.left, b.left) << what;
    EXPECT_EQ(a.top, b.top) << what;
    EXPECT_EQ(a.right, b.right) << what;
    EXPECT_EQ(a.bottom, b.bottom) << what;
}

}  // namespace

TEST(TextInputLayout, OneLineThatFitsLeavesTheTemplateAsItIs) {
    TextInputLayout layout = TemplateLayout();
    Extent prompt = PromptExtent({Extent{180, 14}});
    Extent growth = PromptGrowth(prompt, Extent{layout.prompt.Width(), layout.prompt.Height()});
    EXPECT_EQ(growth.width, 0);
    EXPECT_EQ(growth.height, 0);
    TextInputLayout same = GrowTextInputLayout(layout, growth);
    ExpectSame(same.window, layout.window, "window");
    ExpectSame(same.prompt, layout.prompt, "prompt");
    ExpectSame(same.edit, layout.edit, "edit");
    ExpectSame(same.ok, layout.ok, "ok");
    ExpectSame(same.cancel, layout.cancel, "cancel");
}

TEST(TextInputLayout, TwoLinesGrowByWhatTheSecondNeedsAndMoveTheRestDown) {
    TextInputLayout layout = TemplateLayout();
    Extent prompt = PromptExtent({Extent{200, 14}, Extent{120, 14}});
    EXPECT_EQ(prompt.width, 200);
    EXPECT_EQ(prompt.height, 28);
    Extent growth = PromptGrowth(prompt, Extent{layout.prompt.Width(), layout.prompt.Height()});
    EXPECT_EQ(growth.width, 0);
    EXPECT_EQ(growth.height, 12);  // 28 needed, 16 there
    TextInputLayout grown = GrowTextInputLayout(layout, growth);
    ExpectSame(grown.window, Box{400, 300, 690, 442}, "window");
    ExpectSame(grown.prompt, Box{14, 8, 269, 36}, "prompt");
    ExpectSame(grown.edit, Box{14, 45, 269, 65}, "edit");
    ExpectSame(grown.ok, Box{53, 77, 128, 101}, "ok");
    ExpectSame(grown.cancel, Box{158, 77, 233, 101}, "cancel");
}

TEST(TextInputLayout, AWideLineWidensTheBoxAndTheEditButNotTheButtons) {
    TextInputLayout layout = TemplateLayout();
    // The widest of three lines decides; an empty line still has a height.
    Extent prompt = PromptExtent({Extent{100, 14}, Extent{4, 14}, Extent{300, 14}});
    Extent growth = PromptGrowth(prompt, Extent{layout.prompt.Width(), layout.prompt.Height()});
    EXPECT_EQ(growth.width, 45);
    EXPECT_EQ(growth.height, 26);
    TextInputLayout grown = GrowTextInputLayout(layout, growth);
    ExpectSame(grown.window, Box{400, 300, 735, 456}, "window");
    ExpectSame(grown.prompt, Box{14, 8, 314, 50}, "prompt");
    ExpectSame(grown.edit, Box{14, 59, 314, 79}, "edit");
    ExpectSame(grown.ok, Box{53, 91, 128, 115}, "ok");
    ExpectSame(grown.cancel, Box{158, 91, 233, 115}, "cancel");
    EXPECT_EQ(PromptExtent({}).height, 0);
}
