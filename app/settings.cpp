#include "app/settings.h"

#include <climits>
#include <cstdint>
#include <vector>

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

void SettingSection::WriteInt(const wchar_t* key, long long value) const {
    wchar_t text[16];
    if (swprintf(text, 16, L"%lld", value) < 0) wcscpy(text, L"error");
    WritePrivateProfileStringW(section_.c_str(), key, text, path_.c_str());
}

void SettingSection::WriteBool(const wchar_t* key, bool value) const {
    WritePrivateProfileStringW(section_.c_str(), key, value ? L"1" : L"0", path_.c_str());
}

void SettingSection::WriteString(const wchar_t* key, const WideString& value) const {
    WritePrivateProfileStringW(section_.c_str(), key, ProtectEnclosingQuotes(value).c_str(), path_.c_str());
}

int SettingSection::ReadSection(const WideString& name, SectionLines& lines) const {
    DWORD size = 10000;
    std::vector<wchar_t> buffer;
    DWORD count = 0;
    for (;;) {
        buffer.assign(size, L'\0');
        count = GetPrivateProfileSectionW(name.c_str(), buffer.data(), size, path_.c_str());
        if (count < size - 2) break;
        size += 2000;
    }
    ParseSectionBlock(buffer.data(), count, lines);
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

void SettingSection::DeleteSection(const WideString& name) {
    WritePrivateProfileStructW(name.c_str(), nullptr, nullptr, 0, path_.c_str());
    section_ = WideString();
}
