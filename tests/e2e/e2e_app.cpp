// Start-up as the user meets it: the roads, their boxes and exit codes, the single
// instance rule, the command line, the settings files it meets, and what the programs
// import.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>

#include "driver/driver.h"
#include "driver/system_state.h"
#include "driver/wizard_driver.h"

using namespace e2e;

namespace {
const DWORD kWait = 15000;

void ExpectErrorBox(const MessageBoxInfo& box, const std::wstring& text) {
    ASSERT_TRUE(box) << "no message box, expected " << Narrow(text);
    EXPECT_EQ(box.caption, L"Tollerup");
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
}

// Starts the program with the argument text, expects one error box with the text, presses
// OK and expects the exit code.
void ExpectRefusal(const std::wstring& arguments, const std::wstring& text, DWORD expectedCode,
                   const std::wstring& folder) {
    Program tlr;
    ASSERT_TRUE(tlr.Start(ProgramPath(), arguments, folder));
    MessageBoxInfo box = tlr.WaitForMessageBox(kWait);
    ExpectErrorBox(box, text);
    ASSERT_TRUE(box);
    ASSERT_TRUE(PressButton(box.window, IDOK));
    DWORD code = 99;
    ASSERT_TRUE(tlr.WaitExit(kWait, &code));
    EXPECT_EQ(code, expectedCode);
}

// A setting that watches nothing and does nothing: the run goes through every step of
// start-up and ends with exit code 0 without showing anything.
void WriteQuietSetting(const TempFolder& folder, const std::wstring& section) {
    folder.WriteSetting(section, L"WatchMode", 2);
    folder.WriteSetting(section, L"Act", 3);
}

void ExpectQuietRun(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder,
                    const std::wstring* commandLine = nullptr) {
    Program tlr;
    ASSERT_TRUE(tlr.Start(exe, arguments, folder, commandLine));
    DWORD code = 99;
    bool ended = tlr.WaitExit(kWait, &code);
    if (!ended) {
        MessageBoxInfo box = ReadMessageBox(tlr.WaitForMessageBox(100).window);
        FAIL() << "the run did not end; box shown: " << Narrow(box.text);
    }
    EXPECT_EQ(code, 0u);
}

// DLL names a PE image imports, read from its import directory.
std::set<std::string> ImportedDlls(const std::string& image) {
    std::set<std::string> names;
    auto at = [&](size_t offset, size_t size) { return offset + size <= image.size(); };
    if (!at(0, sizeof(IMAGE_DOS_HEADER))) return names;
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
    size_t ntOffset = static_cast<size_t>(dos->e_lfanew);
    if (!at(ntOffset, sizeof(DWORD) + sizeof(IMAGE_FILE_HEADER) + sizeof(WORD))) return names;
    const auto* fileHeader = reinterpret_cast<const IMAGE_FILE_HEADER*>(image.data() + ntOffset + sizeof(DWORD));
    size_t optionalOffset = ntOffset + sizeof(DWORD) + sizeof(IMAGE_FILE_HEADER);
    WORD magic = *reinterpret_cast<const WORD*>(image.data() + optionalOffset);
    DWORD importRva = 0;
    if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC && at(optionalOffset, sizeof(IMAGE_OPTIONAL_HEADER64)))
        importRva = reinterpret_cast<const IMAGE_OPTIONAL_HEADER64*>(image.data() + optionalOffset)
                        ->DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT]
                        .VirtualAddress;
    else if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC && at(optionalOffset, sizeof(IMAGE_OPTIONAL_HEADER32)))
        importRva = reinterpret_cast<const IMAGE_OPTIONAL_HEADER32*>(image.data() + optionalOffset)
                        ->DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT]
                        .VirtualAddress;
    const auto* sections =
        reinterpret_cast<const IMAGE_SECTION_HEADER*>(image.data() + optionalOffset + fileHeader->SizeOfOptionalHeader);
    auto toOffset = [&](DWORD rva) -> size_t {
        for (WORD i = 0; i < fileHeader->NumberOfSections; ++i) {
            const IMAGE_SECTION_HEADER& s = sections[i];
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.SizeOfRawData)
                return rva - s.VirtualAddress + s.PointerToRawData;
        }
        return static_cast<size_t>(-1);
    };
    size_t offset = toOffset(importRva);
    while (importRva && at(offset, sizeof(IMAGE_IMPORT_DESCRIPTOR))) {
        const auto* descriptor = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(image.data() + offset);
        if (descriptor->Name == 0) break;
        size_t nameOffset = toOffset(descriptor->Name);
        if (!at(nameOffset, 1)) break;
        std::string name(image.data() + nameOffset);
        for (char& ch : name) ch = static_cast<char>(tolower(static_cast<unsigned char>(ch)));
        names.insert(name);
        offset += sizeof(IMAGE_IMPORT_DESCRIPTOR);
    }
    return names;
}

