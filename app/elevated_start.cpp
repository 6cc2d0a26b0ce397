#include "app/elevated_start.h"

#include <shellapi.h>

#include "app/message_box.h"

ElevatedStart StartElevated(const WideString& program, const WideString& arguments, const WideString& folder,
                            int showCommand) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    // No box of the shell's own: a failure is reported here, once.
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"runas";
    info.lpFile = program.c_str();
    info.lpParameters = arguments.c_str();
    info.lpDirectory = folder.IsEmpty() ? nullptr : folder.c_str();
    info.nShow = showCommand;
    bool executed = ShellExecuteExW(&info) != FALSE;
    DWORD error = executed ? ERROR_SUCCESS : GetLastError();
    if (!executed && error == ERROR_SUCCESS) error = ERROR_GEN_FAILURE;  // a failure never reads as none
    ElevatedStart outcome = ElevatedStartOutcome(executed, error);
    if (outcome == ElevatedStart::Failed) ReportErrorCode(static_cast<long>(error), "ShellExecuteEx");
    return outcome;
}
