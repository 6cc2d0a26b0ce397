#include "wizard/text_input_layout.h"

namespace {

Box Grown(Box box, int dx, int dy) {
    box.right += dx;
    box.bottom += dy;
    return box;
}

Box MovedDown(Box box, int dy) {
    box.top += dy;
    box.bottom += dy;
    return box;
}

}  // namespace

Extent PromptExtent(const std::vector<Extent>& lines) {
    Extent extent = {0, 0};
    for (const Extent& line : lines) {
        if (line.width > extent.width) extent.width = line.width;
        extent.height += line.height;
    }
    return extent;
}

Extent PromptGrowth(const Extent& prompt, const Extent& staticSize) {
    Extent growth = {prompt.width - staticSize.width, prompt.height - staticSize.height};
    if (growth.width < 0) growth.width = 0;
    if (growth.height < 0) growth.height = 0;
    return growth;
}

TextInputLayout GrowTextInputLayout(const TextInputLayout& layout, const Extent& growth) {
    TextInputLayout grown = layout;
    grown.window = Grown(layout.window, growth.width, growth.height);
    grown.prompt = Grown(layout.prompt, growth.width, growth.height);
    grown.edit = MovedDown(Grown(layout.edit, growth.width, 0), growth.height);
    grown.ok = MovedDown(layout.ok, growth.height);
    grown.cancel = MovedDown(layout.cancel, growth.height);
    return grown;
}