void ExpectOnlySystemImports(const std::wstring& exe) {
    std::string image = ReadFileBytes(exe);
    ASSERT_FALSE(image.empty()) << Narrow(exe);
    std::set<std::string> dlls = ImportedDlls(image);
    ASSERT_FALSE(dlls.empty()) << Narrow(exe);
    // Every import must be a library of the system itself, found in the system folder
    // (a 32-bit program sees the 32-bit one there), never a compiler's runtime library.
    wchar_t systemDir[MAX_PATH] = {};
    GetSystemDirectoryW(systemDir, MAX_PATH);
    for (const std::string& dll : dlls) {
        EXPECT_NE(dll.rfind("lib", 0), 0u) << Narrow(exe) << " imports the runtime library " << dll;
        std::wstring inSystem = std::wstring(systemDir) + L"\\" + Widen(dll);
        EXPECT_TRUE(FileExists(inSystem)) << Narrow(exe) << " imports " << dll << ", which is not in the system folder";
    }
}
}  // namespace

TEST(Roads, WrongArgumentIsRefused) {
    TempFolder folder;
    ExpectRefusal(L"/setting", L"引数が間違っています", 1, folder.Path());
    ExpectRefusal(L"setting", L"引数が間違っています", 1, folder.Path());
}

TEST(Roads, HashAloneOrASectionWithoutLinesHasNoSection) {
    TempFolder folder;
    ASSERT_TRUE(folder.WriteBytes(L"TLR.ini", "[Empty]\r\n[Other]\r\nAct=1\r\n"));
    ExpectRefusal(L"#", L"セクションがありません", 1, folder.Path());
    ExpectRefusal(L"#Empty", L"セクションがありません", 1, folder.Path());
    ExpectRefusal(L"#Absent", L"セクションがありません", 1, folder.Path());
}

TEST(Roads, SavedSettingAndItsActionRunToTheEnd) {
    TempFolder folder;
    WriteQuietSetting(folder, L"quiet");
    ExpectQuietRun(ProgramPath(), L"#quiet", folder.Path());
    // "*" needs no watch settings at all.
    folder.WriteSetting(L"act only", L"Act", 3);
    ExpectQuietRun(ProgramPath(), L"*act only", folder.Path());
}

TEST(SingleInstance, SameArgumentsAreRefusedWhileTheFirstRuns) {
    TempFolder folder;
    Program first;
    ASSERT_TRUE(first.Start(ProgramPath(), L"/same", folder.Path()));
    MessageBoxInfo firstBox = first.WaitForMessageBox(kWait);
    ExpectErrorBox(firstBox, L"引数が間違っています");

    ExpectRefusal(L"/same", L"２重に起動はできません", 1, folder.Path());

    ASSERT_TRUE(PressButton(firstBox.window, IDOK));
    DWORD code = 99;
    ASSERT_TRUE(first.WaitExit(kWait, &code));
    EXPECT_EQ(code, 1u);
    // The name is free again once the first has ended.
    ExpectRefusal(L"/same", L"引数が間違っています", 1, folder.Path());
}

