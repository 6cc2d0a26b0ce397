#include "wizard/parameter_fields.h"

#include <climits>

#include "app/paths.h"

namespace {
// What a position key holds when no position was stored.
const int kNoStoredPosition = INT_MIN;
const wchar_t kMediaFolderName[] = L"Media";
const wchar_t kDefaultMediaPattern[] = L"*.wav";
}  // namespace

bool HasStoredPosition(int left, int top) {
    return left != kNoStoredPosition && top != kNoStoredPosition;
}

WideString CommandWordForPath(const WideString& path) {
    return QuoteIfBlank(Unquote(path));
}

WideString CommandWordForShortPath(const WideString& shortPath, const WideString& path) {
    if (shortPath.IsEmpty()) return CommandWordForPath(path);
    // A short form normally holds no blank; one that does stays one word.
    return QuoteIfBlank(shortPath);
}

BoxInsertion InsertWordIntoBox(const WideString& box, int selectionStart, int selectionEnd, const WideString& word) {
    BoxInsertion result;
    int length = box.Length();
    if (length == 0) {
        result.text = word;
        result.caret = word.Length();
        return result;
    }
    int start = selectionStart < 0 ? 0 : (selectionStart > length ? length : selectionStart);
    int end = selectionEnd < start ? start : (selectionEnd > length ? length : selectionEnd);
    if (start != length || box.At(start - 1) == L' ') {
        result.replaceSelection = true;
        result.text = box.Left(start) + word + box.Mid(end);
        result.caret = start + word.Length();
        return result;
    }
    result.text = box + L" " + word;
    result.caret = result.text.Length();
    return result;
}

bool PasteNeedsBlank(const WideString& box, int selectionStart) {
    int length = box.Length();
    return length > 0 && selectionStart >= length && box.At(length - 1) != L' ';
}

int LengthAfterPaste(const WideString& box, int selectionStart, int selectionEnd, int pastedLength) {
    int length = box.Length();
    int start = selectionStart < 0 ? 0 : (selectionStart > length ? length : selectionStart);
    int end = selectionEnd < start ? start : (selectionEnd > length ? length : selectionEnd);
    return length - (end - start) + pastedLength + (PasteNeedsBlank(box, start) ? 1 : 0);
}

int CommandBrowseFilterIndex(const WideString& box) {
    return box.IsEmpty() ? 1 : 2;
}

WideString VolumeEntryText(int index) {
    if (index < 0 || index >= kVolumeEntryCount) return WideString();
    if (index == 0) return WideString(L"変更無");
    if (index == kVolumeEntryCount - 1) return WideString(L"最大");
    return WideString(L"最大の") + WideString::FromInt(index * 10) + L"%";
}

MediaFields ReadMediaFields(const WideString& text) {
    MediaText parsed = ParseMediaText(text);
    MediaFields fields;
    fields.repeat = parsed.repeat;
    fields.volumeIndex = VolumeIndexForPercent(parsed.volume);
    fields.file = parsed.file;
    return fields;
}

WideString ComposeMediaFields(const MediaFields& fields) {
    return ComposeMediaText(fields.repeat, fields.volumeIndex, fields.file);
}

int MediaFilterIndexForExtension(const WideString& extension) {
    struct Group {
        const wchar_t* extensions[4];
        int index;
    };
    static const Group groups[] = {{{L"wav", L"mp3", L"aif", L"cda"}, 1},
                                   {{L"mid", L"rmi", nullptr, nullptr}, 2},
                                   {{L"avi", L"mpg", nullptr, nullptr}, 3}};
    for (const Group& group : groups) {
        for (const wchar_t* known : group.extensions) {
            if (!known) break;
            WideString name(known);
            if (extension.Length() == name.Length() && extension.StartsWithNoCase(name)) return group.index;
        }
    }
    return 4;
}

MediaBrowseStart PlanMediaBrowseStart(const WideString& start, bool startExists, const WideString& windowsFolder,
                                      int bufferSize) {
    MediaBrowseStart plan;
    WideString mediaFolder = JoinPath(windowsFolder, kMediaFolderName);
    plan.file = startExists && !start.IsEmpty() ? start : JoinPath(mediaFolder, kDefaultMediaPattern);
    if (plan.file.Length() >= bufferSize) {
        plan.file = WideString();
        plan.initialFolder = mediaFolder;
        plan.filterIndex = 1;
        return plan;
    }
    plan.filterIndex = MediaFilterIndexForExtension(ExtensionPart(plan.file));
    return plan;
}

int ExitMethodIndex(ExitMethod method) {
    switch (method) {
    case ExitMethod::Sleep:
        return 1;
    case ExitMethod::Hibernate:
        return 2;
    case ExitMethod::Restart:
        return 3;
    case ExitMethod::Normal:
        break;
    }
    return 0;
}

ExitMethod ExitMethodAtIndex(int index) {
    switch (index) {
    case 1:
        return ExitMethod::Sleep;
    case 2:
        return ExitMethod::Hibernate;
    case 3:
        return ExitMethod::Restart;
    default:
        return ExitMethod::Normal;
    }
}

bool ForceApplies(ExitMethod method) {
    return method == ExitMethod::Normal || method == ExitMethod::Restart;
}

ExitFields ReadExitFields(const WideString& text, bool sleepAllowed, bool hibernateAllowed) {
    ExitText parsed = ParseExitText(text);
    ExitFields fields;
    fields.method = parsed.method;
    if ((fields.method == ExitMethod::Sleep && !sleepAllowed) ||
        (fields.method == ExitMethod::Hibernate && !hibernateAllowed))
        fields.method = ExitMethod::Normal;
    fields.forceEnabled = ForceApplies(fields.method);
    fields.force = fields.forceEnabled && parsed.force;
    int wait = parsed.waitSeconds;
    fields.waitSeconds = wait < 0 ? 0 : (wait > kMaxWaitSeconds ? kMaxWaitSeconds : wait);
    return fields;
}

WideString ComposeExitFields(const ExitFields& fields) {
    return ComposeExitText(fields.method, fields.force && ForceApplies(fields.method), fields.waitSeconds);
}
