// One section of the settings file. Every key is read and written through the system's
// private-profile functions; nothing is cached, and reading never creates the file.
#pragma once

#include <climits>

#include "app/portable_types.h"
#include "app/settings_text.h"
#include "app/string_list.h"
#include "app/wide_string.h"

const int kNoPosition = INT_MIN;  // a dialog position key that holds no position

class SettingSection {
public:
    SettingSection(const WideString& path, const WideString& section) : path_(path), section_(section) {}

    const WideString& Path() const { return path_; }
    const WideString& Section() const { return section_; }
    void SetSection(const WideString& section) { section_ = section; }

    int ReadInt(const wchar_t* key, int fallback) const;
    bool ReadBool(const wchar_t* key, bool fallback) const;
    // The text cut to bufferSize - 1 characters.
    WideString ReadString(const wchar_t* key, int bufferSize, const wchar_t* fallback) const;
    void WriteInt(const wchar_t* key, long long value) const;
    void WriteBool(const wchar_t* key, bool value) const;
    void WriteString(const wchar_t* key, const WideString& value) const;
    // The lines of the named section (quotes around a value dropped); returns their count.
    int ReadSection(const WideString& name, SectionLines& lines) const;
    // Section names in file order, placed by the list's own order rule.
    void ListSections(StringList& names) const;
    // Removes the whole section; the object's own section name becomes empty.
    void DeleteSection(const WideString& name);

private:
    WideString path_;
    WideString section_;
};