TEST(SingleInstance, DifferentArgumentsRunSideBySide) {
    TempFolder folder;
    Program first, second;
    ASSERT_TRUE(first.Start(ProgramPath(), L"/one", folder.Path()));
    MessageBoxInfo firstBox = first.WaitForMessageBox(kWait);
    ExpectErrorBox(firstBox, L"引数が間違っています");
    ASSERT_TRUE(second.Start(ProgramPath(), L"/two", folder.Path()));
    MessageBoxInfo secondBox = second.WaitForMessageBox(kWait);
    ExpectErrorBox(secondBox, L"引数が間違っています");
    ASSERT_TRUE(firstBox && secondBox);
    PressButton(secondBox.window, IDOK);
    PressButton(firstBox.window, IDOK);
    DWORD code = 99;
    ASSERT_TRUE(first.WaitExit(kWait, &code));
    EXPECT_EQ(code, 1u);
    ASSERT_TRUE(second.WaitExit(kWait, &code));
    EXPECT_EQ(code, 1u);
}

// The settings file takes "#Backup" and "#backup" for the same setting, so the second
// start is refused while the first watches; "*" of the same name is another road.
TEST(SingleInstance, OneSettingWhateverTheCaseOfItsName) {
    TempFolder folder;
    folder.WriteSetting(L"Backup", L"WatchMode", 1);
    folder.WriteSetting(L"Backup", L"pid", static_cast<long long>(GetCurrentProcessId()));
    folder.WriteSetting(L"Backup", L"Act", 3);
    Program first;
    ASSERT_TRUE(first.Start(ProgramPath(), L"#Backup", folder.Path()));
    HWND watch = first.WaitForWindowTitled(L"Tollerup 監視中", kWait);
    ASSERT_NE(watch, nullptr) << "the first start does not watch";

    ExpectRefusal(L"#backup", L"２重に起動はできません", 1, folder.Path());
    ExpectRefusal(L"#BACKUP", L"２重に起動はできません", 1, folder.Path());
    // The action road of the same setting runs beside the watch.
    ExpectQuietRun(ProgramPath(), L"*backup", folder.Path());

    ASSERT_TRUE(PressButton(watch, 1807));
    DWORD code = 99;
    ASSERT_TRUE(first.WaitExit(kWait, &code));
    EXPECT_EQ(code, 0u);
}

TEST(CommandLine, QuotedProgramPathWithBlanksAndSectionNameWithBlanks) {
    TempFolder folder(L"tlr folder with blanks");
    std::wstring exe = folder.File(L"TLR copy.exe");
    ASSERT_TRUE(CopyFileW(ProgramPath().c_str(), exe.c_str(), FALSE));
    WriteQuietSetting(folder, L"my  setting");
    std::wstring commandLine = L"\"" + exe + L"\"   #my  setting   ";
    ExpectQuietRun(exe, L"", folder.Path(), &commandLine);
    // A name cut at the first blank would not be found.
    std::wstring starred = L"\"" + exe + L"\"  *my  setting ";
    ExpectQuietRun(exe, L"", folder.Path(), &starred);
}

TEST(CommandLine, BlanksAroundAWrongArgument) {
    TempFolder folder;
    std::wstring commandLine = L"\"" + ProgramPath() + L"\"    ?x   ";
    Program tlr;
    ASSERT_TRUE(tlr.Start(ProgramPath(), L"", folder.Path(), &commandLine));
    MessageBoxInfo box = tlr.WaitForMessageBox(kWait);
    ExpectErrorBox(box, L"引数が間違っています");
    ASSERT_TRUE(box);
    PressButton(box.window, IDOK);
    DWORD code = 99;
    ASSERT_TRUE(tlr.WaitExit(kWait, &code));
    EXPECT_EQ(code, 1u);
}

TEST(Build, ProgramsImportOnlySystemLibraries) {
    ExpectOnlySystemImports(ProgramPath());
    wchar_t other[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"TLR_OTHER_PROGRAM", other, MAX_PATH) > 0)
        ExpectOnlySystemImports(UnixToWindowsPath(other));
}

