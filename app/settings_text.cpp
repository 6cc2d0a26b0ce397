#include "app/settings_text.h"

#include <cstdint>
#include <cwchar>

const wchar_t kWorkingSection[] = L"Tollerup";
const wchar_t kSettingsFileName[] = L"TLR.ini";
const wchar_t kCaptureFileName[] = L"Capture.bmp";

WideString ProtectEnclosingQuotes(const WideString& value) {
    if (value.Length() >= 2 && value.At(0) == L'"' && value.At(value.Length() - 1) == L'"')
        return WideString(L"\"") + value + L"\"";
    return value;
}

void ParseSectionBlock(const wchar_t* block, size_t size, SectionLines& lines) {
    size_t pos = 0;
    while (pos < size && block[pos] != L'\0') {
        size_t end = pos;
        while (end < size && block[end] != L'\0') ++end;
        WideString line(block + pos, end - pos);
        int equals = line.Find(L"=");
        // A value that begins and ends with a double quote loses that pair, as the single-key
        // read drops it; one that only begins with a quote is kept whole.
        if (equals >= 0 && line.Length() - equals - 1 >= 2 && line.At(equals + 1) == L'"' &&
            line.At(line.Length() - 1) == L'"') {
            WideString unquoted = line.Left(equals + 1) + line.Piece(equals + 2, line.Length() - 2);
            line = unquoted;
        }
        lines.Add(line, equals);
        pos = end + 1;
    }
}

void ParseNameBlock(const wchar_t* block, size_t size, StringList& names) {
    size_t pos = 0;
    while (pos < size && block[pos] != L'\0') {
        size_t end = pos;
        while (end < size && block[end] != L'\0') ++end;
        names.Add(WideString(block + pos, end - pos));
        pos = end + 1;
    }
}

namespace {
unsigned long long LowBits(unsigned long long value, int handleBits) {
    return handleBits >= 64 ? value : value & ((1ULL << handleBits) - 1);
}
const int kHandleBits = static_cast<int>(sizeof(HWND) * 8);
}  // namespace

WideString HandleValueToText(unsigned long long value, int handleBits) {
    // The handle's value sign-extended to 64 bits, as 64-bit Windows widens a handle of
    // 32 bits: both builds write the same text for the same window.
    value = LowBits(value, handleBits);
    if (handleBits < 64 && (value >> (handleBits - 1)) != 0) value |= ~0ULL << handleBits;
    wchar_t text[24];
    swprintf(text, 24, L"%llx", value);
    return WideString(text);
}

unsigned long long TextToHandleValue(const WideString& text, int handleBits) {
    unsigned long long value = 0;
    for (int i = 0; i < text.Length(); ++i) {
        wchar_t ch = text.At(i);
        unsigned digit;
        if (ch >= L'0' && ch <= L'9')
            digit = static_cast<unsigned>(ch - L'0');
        else if (ch >= L'a' && ch <= L'f')
            digit = static_cast<unsigned>(ch - L'a' + 10);
        else if (ch >= L'A' && ch <= L'F')
            digit = static_cast<unsigned>(ch - L'A' + 10);
        else
            return 0;
        value = (value << 4) | digit;
    }
    return LowBits(value, handleBits);
}

WideString WindowHandleToText(HWND window) {
    return HandleValueToText(reinterpret_cast<uintptr_t>(window), kHandleBits);
}

HWND TextToWindowHandle(const WideString& text) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(TextToHandleValue(text, kHandleBits)));
}
