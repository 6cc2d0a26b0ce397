// The fields of the three parameter dialogs (command, media file, Windows exit): how a
// parameter text is read into them, how they are composed back, and the small decisions
// the dialogs make on their own. Pure functions of their inputs; the texts follow the
// rules of actions/action_text.h.
#pragma once

#include "actions/action_text.h"
#include "app/wide_string.h"

// ---- Position keys shared by the dialogs ----

// A dialog moves to its stored position only when both keys hold one.
bool HasStoredPosition(int left, int top);

// ---- Command dialog ----

// A file path as one word of the command line: blanks at both ends and one pair of
// enclosing double quotes removed, then quoted again when it holds a blank.
WideString CommandWordForPath(const WideString& path);
// The short form of a path as that word. A conversion that failed (empty short form)
// keeps the path as it was.
WideString CommandWordForShortPath(const WideString& shortPath, const WideString& path);

// What adding a word at the box's selection does. An empty box becomes the word. A
// selection that does not start at the end of the text, or starts after a blank, is
// replaced by the word (replaceSelection). At the end of a text that does not end in a
// blank, the word follows one blank. text and caret tell the box's text afterwards and
// where the caret goes (right after the word).
struct BoxInsertion {
    bool replaceSelection = false;
    WideString text;
    int caret = 0;
};
BoxInsertion InsertWordIntoBox(const WideString& box, int selectionStart, int selectionEnd, const WideString& word);

// Pasting at the end of a text that does not end in a blank adds one blank first.
bool PasteNeedsBlank(const WideString& box, int selectionStart);

// The longest command the box takes: with the "Icon " prefix its text is still one the
// action takes whole. Typing stops there; a drop, a browse or a paste that would pass it
// is refused with a box instead of being cut.
const int kLongestCommand = kActionTextLimit - 5;
// The length of the box's text once a text of pastedLength characters is pasted over the
// selection (with the blank that PasteNeedsBlank asks for).
int LengthAfterPaste(const WideString& box, int selectionStart, int selectionEnd, int pastedLength);

// Filter of the browse dialog: 1 (programs) for an empty box, 2 (all files) otherwise.
int CommandBrowseFilterIndex(const WideString& box);

// ---- Media dialog ----

const int kVolumeEntryCount = 11;
// "変更無", "最大の10%" ... "最大の90%", "最大"; empty outside 0 to 10.
WideString VolumeEntryText(int index);

struct MediaFields {
    bool repeat = false;
    int volumeIndex = 0;  // 0 to 10
    WideString file;      // as stored
};
// A stored volume between the steps of the list selects the next step up.
MediaFields ReadMediaFields(const WideString& text);
WideString ComposeMediaFields(const MediaFields& fields);

// Filter of the browse dialog for an extension, compared without regard to case: 1 for
// sounds (wav, mp3, aif, cda), 2 for MIDI (mid, rmi), 3 for videos (avi, mpg), 4 else.
int MediaFilterIndexForExtension(const WideString& extension);

// Where the browse dialog starts. start is the box's text unquoted; startExists tells
// whether it names something that exists. A missing or empty start becomes "*.wav" in
// the system's media folder. A start that does not fit the dialog's file buffer (of
// bufferSize characters with its terminating zero) leaves the buffer empty and opens the
// media folder instead. The filter follows the extension of the file the dialog starts
// with.
struct MediaBrowseStart {
    WideString file;           // what the file buffer starts with
    WideString initialFolder;  // empty: the dialog's own choice
    int filterIndex = 1;
};
MediaBrowseStart PlanMediaBrowseStart(const WideString& start, bool startExists, const WideString& windowsFolder,
                                      int bufferSize);

// ---- Windows-exit dialog ----

const int kMaxWaitSeconds = 300;

// Radio buttons in order: normal end, sleep, hibernate, restart.
int ExitMethodIndex(ExitMethod method);
ExitMethod ExitMethodAtIndex(int index);
// Applications are closed by force only when Windows ends or restarts.
bool ForceApplies(ExitMethod method);

struct ExitFields {
    ExitMethod method = ExitMethod::Normal;
    bool force = false;
    bool forceEnabled = true;
    int waitSeconds = 0;  // 0 to 300
};
// The text read as the action reads it. A method the computer does not allow opens as
// the normal end; force is off and disabled for sleep and hibernate; a waiting time
// outside 0 to 300 is brought to the nearer bound.
ExitFields ReadExitFields(const WideString& text, bool sleepAllowed, bool hibernateAllowed);
// Force is written only for the methods it applies to; a wait of 0 writes no wait.
WideString ComposeExitFields(const ExitFields& fields);
