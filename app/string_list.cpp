#include "app/string_list.h"

#include <cwchar>

namespace {
const WideString kEmpty;

int CompareOrdinal(const WideString& a, const WideString& b) {
    return a.str().compare(b.str());
}
}  // namespace

int StringList::InsertPosition(const WideString& text) const {
    if (!sorted_) return Count();
    // Upper bound: after every entry that compares equal.
    int low = 0, high = Count();
    while (low < high) {
        int mid = low + (high - low) / 2;
        if (CompareOrdinal(items_[static_cast<size_t>(mid)], text) <= 0)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

int StringList::Add(const WideString& text) {
    if (items_.size() == items_.capacity()) items_.reserve(items_.size() + kGrowStep);
    int pos = InsertPosition(text);
    items_.insert(items_.begin() + pos, text);
    return pos;
}

const WideString& StringList::At(int index) const {
    if (index < 0 || index >= Count()) return kEmpty;
    return items_[static_cast<size_t>(index)];
}

int StringList::IndexOf(const WideString& text) const {
    if (sorted_) {
        int low = 0, high = Count();
        while (low < high) {
            int mid = low + (high - low) / 2;
            if (CompareOrdinal(items_[static_cast<size_t>(mid)], text) < 0)
                low = mid + 1;
            else
                high = mid;
        }
        return (low < Count() && items_[static_cast<size_t>(low)] == text) ? low : -1;
    }
    for (int i = 0; i < Count(); ++i) {
        if (items_[static_cast<size_t>(i)] == text) return i;
    }
    return -1;
}

void SectionLines::Add(const WideString& line, int equalsPos) {
    int index = lines_.Add(line);
    positions_.insert(positions_.begin() + index, equalsPos);
}

void SectionLines::Clear() {
    lines_.Clear();
    positions_.clear();
}

int SectionLines::EqualsPos(int index) const {
    if (index < 0 || index >= Count()) return -1;
    return positions_[static_cast<size_t>(index)];
}