// Runs in the 64-bit Wine prefix (or on 64-bit Windows) from the 32-bit build only.
TEST(Wow64, ThirtyTwoBitProgramTellsToStartTheOther) {
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    if (sizeof(void*) == 8 || !wow64) {
        // The entry that runs this test in a 64-bit prefix must really get there.
        wchar_t expected[4] = {};
        ASSERT_EQ(GetEnvironmentVariableW(L"TLR_EXPECT_WOW64", expected, 4), 0u) << "not under WOW64 in this run";
        GTEST_SKIP() << "not a 32-bit process under WOW64";
    }
    TempFolder folder;
    WriteQuietSetting(folder, L"quiet");
    ExpectRefusal(L"#quiet", L"TLR64.exe を起動してください", 1, folder.Path());
    ExpectRefusal(L"", L"TLR64.exe を起動してください", 1, folder.Path());
}

TEST(Roads, WizardRoadClearsTheWatchedWindowAndIsSingle) {
    TempFolder folder;
    folder.WriteSetting(L"Tollerup", L"PCHandle", L"1f4");
    Program first;
    ASSERT_TRUE(first.Start(ProgramPath(), L"", folder.Path()));
    Wizard wizard = Wizard::WaitFor(first, kWait);
    ASSERT_TRUE(wizard) << "no wizard";
    ASSERT_TRUE(wizard.WaitForPage(110, kWait));
    EXPECT_EQ(folder.ReadSetting(L"Tollerup", L"PCHandle"), L"0");
    // A second start without arguments while the first is open is refused.
    ExpectRefusal(L"", L"２重に起動はできません", 1, folder.Path());
    // A saved setting runs beside it.
    WriteQuietSetting(folder, L"quiet");
    ExpectQuietRun(ProgramPath(), L"#quiet", folder.Path());
    ASSERT_TRUE(wizard.Press(kSheetCancel));
    DWORD code = 99;
    ASSERT_TRUE(first.WaitExit(kWait, &code));
    EXPECT_EQ(code, 0u);
}

// A setting that asks to run as administrator, started by a program that cannot be
// elevated further (already elevated, as every program under Wine is, or without a split
// token): the program runs the setting itself, once, with its own token, and starts no
// second instance. (Where the token is limited the program starts itself again elevated,
// behind a prompt only a person can answer; that decision is tested as a function.)
TEST(Roads, AnAdministratorSettingRunsOnceInTheSameInstanceWhenNoElevationIsPossible) {
    const TOKEN_ELEVATION_TYPE type = TestTokenElevation();
    if (type == TokenElevationTypeLimited) GTEST_SKIP() << "a limited token: the relaunch would ask for elevation";
    TempFolder folder;
    folder.WriteSetting(L"admin", L"WatchMode", 2);
    folder.WriteSetting(L"admin", L"Act", 1);
    folder.WriteSetting(L"admin", L"AsAdmin", 1);
    std::wstring record = folder.File(L"elevation.txt");
    folder.WriteSetting(L"admin", L"ParamCmd", L"\"" + HelperPath(L"token_probe") + L"\" " + record);

    Program tlr;
    ASSERT_TRUE(tlr.Start(ProgramPath(), L"#admin", folder.Path()));
    DWORD code = 99;
    ASSERT_TRUE(tlr.WaitExit(kWait, &code));
    EXPECT_EQ(code, 0u);
    ASSERT_TRUE(WaitUntil([&] { return folder.ReadBytes(L"elevation.txt").find('\n') != std::string::npos; }, kWait))
        << "the setting's command never ran";
    unsigned long recorded = 0, pid = 0, parent = 0;
    std::string lines = folder.ReadBytes(L"elevation.txt");
    ASSERT_EQ(sscanf(lines.c_str(), "%lu %lu %lu", &recorded, &pid, &parent), 3) << lines;
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 1) << "the command ran more than once:\n" << lines;
    EXPECT_EQ(recorded, static_cast<unsigned long>(type));
    // The program ran the command itself and started nothing else: no second instance
    // that could run the setting again.
    EXPECT_EQ(parent, tlr.Pid()) << "the setting ran in another instance";
    EXPECT_EQ(tlr.StartedProcesses(), 1) << "the program started more than the setting's command";
}
