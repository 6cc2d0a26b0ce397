// Path texts and the command-line split. A program path made into a command word splits
// back whole with its arguments, the parts of a path put together give the path again,
// and the line split loses nothing but the breaks.
#include <cstddef>
#include <cstdint>

#include "app/paths.h"
#include "app/string_list.h"
#include "fuzz/fuzz_input.h"
#include "wizard/parameter_fields.h"

namespace {

void CheckPathParts(const WideString& path) {
    WideString folder = DirectoryPart(path);
    WideString name = FileNamePart(path);
    WideString extension = ExtensionPart(path);
    FUZZ_CHECK(path.StartsWith(folder));
    FUZZ_CHECK(path.Right(name.Length()) == name);
    FUZZ_CHECK(!name.Contains(L"\\"));
    FUZZ_CHECK(!extension.Contains(L"."));
    FUZZ_CHECK(path.Right(extension.Length()) == extension);
    int last = path.FindLast(L'\\');
    if (last < 0) {
        FUZZ_CHECK(folder.IsEmpty() && name == path);
    } else if (last != 2 || path.At(1) == L':') {
        // A drive root keeps its backslash and takes the name directly (a second backslash
        // after the drive, as in "C:\\x", is not put back).
        FUZZ_CHECK_TEXTS(JoinPath(folder, name) == path || (IsDriveRoot(folder) && folder + L"\\" + name == path), path,
                         folder);
    }
    FUZZ_CHECK(IsDriveRoot(folder) == (folder.Length() == 3 && folder.At(1) == L':' && folder.At(2) == L'\\'));

    WideString unquoted = Unquote(path);
    FUZZ_CHECK(unquoted.Length() <= path.Length());
    FUZZ_CHECK(path.Contains(unquoted));
}

void CheckCommandLine(const WideString& program, const WideString& arguments) {
    // A path never holds a double quote; anything else may be in it, blanks included.
    if (program.Contains(L"\"")) return;
    CommandLineParts parts = SplitCommandLineText(QuoteIfBlank(program, arguments));
    FUZZ_CHECK_TEXTS(parts.program == program, program, arguments);
    FUZZ_CHECK_TEXTS(parts.arguments == arguments.Trimmed(), program, arguments);

    // The command dialog's word for a browsed or dropped file: the file whole, unquoted.
    WideString path = Unquote(program);
    if (path.IsEmpty()) return;
    CommandLineParts dropped = SplitCommandLineText(CommandWordForPath(program) + L" " + arguments);
    FUZZ_CHECK_TEXTS(dropped.program == path, program, arguments);
    FUZZ_CHECK_TEXTS(dropped.arguments == arguments.Trimmed(), program, arguments);
    CommandLineParts shortened = SplitCommandLineText(CommandWordForShortPath(WideString(), program));
    FUZZ_CHECK_TEXTS(shortened.program == path, program, arguments);
}

void CheckAnySplit(const WideString& text) {
    CommandLineParts parts = SplitCommandLineText(text);
    FUZZ_CHECK(parts.program.Length() + parts.arguments.Length() <= text.Length());
    FUZZ_CHECK(parts.arguments == parts.arguments.Trimmed());
    FUZZ_CHECK(text.Contains(parts.arguments));
}

void CheckLines(const WideString& text) {
    StringList lines;
    SplitLines(text, lines);
    WideString joined;
    int breaks = 0;
    for (int i = 0; i < text.Length(); ++i) {
        wchar_t ch = text.At(i);
        if (ch == L'\r' || ch == L'\n') {
            if (!(ch == L'\n' && text.At(i - 1) == L'\r')) ++breaks;
        } else {
            joined.Append(ch);
        }
    }
    WideString again;
    for (int i = 0; i < lines.Count(); ++i) {
        FUZZ_CHECK(!lines[i].Contains(L"\r") && !lines[i].Contains(L"\n"));
        again += lines[i];
    }
    FUZZ_CHECK(again == joined);
    // One line per break, and one more for a remainder after the last break.
    bool remainder = !text.IsEmpty() && text.At(text.Length() - 1) != L'\r' && text.At(text.Length() - 1) != L'\n';
    FUZZ_CHECK(lines.Count() == breaks + (remainder ? 1 : 0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    WideString first = input.Text();
    WideString second = input.Text();
    CheckPathParts(first);
    CheckCommandLine(first, second);
    CheckAnySplit(first);
    CheckLines(first);
    return 0;
}
