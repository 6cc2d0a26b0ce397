// The texts of the settings file that need no system call: the names of the file and its
// working section, how a value is protected on writing, the section and name blocks the
// system returns, and window handles kept as text.
#pragma once

#include "app/portable_types.h"
#include "app/string_list.h"
#include "app/wide_string.h"

extern const wchar_t kWorkingSection[];    // "Tollerup"
extern const wchar_t kSettingsFileName[];  // "TLR.ini"
extern const wchar_t kCaptureFileName[];   // "Capture.bmp"

// Reading a value drops one pair of enclosing double quotes. A value that itself begins
// and ends with a quote (a quoted program with a quoted argument) is written inside one
// more pair, so that it reads back as it was written.
WideString ProtectEnclosingQuotes(const WideString& value);

// Lines of a double-zero-terminated block, with one pair of double quotes dropped from a
// value that begins and ends with one.
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
