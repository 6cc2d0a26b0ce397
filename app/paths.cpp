#include "app/paths.h"

WideString Unquote(const WideString& text) {
    WideString trimmed = text.Trimmed();
    if (trimmed.At(0) == L'"') return trimmed.Piece(1, trimmed.Length() - 2);
    return trimmed;
}

WideString DirectoryPart(const WideString& path) {
    int pos = path.FindLast(L'\\');
    if (pos < 0) return WideString();
    if (pos == 2) return path.Left(3);
    return path.Left(pos);
}

WideString FileNamePart(const WideString& path) {
    int pos = path.FindLast(L'\\');
    return pos < 0 ? path : path.Mid(pos + 1);
}

WideString ExtensionPart(const WideString& path) {
    int pos = path.FindLast(L'.');
    return pos < 0 ? WideString() : path.Mid(pos + 1);
}

bool IsDriveRoot(const WideString& folder) {
    return folder.Length() == 3 && folder.At(1) == L':' && folder.At(2) == L'\\';
}

WideString JoinPath(const WideString& folder, const WideString& name) {
    if (IsDriveRoot(folder)) return folder + name;
    return folder + L"\\" + name;
}

WideString QuoteIfBlank(const WideString& text, const WideString& arguments) {
    WideString result = text.Contains(L" ") ? WideString(L"\"") + text + L"\"" : text;
    if (!arguments.IsEmpty()) result += WideString(L" ") + arguments;
    return result;
}

CommandLineParts SplitCommandLineText(const WideString& text) {
    CommandLineParts parts;
    if (text.At(0) == L'"') {
        int close = text.Find(L"\"", 1);
        if (close < 0) {
            parts.arguments = text.Mid(1).Trimmed();
            return parts;
        }
        parts.program = text.Piece(1, close - 1);
        parts.arguments = text.Mid(close + 1).Trimmed();
    } else {
        int blank = text.Find(L" ");
        if (blank < 0) {
            parts.program = text;
        } else {
            parts.program = text.Left(blank);
            parts.arguments = text.Mid(blank + 1).Trimmed();
        }
    }
    if (parts.program.At(0) == L'"') parts.program = parts.program.Piece(1, parts.program.Length() - 2);
    return parts;
}

void SplitLines(const WideString& text, StringList& lines) {
    const std::wstring& s = text.str();
    size_t start = 0;
    size_t i = 0;
    while (i < s.size()) {
        wchar_t ch = s[i];
        if (ch == L'\r' || ch == L'\n') {
            lines.Add(WideString(s.substr(start, i - start)));
            if (ch == L'\r' && i + 1 < s.size() && s[i + 1] == L'\n') ++i;
            start = i + 1;
        }
        ++i;
    }
    if (start < s.size()) lines.Add(WideString(s.substr(start)));
}
