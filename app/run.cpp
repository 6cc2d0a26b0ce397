#include "app/run.h"

#include "actions/action.h"
#include "actions/action_text.h"
#include "app/message_box.h"
#include "app/paths.h"
#include "app/run_setup.h"

namespace {
const int kPathBufferSize = 260;
}

WatchKind WatchKindForMode(int watchMode) {
    switch (watchMode) {
    case 0:
        return WatchKind::Screen;
    case 1:
        return WatchKind::Process;
    default:
        return WatchKind::None;
    }
}

WatchedAction ReadWatchedAction(const SettingSection& section) {
    WatchedAction action;
    action.kind = section.ReadInt(L"Act", 0);
    action.text = ReadActionParameter(action.kind, section);
    return action;
}

ProcessWatchSetup ReadProcessWatchSetup(const SettingSection& section, const WatchedAction& action) {
    ProcessWatchSetup setup;
    setup.window = TextToWindowHandle(section.ReadString(L"PCHandle", kPathBufferSize, L""));
    setup.programPath = Unquote(section.ReadString(L"filename", kPathBufferSize, L""));
    setup.pid = section.ReadInt(L"pid", 0);
    setup.conditions = section.ReadInt(L"PCParam", 0);
    setup.capture = section.ReadBool(L"Capture", false);
    setup.actionKind = action.kind;
    setup.actionText = action.text;
    return setup;
}

ScreenWatchSetup ReadScreenWatchSetup(const SettingSection& section, const WatchedAction& action) {
    ScreenWatchSetup setup;
    setup.area.left = section.ReadInt(L"ScrLeft", 0);
    setup.area.top = section.ReadInt(L"ScrTop", 0);
    setup.area.right = section.ReadInt(L"ScrRight", 0);
    setup.area.bottom = section.ReadInt(L"ScrBottom", 0);
    setup.holdScreenSaver = section.ReadBool(L"SSHold", true);
    setup.actionKind = action.kind;
    setup.actionText = action.text;
    return setup;
}

WatchResult RunWatch(SettingSection& section) {
    try {
        WatchKind kind = WatchKindForMode(section.ReadInt(L"WatchMode", 0));
        WatchedAction action = ReadWatchedAction(section);
        // A watch whose action cannot run would wait all night for nothing.
        if (ActionTextTooLong(action.text)) {
            ShowErrorBox(kActionTextTooLongText);
            return WatchResult::Refused;
        }
        switch (kind) {
        case WatchKind::Process:
            return RunProcessModeWatch(ReadProcessWatchSetup(section, action));
        case WatchKind::Screen:
            return RunScreenModeWatch(ReadScreenWatchSetup(section, action));
        case WatchKind::None:
            break;
        }
        return WatchResult::Met;  // nothing to watch: the action follows at once
    } catch (...) {
        // Whatever the watch held was given back as the fault left it.
        ShowErrorBox(kWatchFaultText);
        return WatchResult::Refused;
    }
}
