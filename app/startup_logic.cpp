#include "app/startup_logic.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "app/elevation.h"
#include "app/paths.h"

RoadChoice ChooseRoad(const WideString& argumentText) {
    if (argumentText.IsEmpty()) return {Road::Wizard, WideString()};
    switch (argumentText.At(0)) {
    case L'#':
        return {Road::RunSetting, argumentText.Mid(1)};
    case L'*':
        return {Road::PerformAction, argumentText.Mid(1)};
    default:
        return {Road::Refused, WideString()};
    }
}

WideString SingleInstanceMutexName(const WideString& givenText) {
    const int kMaxName = 240;  // well below MAX_PATH
    // The settings file does not tell "#Backup" from "#backup": neither may the name.
    WideString argumentText = UpperCaseAsSectionNames(givenText);
    WideString name(L"Tollerup ");
    for (int i = 0; i < argumentText.Length(); ++i) {
        wchar_t ch = argumentText.At(i);
        if (ch == L'\\')
            name += L"%5C";
        else if (ch == L'%')
            name += L"%25";
        else
            name.Append(ch);
    }
    if (name.Length() <= kMaxName) return name;
    // FNV-1a over the UTF-16 units of the whole argument text.
    uint64_t hash = 1469598103934665603ULL;
    for (int i = 0; i < argumentText.Length(); ++i) {
        hash ^= static_cast<uint16_t>(argumentText.At(i));
        hash *= 1099511628211ULL;
    }
    wchar_t digest[20];
    swprintf(digest, 20, L"%016llx", static_cast<unsigned long long>(hash));
    return name.Left(kMaxName - 17) + L"~" + digest;
}

InstanceAnswer AnswerToOpen(bool opened, DWORD error) {
    if (opened || error == ERROR_ACCESS_DENIED) return InstanceAnswer::AlreadyRunning;
    return InstanceAnswer::TryToCreate;
}

InstanceAnswer AnswerToCreate(bool created, DWORD error) {
    if (error == ERROR_ALREADY_EXISTS || (!created && error == ERROR_ACCESS_DENIED))
        return InstanceAnswer::AlreadyRunning;
    return created ? InstanceAnswer::Owned : InstanceAnswer::CreateFailed;
}

WideString FileInFolder(const WideString& folder, const wchar_t* fileName) {
    return JoinPath(folder, fileName);
}

bool CanElevate(int elevation) {
    return elevation == kElevationLimited;
}

bool ShouldRelaunchElevated(bool asAdmin, int elevation) {
    return asAdmin && CanElevate(elevation);
}

WideString RunSettingArgument(const WideString& sectionName) {
    return WideString(L"#") + sectionName;
}

WideString PerformActionArgument(const WideString& sectionName) {
    return WideString(L"*") + sectionName;
}

RelaunchDecision DecideRelaunch(bool asAdmin, int elevation, const WideString& sectionName) {
    RelaunchDecision decision;
    decision.relaunch = ShouldRelaunchElevated(asAdmin, elevation);
    if (decision.relaunch) decision.arguments = RunSettingArgument(sectionName);
    return decision;
}

const wchar_t kStartTheOtherProgramText[] = L"TLR64.exe を起動してください";

bool RefusesToRun(bool thirtyTwoBitBuild, bool underWow64) {
    return thirtyTwoBitBuild && underWow64;
}

const wchar_t kFolderTooLongText[] = L"フォルダのパスが長すぎます";

bool SettingsPathFits(const WideString& settingsPath) {
    return settingsPath.Length() < MAX_PATH;
}

ElevatedStart ElevatedStartOutcome(bool executed, unsigned long error) {
    if (executed) return ElevatedStart::Started;
    return error == ERROR_CANCELLED ? ElevatedStart::Declined : ElevatedStart::Failed;
}

int HandOverExitCode(ElevatedStart outcome) {
    return outcome == ElevatedStart::Failed ? 1 : 0;
}
