#include "app/settings.h"

#include <climits>
#include <cstdint>
#include <vector>

#include "app/message_box.h"

const wchar_t kWorkingSection[] = L"Tollerup";
const wchar_t kSettingsFileName[] = L"TLR.ini";
const wchar_t kCaptureFileName[] = L"Capture.bmp";

int SettingSection::ReadInt(const wchar_t* key, int fallback) const {
    return static_cast<int>(GetPrivateProfileIntW(section_.c_str(), key, fallback, path_.c_str()));
}

bool SettingSection::ReadBool(const wchar_t* key, bool fallback) const {
    return GetPrivateProfileIntW(section_.c_str(), key, fallback ? 1 : 0, path_.c_str()) != 0;
}

WideString SettingSection::ReadString(const wchar_t* key, int bufferSize, const wchar_t* fallback) const {
    if (bufferSize < 1) return WideString();
    std::vector<wchar_t> buffer(static_cast<size_t>(bufferSize), L'\0');
    GetPrivateProfileStringW(section_.c_str(), key, fallback ? fallback : L"", buffer.data(),
                             static_cast<DWORD>(bufferSize), path_.c_str());
    buffer.back() = L'\0';
    return WideString(buffer.data());
}

WideString UnwritableSettingsText(const WideString& path) {
    return WideString(L"設定ファイルに書き込めません\n") + path;
}

bool SettingSection::Written(BOOL result) const {
    if (result) return true;
    ShowErrorBox(UnwritableSettingsText(path_));
    return false;
}

bool SettingSection::WriteInt(const wchar_t* key, long long value) const {
    wchar_t text[16];
    if (swprintf(text, 16, L"%lld", value) < 0) wcscpy(text, L"error");
    return Written(WritePrivateProfileStringW(section_.c_str(), key, text, path_.c_str()));
}

bool SettingSection::WriteBool(const wchar_t* key, bool value) const {
    return Written(WritePrivateProfileStringW(section_.c_str(), key, value ? L"1" : L"0", path_.c_str()));
}

WideString ProtectEnclosingQuotes(const WideString& value) {
    if (value.Length() >= 2 && value.At(0) == L'"' && value.At(value.Length() - 1) == L'"')
        return WideString(L"\"") + value + L"\"";
    return value;
}

bool SettingSection::WriteString(const wchar_t* key, const WideString& value) const {
    return Written(
        WritePrivateProfileStringW(section_.c_str(), key, ProtectEnclosingQuotes(value).c_str(), path_.c_str()));
}

void ParseSectionBlock(const wchar_t* block, size_t size, SectionLines& lines) {
    size_t pos = 0;
    while (pos < size && block[pos] != L'\0') {
        size_t end = pos;
        while (end < size && block[end] != L'\0') ++end;
        WideString line(block + pos, end - pos);
        int equals = line.Find(L"=");
        if (equals >= 0 && line.At(equals + 1) == L'"') {
            // Drop the opening quote and the line's last character (the closing quote).
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

std::vector<wchar_t> ReadProfileBlock(const ProfileBlockRead& read, DWORD firstSize, DWORD* count) {
    const DWORD kLargestSize = 1u << 26;  // characters; no section comes near it
    DWORD size = firstSize < 3 ? 3 : firstSize;
    std::vector<wchar_t> buffer;
    for (;;) {
        buffer.assign(size, L'\0');
        *count = read(buffer.data(), size);
        if (*count < size - 2 || size > kLargestSize / 2) break;
        size *= 2;
    }
    if (*count > size) *count = size;
    return buffer;
}

int SettingSection::ReadSection(const WideString& name, SectionLines& lines) const {
    DWORD count = 0;
    std::vector<wchar_t> block = ReadProfileBlock(
        [this, &name](wchar_t* buffer, DWORD size) {
            return GetPrivateProfileSectionW(name.c_str(), buffer, size, path_.c_str());
        },
        10000, &count);
    ParseSectionBlock(block.data(), count, lines);
    return lines.Count();
}

void SettingSection::ListSections(StringList& names) const {
    DWORD size = 260;
    std::vector<wchar_t> buffer;
    DWORD count = 0;
    for (;;) {
        buffer.assign(size, L'\0');
        count = GetPrivateProfileSectionNamesW(buffer.data(), size, path_.c_str());
        if (count < size - 2 || size * 2 > 999999) break;
        size *= 2;
    }
    if (count > size) count = size;
    names.Clear();
    ParseNameBlock(buffer.data(), count, names);
}

bool SettingSection::DeleteSection(const WideString& name) {
    bool deleted = Written(WritePrivateProfileStructW(name.c_str(), nullptr, nullptr, 0, path_.c_str()));
    section_ = WideString();
    return deleted;
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
