// Text value used throughout the program: UTF-16, zero-terminated, with positions
// that never fail. Out-of-range positions give the empty text.
#pragma once

#include <string>

class WideString {
public:
    WideString() = default;
    WideString(const wchar_t* text) : text_(text ? text : L"") {}
    WideString(const wchar_t* text, size_t count) : text_(text ? std::wstring(text, count) : std::wstring()) {}
    WideString(std::wstring text) : text_(std::move(text)) {}

    static WideString FromInt(long long value);

    const wchar_t* c_str() const { return text_.c_str(); }
    const std::wstring& str() const { return text_; }
    int Length() const { return static_cast<int>(text_.size()); }
    bool IsEmpty() const { return text_.empty(); }
    // The character at a position, or 0 outside the text.
    wchar_t At(int pos) const;

    WideString& Assign(const WideString& other) {
        text_ = other.text_;
        return *this;
    }
    WideString& Append(const WideString& other) {
        text_ += other.text_;
        return *this;
    }
    WideString& Append(wchar_t ch) {
        text_ += ch;
        return *this;
    }
    WideString& operator+=(const WideString& other) { return Append(other); }
    friend WideString operator+(const WideString& a, const WideString& b) { return WideString(a.text_ + b.text_); }
    bool operator==(const WideString& other) const { return text_ == other.text_; }
    bool operator!=(const WideString& other) const { return text_ != other.text_; }

    // First n characters (all when n exceeds the length; empty for n <= 0).
    WideString Left(int n) const;
    // Characters from pos to the end.
    WideString Mid(int pos) const;
    // Characters from first to last, both included.
    WideString Piece(int first, int last) const;
    // Last n characters.
    WideString Right(int n) const;
    // Position of the first occurrence of what at or after start, or -1.
    int Find(const WideString& what, int start = 0) const;
    // Position of the last occurrence of ch, or -1.
    int FindLast(wchar_t ch) const;
    bool Contains(const WideString& what) const { return Find(what) >= 0; }
    // Sets one character; a zero character cuts the text there. Outside the text: no effect.
    void SetAt(int pos, wchar_t ch);
    // Blanks (U+0020 only) removed at both ends, or at the right end.
    WideString Trimmed() const;
    WideString TrimmedRight() const;
    bool StartsWith(const WideString& prefix) const;
    bool StartsWithNoCase(const WideString& prefix) const;
    // Decimal integer; fallback when other characters remain; the empty text gives 0.
    long long ToInt(long long fallback = 0) const;
    // True when the text is one or more decimal digits and nothing else.
    bool IsDecimal() const;

    std::wstring& raw() { return text_; }

private:
    std::wstring text_;
};
