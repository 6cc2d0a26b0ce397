#include "app/common_controls.h"

#include "app/message_box.h"
#include "app/system_info.h"
#include "res/resource.h"

CommonControlsActivation::CommonControlsActivation() {
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(AppInstance(), program, MAX_PATH);
    ACTCTXW description = {};
    description.cbSize = sizeof(description);
    description.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    description.hModule = AppInstance();
    description.lpSource = program;
    description.lpResourceName = MAKEINTRESOURCEW(IDR_COMMON_CONTROLS);
    context_.Reset(CreateActCtxW(&description));
    if (!ReportLastError(context_.IsValid(), "CreateActCtx")) return;
    active_ = ReportLastError(ActivateActCtx(context_.Get(), &cookie_), "ActivateActCtx") != FALSE;
}

CommonControlsActivation::~CommonControlsActivation() {
    if (active_) DeactivateActCtx(0, cookie_);
}
