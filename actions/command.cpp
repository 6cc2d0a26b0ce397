#include "actions/command.h"

#include <shellapi.h>

#include "actions/action_text.h"
#include "app/message_box.h"
#include "app/paths.h"

WideString CommandWorkingDirectory(const WideString& program) {
    return DirectoryPart(program);
}

CommandLaunch PlanCommand(const WideString& text) {
    CommandText parsed = ParseCommandText(text);
    CommandLineParts parts = SplitCommandLineText(parsed.command.Trimmed());
    CommandLaunch launch;
    launch.program = parts.program;
    launch.arguments = parts.arguments;
    launch.directory = CommandWorkingDirectory(parts.program);
    launch.showCommand = parsed.minimize ? SW_MINIMIZE : SW_SHOWNORMAL;
    return launch;
}

WideString ExecuteErrorText(INT_PTR shellValue) {
    return WideString(L"Execute Error Code = ") + WideString::FromInt(static_cast<long long>(shellValue));
}

bool RunCommand(HWND owner, const WideString& text) {
    CommandLaunch launch = PlanCommand(text);
    INT_PTR result = SE_ERR_FNF;
    // An empty file name would let the shell open a folder instead of failing.
    if (!launch.program.IsEmpty()) {
        HINSTANCE shell = ShellExecuteW(owner, L"open", launch.program.c_str(), launch.arguments.c_str(),
                                        launch.directory.c_str(), launch.showCommand);
        result = reinterpret_cast<INT_PTR>(shell);
    }
    if (result <= 32) {
        ShowErrorBox(ExecuteErrorText(result), owner);
        return false;
    }
    return true;
}
