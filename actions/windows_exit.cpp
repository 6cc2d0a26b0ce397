#include "actions/windows_exit.h"

#include "actions/countdown.h"
#include "app/handles.h"
#include "app/message_box.h"

namespace {

class SystemExit : public ExitEffects {
public:
    void EnableShutdownPrivilege() override {
        HANDLE raw = nullptr;
        if (!ReportLastError(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw),
                             "OpenProcessToken"))
            return;
        UniqueHandle token(raw);
        TOKEN_PRIVILEGES privileges = {};
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        if (!ReportLastError(LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid),
                             "LookupPrivilegeValue"))
            return;
        BOOL adjusted = AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr);
        ReportPrivilegeAdjustment(adjusted, GetLastError());
    }
    BOOL SetSystemPowerState(BOOL suspend, BOOL force) override { return ::SetSystemPowerState(suspend, force); }
    BOOL ExitWindowsEx(UINT flags, DWORD reason) override { return ::ExitWindowsEx(flags, reason); }
};

}  // namespace

ExitEffects& SystemExitEffects() {
    static SystemExit effects;
    return effects;
}

void ReportPrivilegeAdjustment(BOOL adjusted, DWORD lastError) {
    if (!adjusted) {
        SetLastError(lastError);
        ReportLastError(FALSE, "AdjustTokenPrivileges");
        return;
    }
    // The call succeeds also when the token does not hold the privilege at all.
    if (lastError == ERROR_NOT_ALL_ASSIGNED) ReportErrorCode(static_cast<long>(lastError), "AdjustTokenPrivileges");
}

ExitCall ChooseExitCall(const ExitText& text) {
    ExitCall call;
    switch (text.method) {
    case ExitMethod::Sleep:
        call.powerState = true;
        call.suspend = TRUE;
        break;
    case ExitMethod::Hibernate:
        call.powerState = true;
        call.suspend = FALSE;
        break;
    case ExitMethod::Restart:
        call.flags = EWX_REBOOT;
        break;
    case ExitMethod::Normal:
        call.flags = EWX_POWEROFF;
        break;
    }
    if (!call.powerState && text.force) call.flags |= EWX_FORCE;
    return call;
}

int EndWindowsWith(const WideString& text, const CountdownFunction& countdown, ExitEffects& effects) {
    ExitText parsed = ParseExitText(text);
    if (parsed.hasWait && countdown(parsed.countdownTitle, parsed.waitSeconds) == 0) return kExitCancelled;
    effects.EnableShutdownPrivilege();
    ExitCall call = ChooseExitCall(parsed);
    if (call.powerState) {
        // The names read the same on every code page.
        const wchar_t* name = call.suspend ? L"スリープエラー" : L"休止状態エラー";
        ReportLastError(effects.SetSystemPowerState(call.suspend, FALSE), name);
        return kPowerStateRequested;
    }
    // A session that cannot be ended (a remote session, a policy, a missing privilege)
    // must not pass for one that ends: the PC would stay on without a word.
    ReportLastError(effects.ExitWindowsEx(call.flags, 0), "ExitWindowsEx");
    return kExitRequested;
}

int EndWindows(int iconId, const WideString& text) {
    CountdownFunction countdown = [iconId](const WideString& title, int seconds) {
        return RunCountdown(nullptr, iconId, title, seconds);
    };
    return EndWindowsWith(text, countdown, SystemExitEffects());
}
