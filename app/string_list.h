// Growable lists of texts. A sorted list places each new entry by binary search with
// ordinal, case-sensitive comparison, after any equal entries.
#pragma once

#include <vector>

#include "app/wide_string.h"

class StringList {
public:
    explicit StringList(bool sorted = false) : sorted_(sorted) { items_.reserve(kGrowStep); }

    // Adds a text and returns the index it was placed at.
    int Add(const WideString& text);
    void Clear() { items_.clear(); }
    int Count() const { return static_cast<int>(items_.size()); }
    bool IsSorted() const { return sorted_; }
    // The entry at index, or the empty text outside the list.
    const WideString& At(int index) const;
    const WideString& operator[](int index) const { return At(index); }
    // Index of an equal entry (binary search when sorted), or -1.
    int IndexOf(const WideString& text) const;

    static const int kGrowStep = 100;

private:
    int InsertPosition(const WideString& text) const;

    bool sorted_;
    std::vector<WideString> items_;
};

// The lines of one settings section: each "key=value" with the position of its "=".
class SectionLines {
public:
    explicit SectionLines(bool sorted = false) : lines_(sorted) {}

    void Add(const WideString& line, int equalsPos);
    void Clear();
    int Count() const { return lines_.Count(); }
    const WideString& Line(int index) const { return lines_.At(index); }
    int EqualsPos(int index) const;
    WideString Key(int index) const { return Line(index).Left(EqualsPos(index)); }
    WideString Value(int index) const { return Line(index).Mid(EqualsPos(index) + 1); }

private:
    StringList lines_;
    std::vector<int> positions_;  // parallel to the list, in the list's order
};
