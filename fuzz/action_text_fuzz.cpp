// The parameter texts of the three actions. Whatever a setting holds is read with its
// numbers in range, and reading then composing gives the text back where the format
// allows. What a dialog composes from its fields reads back as those fields: the action
// runs or plays what the dialog was given, and a dialog opened and saved unchanged writes
// the same text again.
#include <cstddef>
#include <cstdint>

#include "actions/action_text.h"
#include "app/paths.h"
#include "fuzz/fuzz_input.h"
#include "wizard/parameter_fields.h"

namespace {

const WideString kCountdownSuffix(L"までの時間");
// The parameter texts are read with a buffer of 520 characters.
const int kLongestParameter = 519;
// A file the media dialog browses to fits the file dialog's buffer of 260 characters.
const int kLongestFile = 259;

// The program and arguments that the command action starts for a command line.
CommandLineParts Launched(const WideString& command) {
    return SplitCommandLineText(command.Trimmed());
}

// The file the media action opens.
WideString Played(const WideString& file) {
    return Unquote(file);
}

void CheckStoredCommand(const WideString& stored) {
    CommandText parsed = ParseCommandText(stored);
    FUZZ_CHECK_TEXTS(ComposeCommandText(parsed.minimize, parsed.command) == stored, stored, parsed.command);
}

void CheckStoredMedia(const WideString& stored) {
    MediaText parsed = ParseMediaText(stored);
    FUZZ_CHECK(parsed.volume >= 0 && parsed.volume <= 100);
    FUZZ_CHECK(stored.Right(parsed.file.Length()) == parsed.file);

    MediaFields fields = ReadMediaFields(stored);
    FUZZ_CHECK(fields.volumeIndex >= 0 && fields.volumeIndex < kVolumeEntryCount);
    FUZZ_CHECK(fields.repeat == parsed.repeat && fields.file == parsed.file);
    // Opened and saved unchanged, then once more: the second save writes what the first did.
    WideString saved = ComposeMediaFields(fields);
    FUZZ_CHECK_TEXTS(ComposeMediaFields(ReadMediaFields(saved)) == saved, stored, saved);
    FUZZ_CHECK(fields.file.Length() > kLongestFile || saved.Length() <= kLongestParameter);
}

void CheckStoredExit(const WideString& stored, bool sleepAllowed, bool hibernateAllowed) {
    ExitText parsed = ParseExitText(stored);
    FUZZ_CHECK(parsed.waitSeconds >= 0);
    if (parsed.hasWait) {
        int wait = stored.Find(L"待機時間 =");
        FUZZ_CHECK(parsed.countdownTitle == stored.Left(wait) + kCountdownSuffix);
    } else {
        FUZZ_CHECK(parsed.waitSeconds == 0 && parsed.countdownTitle.IsEmpty());
    }
    FUZZ_CHECK(!parsed.force || stored.Contains(L"強制終了"));

    ExitFields fields = ReadExitFields(stored, sleepAllowed, hibernateAllowed);
    FUZZ_CHECK(fields.waitSeconds >= 0 && fields.waitSeconds <= kMaxWaitSeconds);
    FUZZ_CHECK(sleepAllowed || fields.method != ExitMethod::Sleep);
    FUZZ_CHECK(hibernateAllowed || fields.method != ExitMethod::Hibernate);
    FUZZ_CHECK(fields.forceEnabled == ForceApplies(fields.method));
    FUZZ_CHECK(!fields.force || fields.forceEnabled);
    WideString saved = ComposeExitFields(fields);
    ExitFields reopened = ReadExitFields(saved, sleepAllowed, hibernateAllowed);
    FUZZ_CHECK(reopened.method == fields.method && reopened.force == fields.force &&
               reopened.waitSeconds == fields.waitSeconds);
    FUZZ_CHECK(ComposeExitFields(reopened) == saved);
    FUZZ_CHECK(saved.Length() <= kLongestParameter);
}

void CheckComposedCommand(bool minimize, const WideString& command) {
    WideString text = ComposeCommandText(minimize, command);
    // Two characters of quotes or the five of "Icon ": the dialog's limit keeps the text
    // within the 519 characters the action reads.
    FUZZ_CHECK(text.Length() <= command.Length() + 5);
    CommandText parsed = ParseCommandText(text);
    FUZZ_CHECK_TEXTS(parsed.minimize == minimize, command, text);
    CommandLineParts wanted = Launched(command);
    CommandLineParts launched = Launched(parsed.command);
    FUZZ_CHECK_TEXTS(launched.program == wanted.program, command, text);
    FUZZ_CHECK_TEXTS(launched.arguments == wanted.arguments, command, text);
}

void CheckComposedMedia(bool repeat, int volumeIndex, const WideString& file) {
    WideString text = ComposeMediaText(repeat, volumeIndex, file);
    MediaText parsed = ParseMediaText(text);
    int index = volumeIndex < 0 ? 0 : (volumeIndex > 10 ? 10 : volumeIndex);
    FUZZ_CHECK_TEXTS(parsed.valid, file, text);
    FUZZ_CHECK_TEXTS(parsed.repeat == repeat, file, text);
    FUZZ_CHECK_TEXTS(parsed.volume == index * 10, file, text);
    FUZZ_CHECK_TEXTS(Played(parsed.file) == Played(file), file, text);

    MediaFields fields = ReadMediaFields(text);
    FUZZ_CHECK(fields.repeat == repeat && fields.volumeIndex == index);
    FUZZ_CHECK_TEXTS(ComposeMediaFields(fields) == text, file, text);
}

void CheckComposedExit(int methodIndex, bool force, int waitSeconds) {
    ExitMethod method = ExitMethodAtIndex(methodIndex);
    FUZZ_CHECK(ExitMethodIndex(method) == ((methodIndex >= 1 && methodIndex <= 3) ? methodIndex : 0));
    WideString text = ComposeExitText(method, force, waitSeconds);
    ExitText parsed = ParseExitText(text);
    FUZZ_CHECK(parsed.method == method);
    FUZZ_CHECK(parsed.force == force);
    FUZZ_CHECK(parsed.hasWait == (waitSeconds > 0));
    FUZZ_CHECK(parsed.waitSeconds == (waitSeconds > 0 ? waitSeconds : 0));
    if (parsed.hasWait) {
        WideString title = WideString(ExitMethodWord(method)) + (force ? L" 強制終了" : L"") + L" " + kCountdownSuffix;
        FUZZ_CHECK(parsed.countdownTitle == title);
    }
}

void CheckDialogDecisions(const WideString& box, int selectionStart, int selectionEnd, const WideString& word,
                          bool exists, const WideString& folder) {
    BoxInsertion insertion = InsertWordIntoBox(box, selectionStart, selectionEnd, word);
    FUZZ_CHECK(insertion.caret >= word.Length() && insertion.caret <= insertion.text.Length());
    FUZZ_CHECK(insertion.text.Piece(insertion.caret - word.Length(), insertion.caret - 1) == word);
    FUZZ_CHECK(insertion.text.Length() <= box.Length() + 1 + word.Length());

    const int kBuffer = 260;
    MediaBrowseStart plan = PlanMediaBrowseStart(Unquote(box), exists, folder, kBuffer);
    FUZZ_CHECK(plan.file.Length() < kBuffer);
    FUZZ_CHECK(plan.filterIndex >= 1 && plan.filterIndex <= 4);
    FUZZ_CHECK(!plan.file.IsEmpty() || !plan.initialFolder.IsEmpty() || folder.IsEmpty());

    FUZZ_CHECK(VolumeIndexForPercent(selectionStart) >= 0 && VolumeIndexForPercent(selectionStart) <= 10);
    FUZZ_CHECK(VolumeEntryText(selectionEnd).IsEmpty() == (selectionEnd < 0 || selectionEnd >= kVolumeEntryCount));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    WideString text = input.Text();
    bool flag = input.Flag();
    bool otherFlag = input.Flag();
    int32_t number = input.Int32();
    int32_t otherNumber = input.Int32();
    WideString otherText = input.Text();

    CheckStoredCommand(text);
    CheckStoredMedia(text);
    CheckStoredExit(text, flag, otherFlag);
    if (!text.IsEmpty()) {
        CheckComposedCommand(flag, text);
        CheckComposedMedia(otherFlag, number, text);
    }
    CheckComposedExit(number, flag, otherNumber);
    CheckDialogDecisions(text, number, otherNumber, otherText, flag, otherText);
    return 0;
}
