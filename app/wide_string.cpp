#include "app/wide_string.h"

#include <cwctype>

WideString WideString::FromInt(long long value) {
    return WideString(std::to_wstring(value));
}

wchar_t WideString::At(int pos) const {
    if (pos < 0 || pos >= Length()) return 0;
    return text_[static_cast<size_t>(pos)];
}

WideString WideString::Left(int n) const {
    if (n <= 0) return WideString();
    return WideString(text_.substr(0, static_cast<size_t>(n)));
}

WideString WideString::Mid(int pos) const {
    if (pos < 0 || pos >= Length()) return WideString();
    return WideString(text_.substr(static_cast<size_t>(pos)));
}

WideString WideString::Piece(int first, int last) const {
    if (first < 0 || last < first || first >= Length()) return WideString();
    if (last >= Length()) last = Length() - 1;
    return WideString(text_.substr(static_cast<size_t>(first), static_cast<size_t>(last - first + 1)));
}

WideString WideString::Right(int n) const {
    if (n <= 0) return WideString();
    if (n >= Length()) return *this;
    return WideString(text_.substr(text_.size() - static_cast<size_t>(n)));
}

int WideString::Find(const WideString& what, int start) const {
    if (start < 0 || start > Length()) return -1;
    size_t pos = text_.find(what.text_, static_cast<size_t>(start));
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int WideString::FindLast(wchar_t ch) const {
    size_t pos = text_.rfind(ch);
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

void WideString::SetAt(int pos, wchar_t ch) {
    if (pos < 0 || pos >= Length()) return;
    if (ch == 0)
        text_.resize(static_cast<size_t>(pos));
    else
        text_[static_cast<size_t>(pos)] = ch;
}

WideString WideString::Trimmed() const {
    size_t first = text_.find_first_not_of(L' ');
    if (first == std::wstring::npos) return WideString();
    size_t last = text_.find_last_not_of(L' ');
    return WideString(text_.substr(first, last - first + 1));
}

WideString WideString::TrimmedRight() const {
    size_t last = text_.find_last_not_of(L' ');
    if (last == std::wstring::npos) return WideString();
    return WideString(text_.substr(0, last + 1));
}

bool WideString::StartsWith(const WideString& prefix) const {
    return text_.compare(0, prefix.text_.size(), prefix.text_) == 0 && text_.size() >= prefix.text_.size();
}

bool WideString::StartsWithNoCase(const WideString& prefix) const {
    if (prefix.text_.size() > text_.size()) return false;
    for (size_t i = 0; i < prefix.text_.size(); ++i) {
        if (std::towlower(text_[i]) != std::towlower(prefix.text_[i])) return false;
    }
    return true;
}

bool WideString::IsDecimal() const {
    if (text_.empty()) return false;
    for (wchar_t ch : text_) {
        if (ch < L'0' || ch > L'9') return false;
    }
    return true;
}

long long WideString::ToInt(long long fallback) const {
    if (text_.empty()) return 0;
    size_t i = 0;
    bool negative = false;
    if (text_[0] == L'-' || text_[0] == L'+') {
        negative = text_[0] == L'-';
        i = 1;
    }
    if (i >= text_.size()) return fallback;
    long long value = 0;
    for (; i < text_.size(); ++i) {
        wchar_t ch = text_[i];
        if (ch < L'0' || ch > L'9') return fallback;
        if (value > (9223372036854775807LL - (ch - L'0')) / 10) return fallback;  // overflow
        value = value * 10 + (ch - L'0');
    }
    return negative ? -value : value;
}
