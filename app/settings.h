// One section of the settings file. Every key is read and written through the system's
// private-profile functions; nothing is cached, and reading never creates the file.
#pragma once

#include <climits>

#include "app/portable_types.h"
#include "app/string_list.h"
#include "app/wide_string.h"

extern const wchar_t kWorkingSection[];    // "Tollerup"
extern const wchar_t kSettingsFileName[];  // "TLR.ini"
extern const wchar_t kCaptureFileName[];   // "Capture.bmp"
const int kNoPosition = INT_MIN;           // a dialog position key that holds no position

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

// Reading a value drops one pair of enclosing double quotes. A value that itself begins
// and ends with a quote (a quoted program with a quoted argument) is written inside one
// more pair, so that it reads back as it was written.
WideString ProtectEnclosingQuotes(const WideString& value);

// Lines of a double-zero-terminated block, with a value's enclosing quotes dropped.
void ParseSectionBlock(const wchar_t* block, size_t size, SectionLines& lines);
// Names of a double-zero-terminated block.
void ParseNameBlock(const wchar_t* block, size_t size, StringList& names);

// Window handles are kept as lowercase hexadecimal text without prefix ("0" for none),
// their value sign-extended to 64 bits. Text that is not entirely hexadecimal reads as no
// handle. A build keeps the low bits that its handles hold: 32 in the 32-bit build, 64 in
// the 64-bit one.
WideString WindowHandleToText(HWND window);
HWND TextToWindowHandle(const WideString& text);
// The same for a handle value of the given width in bits (32 or 64), for either build.
WideString HandleValueToText(unsigned long long value, int handleBits);
unsigned long long TextToHandleValue(const WideString& text, int handleBits);
