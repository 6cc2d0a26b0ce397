#include "app/startup.h"

#include <ole2.h>

#include "actions/action.h"
#include "app/elevated_start.h"
#include "app/handles.h"
#include "app/message_box.h"
#include "app/paths.h"
#include "app/run.h"
#include "app/settings.h"
#include "app/startup_logic.h"
#include "app/system_info.h"
#include "watch/capture.h"
#include "watch/monitor_layout.h"
#include "wizard/wizard.h"

namespace {

#ifdef TLR_BUILD32
const bool kThirtyTwoBitBuild = true;
#else
const bool kThirtyTwoBitBuild = false;
#endif

// Owns the single-instance mutex from its creation to the end of start-up.
class SingleInstance {
public:
    SingleInstance() = default;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;
    ~SingleInstance() { Release(); }

    // False when another instance with the same name runs, also when that instance runs
    // elevated and its mutex refuses this process.
    bool Acquire(const WideString& name) {
        // The least access that tells whether the name is taken.
        UniqueHandle existing(OpenMutexW(SYNCHRONIZE, FALSE, name.c_str()));
        DWORD openError = existing ? ERROR_SUCCESS : GetLastError();
        if (AnswerToOpen(existing.IsValid(), openError) == InstanceAnswer::AlreadyRunning) return false;

        // Not inheritable: a command that the action starts must not keep the name taken.
        mutex_.Reset(CreateMutexW(nullptr, TRUE, name.c_str()));
        DWORD createError = GetLastError();
        switch (AnswerToCreate(mutex_.IsValid(), createError)) {
        case InstanceAnswer::AlreadyRunning:
            mutex_.Reset();  // not ours
            return false;
        case InstanceAnswer::CreateFailed:
            ReportErrorCode(static_cast<long>(createError), "CreateMutex");
            return true;
        default:
            return true;
        }
    }
    void Release() {
        if (mutex_) ReleaseMutex(mutex_.Get());
        mutex_.Reset();
    }

private:
    UniqueHandle mutex_;
};

struct StartupState {
    OleOnDemand ole;
    HINSTANCE instance = nullptr;
    int showCommand = SW_SHOWNORMAL;
    int elevation = kElevationNotSplit;
    WideString programPath;
    WideString argumentText;
    WideString currentDirectory;
    WideString capturePath;
    WideString settingsPath;
};

WideString CurrentDirectory() {
    WideString folder = CurrentFolderPath();
    ReportLastError(!folder.IsEmpty(), "GetCurrentDirectory");
    return folder;
}

// The program's own file, whatever the first word of its command line says (a name
// typed in a console, or whatever a launcher passed): that word is used only when the
// file cannot be read.
WideString ProgramPath(const WideString& firstWord) {
    WideString path = ModuleFilePath(nullptr);
    if (!ReportLastError(!path.IsEmpty(), "GetModuleFileName")) return firstWord;
    return path;
}

// After a met watch: the pause, the optional capture with its own pause, the action.
void CaptureAndAct(StartupState& state, SettingSection& section, const MonitorLayout& layout) {
    Sleep(1000);
    if (section.ReadBool(L"Capture", false)) {
        CaptureDesktop(section, layout.bounds, state.capturePath);
        Sleep(1000);
    }
    state.ole.Ensure();
    PerformAction(section);
}

// Returns the exit code of this instance.
int RelaunchElevated(StartupState& state, const WideString& arguments, SingleInstance& instance) {
    // The elevated instance has the same argument text: let go of the name first.
    instance.Release();
    state.ole.Ensure();
    return HandOverExitCode(StartElevated(state.programPath, arguments, state.currentDirectory, state.showCommand));
}

int RunSettingRoad(StartupState& state, SettingSection& section, const WideString& name, SingleInstance& instance) {
    section.SetSection(name);
    SectionLines lines;
    if (section.ReadSection(name, lines) == 0) {
        ShowErrorBox(L"セクションがありません");
        return 1;
    }
    RelaunchDecision relaunch = DecideRelaunch(section.ReadBool(L"AsAdmin", false), state.elevation, name);
    if (relaunch.relaunch) return RelaunchElevated(state, relaunch.arguments, instance);
    MonitorLayout layout;
    switch (RunWatch(section)) {
    case WatchResult::Met:
        CaptureAndAct(state, section, layout);
        return 0;
    case WatchResult::Refused:
        return 1;
    case WatchResult::Cancelled:
        return 0;
    }
    return 0;
}

int RunWizardRoad(StartupState& state, SettingSection& section, SingleInstance& instance) {
    section.WriteString(L"PCHandle", L"0");
    MonitorLayout layout;
    bool startRequested = false;
    WizardContext context;
    context.section = &section;
    context.capturePath = state.capturePath;
    context.layout = &layout;
    context.canElevate = CanElevate(state.elevation);
    context.elevation = state.elevation;
    context.currentDirectory = state.currentDirectory;
    context.programPath = state.programPath;
    context.showCommand = state.showCommand;
    context.startRequested = &startRequested;
    state.ole.Ensure();
    int exitCode = RunWizard(context);
    if (!startRequested) return exitCode;
    RelaunchDecision relaunch = DecideRelaunch(section.ReadBool(L"AsAdmin", false), state.elevation, section.Section());
    if (relaunch.relaunch) {
        int handOver = RelaunchElevated(state, relaunch.arguments, instance);
        return handOver != 0 ? handOver : exitCode;
    }
    switch (RunWatch(section)) {
    case WatchResult::Met:
        CaptureAndAct(state, section, layout);
        return exitCode;
    case WatchResult::Refused:
        return 1;
    case WatchResult::Cancelled:
        return 0;
    }
    return exitCode;
}

}  // namespace

int RunTollerup(HINSTANCE instance, int showCommand) {
    StartupState state;
    state.instance = instance;
    state.showCommand = showCommand;
    SetAppInstance(instance);

    BOOL wow64 = FALSE;
    CheckOsLevel(&wow64, &state.elevation);
    if (RefusesToRun(kThirtyTwoBitBuild, wow64 != FALSE)) {
        ShowErrorBox(kStartTheOtherProgramText);
        return 1;
    }

    CommandLineParts parts = SplitCommandLineText(GetCommandLineW());
    state.argumentText = parts.arguments;

    SingleInstance single;
    if (!single.Acquire(SingleInstanceMutexName(state.argumentText))) {
        ShowErrorBox(L"２重に起動はできません");
        return 1;
    }

    // Only what the road needs is prepared: a refused argument needs nothing more.
    RoadChoice choice = ChooseRoad(state.argumentText);
    if (choice.road == Road::Refused) {
        ShowErrorBox(L"引数が間違っています");
        return 1;
    }
    state.currentDirectory = CurrentDirectory();
    state.capturePath = FileInFolder(state.currentDirectory, kCaptureFileName);
    state.settingsPath = FileInFolder(state.currentDirectory, kSettingsFileName);
    if (!SettingsPathFits(state.settingsPath)) {
        ShowErrorBox(kFolderTooLongText);
        return 1;
    }
    state.programPath = ProgramPath(parts.program);
    SettingSection section(state.settingsPath, kWorkingSection);

    switch (choice.road) {
    case Road::RunSetting:
        return RunSettingRoad(state, section, choice.sectionName, single);
    case Road::PerformAction:
        section.SetSection(choice.sectionName);
        state.ole.Ensure();
        PerformAction(section);
        return 0;
    case Road::Wizard:
        return RunWizardRoad(state, section, single);
    case Road::Refused:
        break;
    }
    return 1;
}
