// Common Controls 6 (the system's current controls and visual styles) for the roads that
// show windows. The manifest that asks for them is a resource of its own, not the
// process's manifest: a start that only refuses itself does not pay for loading them.
#pragma once

#include <windows.h>

#include "app/handles.h"

class CommonControlsActivation {
public:
    // Makes the activation context from the manifest resource IDR_COMMON_CONTROLS of the
    // program and activates it on this thread. Windows created and libraries of the
    // common controls loaded from then on are those of version 6. Failures are reported
    // ("CreateActCtx", "ActivateActCtx") and the program goes on with the older controls.
    CommonControlsActivation();
    // Deactivates the context; the owner releases it.
    ~CommonControlsActivation();
    CommonControlsActivation(const CommonControlsActivation&) = delete;
    CommonControlsActivation& operator=(const CommonControlsActivation&) = delete;

    bool IsActive() const { return active_; }

private:
    UniqueActivationContext context_;
    ULONG_PTR cookie_ = 0;
    bool active_ = false;
};
