// One section of the settings file. Every key is read and written through the system's
// private-profile functions; nothing is cached, and reading never creates the file.
#pragma once

#include <climits>

#include <functional>
#include <vector>

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
    // Each write returns whether the file took it. A write that fails (a folder the user
    // may not write, a read-only file, a folder of the file's name) shows the box of
    // UnwritableSettingsText; callers that write several keys stop at the first failure,
    // so that one action shows one box.
    bool WriteInt(const wchar_t* key, long long value) const;
    bool WriteBool(const wchar_t* key, bool value) const;
    bool WriteString(const wchar_t* key, const WideString& value) const;
    // The lines of the named section (quotes around a value dropped); returns their count.
    int ReadSection(const WideString& name, SectionLines& lines) const;
    // Section names in file order, placed by the list's own order rule.
    void ListSections(StringList& names) const;
    // Removes the whole section; the object's own section name becomes empty. False (after
    // the box) when the file could not be written.
    bool DeleteSection(const WideString& name);

private:
    bool Written(BOOL result) const;

    WideString path_;
    WideString section_;
};

// "設定ファイルに書き込めません", a line feed and the settings file's full path.
WideString UnwritableSettingsText(const WideString& path);

// A double-zero-terminated block read with a call shaped like GetPrivateProfileSectionW
// (buffer, its size in characters; returns the characters copied). The buffer starts at
// firstSize characters and doubles while the block may have been cut (the count reaches
// the size - 2), so a large block costs a few reads of the file, not one per 2,000
// characters. count receives the characters of the block.
using ProfileBlockRead = std::function<DWORD(wchar_t* buffer, DWORD size)>;
std::vector<wchar_t> ReadProfileBlock(const ProfileBlockRead& read, DWORD firstSize, DWORD* count);
