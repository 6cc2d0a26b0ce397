// Path and command-line texts. Pure functions of their inputs.
#pragma once

#include "app/string_list.h"
#include "app/wide_string.h"

// Blanks trimmed at both ends; then, when the text begins with a double quote, its first
// and last characters are dropped.
WideString Unquote(const WideString& text);
// Text before the last backslash; the three-character drive root ("C:\") when that
// backslash is at position 2; empty without a backslash.
WideString DirectoryPart(const WideString& path);
// Text after the last backslash, or the whole text.
WideString FileNamePart(const WideString& path);
// Text after the last point, or empty.
WideString ExtensionPart(const WideString& path);
// True for a drive root such as "C:\".
bool IsDriveRoot(const WideString& folder);
// Folder and name with one backslash between them, none added after a drive root.
WideString JoinPath(const WideString& folder, const WideString& name);
// The text in double quotes when it contains a blank, then a blank and the arguments
// when there are any.
WideString QuoteIfBlank(const WideString& text, const WideString& arguments = WideString());

// A command line cut into the program (unquoted) and its argument text (trimmed, never
// split further).
struct CommandLineParts {
    WideString program;
    WideString arguments;
};
CommandLineParts SplitCommandLineText(const WideString& text);

// Lines cut at CR, LF or CR LF; empty lines in between stay, an empty remainder after
// the last break gives no entry.
void SplitLines(const WideString& text, StringList& lines);
