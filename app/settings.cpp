#include "app/settings.h"

#include <climits>
#include <cstdint>
#include <vector>

#include "app/message_box.h"

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

bool SettingSection::WriteString(const wchar_t* key, const WideString& value) const {
    return Written(
        WritePrivateProfileStringW(section_.c_str(), key, ProtectEnclosingQuotes(value).c_str(), path_.c_str()));
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
