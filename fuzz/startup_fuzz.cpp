// Start-up arguments and the single-instance names. The program's own command line splits
// into its path and the argument text, the argument text chooses its road and gives back
// the section name that made it, and the instance name fits the system, holds no
// backslash and tells different argument texts apart.
#include <cstddef>
#include <cstdint>
#include <clocale>
#include <cwctype>

#include "app/elevation.h"
#include "app/paths.h"
#include "app/settings_text.h"
#include "app/startup_logic.h"
#include "fuzz/fuzz_input.h"
#include "wizard/wizard_logic.h"

namespace {

const WideString kMutexPrefix(L"Tollerup ");
// Kernel object names stay well below MAX_PATH (260) with the session's prefix.
const int kLongestMutexName = 240;

// The argument text back from an instance name that was not shortened.
WideString UnescapedArgument(const WideString& name) {
    WideString text;
    for (int i = kMutexPrefix.Length(); i < name.Length(); ++i) {
        WideString rest = name.Mid(i);
        if (rest.StartsWith(L"%5C")) {
            text.Append(L'\\');
            i += 2;
        } else if (rest.StartsWith(L"%25")) {
            text.Append(L'%');
            i += 2;
        } else {
            text.Append(name.At(i));
        }
    }
    return text;
}

// Equal, or equal but for the case of letters.
bool SameUpToCase(const WideString& a, const WideString& b) {
    if (a.Length() != b.Length()) return false;
    for (int i = 0; i < a.Length(); ++i) {
        wint_t x = static_cast<wint_t>(a.At(i)), y = static_cast<wint_t>(b.At(i));
        if (x != y && std::towlower(x) != std::towlower(y) && std::towupper(x) != std::towupper(y)) return false;
    }
    return true;
}

void CheckRoads(const WideString& argument) {
    RoadChoice choice = ChooseRoad(argument);
    switch (argument.At(0)) {
    case 0:
        FUZZ_CHECK(choice.road == Road::Wizard);
        break;
    case L'#':
        FUZZ_CHECK(choice.road == Road::RunSetting && RunSettingArgument(choice.sectionName) == argument);
        break;
    case L'*':
        FUZZ_CHECK(choice.road == Road::PerformAction && PerformActionArgument(choice.sectionName) == argument);
        break;
    default:
        FUZZ_CHECK(choice.road == Road::Refused);
    }
}

void CheckSectionName(const WideString& section, bool asAdmin, int elevation) {
    RoadChoice run = ChooseRoad(RunSettingArgument(section));
    FUZZ_CHECK(run.road == Road::RunSetting && run.sectionName == section);
    RoadChoice perform = ChooseRoad(PerformActionArgument(section));
    FUZZ_CHECK(perform.road == Road::PerformAction && perform.sectionName == section);

    RelaunchDecision decision = DecideRelaunch(asAdmin, elevation, section);
    FUZZ_CHECK(decision.relaunch == (asAdmin && elevation == kElevationLimited));
    if (decision.relaunch) {
        RoadChoice again = ChooseRoad(decision.arguments);
        FUZZ_CHECK(again.road == Road::RunSetting && again.sectionName == section);
    } else {
        FUZZ_CHECK(decision.arguments.IsEmpty());
    }

    WideString label = SettingNameLabel(section);
    FUZZ_CHECK(IsWorkingSectionName(section) == (section == WideString(kWorkingSection)));
    FUZZ_CHECK(label.IsEmpty() == IsWorkingSectionName(section));
    FUZZ_CHECK(label.IsEmpty() || label == WideString(L"設定名：") + section);
}

void CheckOwnCommandLine(const WideString& programPath, const WideString& arguments) {
    // Windows starts a program with its path in quotes; the path holds no quote.
    if (programPath.Contains(L"\"")) return;
    CommandLineParts parts = SplitCommandLineText(WideString(L"\"") + programPath + L"\" " + arguments);
    FUZZ_CHECK_TEXTS(parts.program == programPath, programPath, arguments);
    FUZZ_CHECK_TEXTS(parts.arguments == arguments.Trimmed(), programPath, arguments);
    CheckRoads(parts.arguments);
}

void CheckInstanceNames(const WideString& argument, const WideString& other) {
    WideString name = SingleInstanceMutexName(argument);
    FUZZ_CHECK(name.StartsWith(kMutexPrefix));
    FUZZ_CHECK(name.Length() <= kLongestMutexName);
    FUZZ_CHECK(!name.Contains(L"\\"));
    FUZZ_CHECK(SingleInstanceMutexName(argument) == name);
    WideString otherName = SingleInstanceMutexName(other);
    if (name.Length() < kLongestMutexName && otherName.Length() < kLongestMutexName) {
        // Names that kept the whole argument text give it back.
        FUZZ_CHECK_TEXTS(SameUpToCase(UnescapedArgument(name), argument), argument, name);
        if (name == otherName) FUZZ_CHECK_TEXTS(SameUpToCase(argument, other), argument, other);
    }
}

void CheckFiles(const WideString& folder) {
    for (const wchar_t* file : {kSettingsFileName, kCaptureFileName}) {
        WideString path = FileInFolder(folder, file);
        FUZZ_CHECK(path.StartsWith(folder));
        FUZZ_CHECK(path.Right(WideString(file).Length() + 1) == WideString(L"\\") + file);
        FUZZ_CHECK(FileNamePart(path) == WideString(file));
    }
}

}  // namespace

// Letters of every script change case as in the program's Unicode world.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::setlocale(LC_ALL, "C.UTF-8");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    WideString first = input.Text();
    WideString second = input.Text();
    bool asAdmin = input.Flag();
    int elevation = input.IntIn(0, 4);
    int page = input.Int32();

    CheckRoads(first);
    CheckSectionName(first, asAdmin, elevation);
    CheckOwnCommandLine(first, second);
    CheckInstanceNames(first, second);
    CheckFiles(first);
    WideString title = WizardPageTitle(page, elevation);
    FUZZ_CHECK(title.IsEmpty() || title.StartsWith(L"Tollerup "));
    FUZZ_CHECK(title.IsEmpty() || (title.Right(5) == WideString(L"(昇格中)")) == (elevation == kElevationFull));
    return 0;
}
