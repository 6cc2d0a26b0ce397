// The setup wizard as start-up sees it.
#pragma once

#include <windows.h>

#include "app/settings.h"
#include "watch/monitor_layout.h"

struct WizardContext {
    SettingSection* section = nullptr;
    WideString capturePath;
    MonitorLayout* layout = nullptr;
    bool canElevate = false;  // ElevationState 2
    int elevation = 1;
    WideString currentDirectory;
    WideString programPath;
    int showCommand = SW_SHOWNORMAL;
    bool* startRequested = nullptr;
};

// Runs the wizard under the caller's thread until it is finished or cancelled; returns
// the quit code.
int RunWizard(WizardContext& context);
