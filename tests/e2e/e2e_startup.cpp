// What the programs need from Windows to start: the functions they import (only what
// Windows 7 SP1 without updates exports), the libraries a start loads (a refused start no
// more than its box needs) and the common controls the windows get (version 6).
#include <gtest/gtest.h>
#include <windows.h>

#include <psapi.h>

#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "driver/system_state.h"
#include "driver/wizard_driver.h"
#include "windows7_imports.h"

using namespace e2e;

namespace {
const DWORD kWait = 15000;

// The imported system libraries that only some roads use: loaded on their first call.
const char* const kOnDemandDlls[] = {"comctl32.dll", "comdlg32.dll", "ole32.dll", "shell32.dll"};
// The libraries that are not imported at all but loaded by their full path when a road
// needs them.
const char* const kLoadedByPathDlls[] = {"powrprof.dll", "winmm.dll", "msvfw32.dll", "vdmdbg.dll"};
// Windows takes these from the system folder whatever the search order: the known DLLs
// that Windows 7 and every later Windows list under Session Manager\KnownDLLs. The common
// controls come from the side-by-side store that the manifest names.
const char* const kKnownDlls[] = {"advapi32.dll", "clbcatq.dll",  "comdlg32.dll", "gdi32.dll",   "imagehlp.dll",
                                  "imm32.dll",    "kernel32.dll", "msctf.dll",    "msvcrt.dll",  "normaliz.dll",
                                  "nsi.dll",      "ole32.dll",    "oleaut32.dll", "psapi.dll",   "rpcrt4.dll",
                                  "sechost.dll",  "setupapi.dll", "shell32.dll",  "shlwapi.dll", "user32.dll",
                                  "wldap32.dll",  "ws2_32.dll"};
const char kCommonControls[] = "comctl32.dll";

std::string Lower(std::string text) {
    for (char& ch : text) ch = static_cast<char>(tolower(static_cast<unsigned char>(ch)));
    return text;
}

struct Import {
    std::string dll;  // lower case
    std::string function;
    bool delayed;
    bool operator<(const Import& other) const {
        if (dll != other.dll) return dll < other.dll;
        if (function != other.function) return function < other.function;
        return delayed < other.delayed;
    }
};

// The imports of a PE image, 32 or 64 bits: the import directory, and the delay-load
// descriptors, found through their directory or, where the linker left it empty (GNU ld
// does), by their shape: attributes 1 (addresses relative to the image), then the
// addresses of the DLL's name, its module handle, its address table and its name table.
class ImageImports {
public:
    explicit ImageImports(const std::string& image) : image_(image) {
        if (!Fits(0, sizeof(IMAGE_DOS_HEADER))) return;
        size_t nt = static_cast<size_t>(reinterpret_cast<const IMAGE_DOS_HEADER*>(image_.data())->e_lfanew);
        if (!Fits(nt, sizeof(DWORD) + sizeof(IMAGE_FILE_HEADER) + sizeof(WORD))) return;
        const auto* file = reinterpret_cast<const IMAGE_FILE_HEADER*>(image_.data() + nt + sizeof(DWORD));
        size_t optional = nt + sizeof(DWORD) + sizeof(IMAGE_FILE_HEADER);
        WORD magic = *reinterpret_cast<const WORD*>(image_.data() + optional);
        const IMAGE_DATA_DIRECTORY* directories = nullptr;
        if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC && Fits(optional, sizeof(IMAGE_OPTIONAL_HEADER64))) {
            wide_ = true;
            directories = reinterpret_cast<const IMAGE_OPTIONAL_HEADER64*>(image_.data() + optional)->DataDirectory;
        } else if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC && Fits(optional, sizeof(IMAGE_OPTIONAL_HEADER32))) {
            directories = reinterpret_cast<const IMAGE_OPTIONAL_HEADER32*>(image_.data() + optional)->DataDirectory;
        } else {
            return;
        }
        size_t sectionTable = optional + file->SizeOfOptionalHeader;
        if (!Fits(sectionTable, file->NumberOfSections * sizeof(IMAGE_SECTION_HEADER))) return;
        const auto* sections = reinterpret_cast<const IMAGE_SECTION_HEADER*>(image_.data() + sectionTable);
        sections_.assign(sections, sections + file->NumberOfSections);
        valid_ = true;
        ReadImportDirectory(directories[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
        DWORD delayDirectory = directories[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT].VirtualAddress;
        if (delayDirectory)
            ReadDelayDescriptors(Offset(delayDirectory), static_cast<size_t>(-1));
        else
            for (const IMAGE_SECTION_HEADER& s : sections_) ReadDelayDescriptors(s.PointerToRawData, s.SizeOfRawData);
    }

    bool Valid() const { return valid_; }
    bool Wide() const { return wide_; }
    const std::set<Import>& Imports() const { return imports_; }

private:
    bool Fits(size_t offset, size_t size) const { return offset <= image_.size() && size <= image_.size() - offset; }
    size_t Offset(DWORD rva) const {
        for (const IMAGE_SECTION_HEADER& s : sections_) {
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.SizeOfRawData)
                return rva - s.VirtualAddress + s.PointerToRawData;
        }
        return static_cast<size_t>(-1);
    }
    bool Text(DWORD rva, std::string* text) const {
        size_t at = Offset(rva);
        if (!Fits(at, 1)) return false;
        size_t end = image_.find('\0', at);
        if (end == std::string::npos) return false;
        *text = image_.substr(at, end - at);
        return true;
    }
    // A thunk table of names (or ordinals, written "#n").
    bool ReadThunks(DWORD rva, const std::string& dll, bool delayed) {
        size_t at = Offset(rva);
        size_t step = wide_ ? 8 : 4;
        std::vector<Import> found;
        for (;; at += step) {
            if (!Fits(at, step)) return false;
            unsigned long long value = wide_ ? *reinterpret_cast<const unsigned long long*>(image_.data() + at)
                                             : *reinterpret_cast<const DWORD*>(image_.data() + at);
            if (value == 0) break;
            unsigned long long ordinalFlag = wide_ ? IMAGE_ORDINAL_FLAG64 : IMAGE_ORDINAL_FLAG32;
            std::string name;
            if (value & ordinalFlag) {
                name = "#" + std::to_string(value & 0xFFFF);
            } else if (!Text(static_cast<DWORD>(value) + 2, &name)) {
                return false;
            }
            found.push_back({Lower(dll), name, delayed});
        }
        imports_.insert(found.begin(), found.end());
        return true;
    }
    void ReadImportDirectory(DWORD rva) {
        if (!rva) return;
        for (size_t at = Offset(rva); Fits(at, sizeof(IMAGE_IMPORT_DESCRIPTOR));
             at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            const auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(image_.data() + at);
            std::string dll;
            if (d->Name == 0 || !Text(d->Name, &dll)) break;
            ReadThunks(d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk, dll, false);
        }
    }
    void ReadDelayDescriptors(size_t start, size_t size) {
        const size_t descriptorSize = 8 * sizeof(DWORD);
        for (size_t at = start;
             (size == static_cast<size_t>(-1) || at + descriptorSize <= start + size) && Fits(at, descriptorSize);
             at += sizeof(DWORD)) {
            const DWORD* d = reinterpret_cast<const DWORD*>(image_.data() + at);
            if (size == static_cast<size_t>(-1) && d[1] == 0) break;  // the directory's closing entry
            std::string dll;
            if (d[0] != 1 || !Text(d[1], &dll) || dll.size() < 5 || Lower(dll.substr(dll.size() - 4)) != ".dll" ||
                !Fits(Offset(d[2]), 1) || !Fits(Offset(d[3]), 1) || !Fits(Offset(d[4]), 1))
                continue;
            ReadThunks(d[4], dll, true);
            if (size == static_cast<size_t>(-1)) at += descriptorSize - sizeof(DWORD);
        }
    }

    const std::string& image_;
    std::vector<IMAGE_SECTION_HEADER> sections_;
    bool wide_ = false;
    bool valid_ = false;
    std::set<Import> imports_;
};

// The program of this build, and the other build's when the test run names it.
std::vector<std::wstring> Programs() {
    std::vector<std::wstring> programs = {ProgramPath()};
    wchar_t other[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"TLR_OTHER_PROGRAM", other, MAX_PATH) > 0)
        programs.push_back(UnixToWindowsPath(other));
    return programs;
}

template <size_t N>
bool IsListed(const char* const (&names)[N], const std::string& dll) {
    for (const char* name : names) {
        if (dll == name) return true;
    }
    return false;
}
bool IsOnDemand(const std::string& dll) {
    return IsListed(kOnDemandDlls, dll);
}

// Full paths of the modules loaded in a process, lower case.
std::vector<std::string> LoadedModules(HANDLE process) {
    std::vector<HMODULE> modules(1024);
    DWORD bytes = 0;
    std::vector<std::string> paths;
    if (!K32EnumProcessModules(process, modules.data(), static_cast<DWORD>(modules.size() * sizeof(HMODULE)), &bytes))
        return paths;
    for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < modules.size(); ++i) {
        wchar_t path[MAX_PATH] = {};
        if (K32GetModuleFileNameExW(process, modules[i], path, MAX_PATH)) paths.push_back(Lower(Narrow(path)));
    }
    return paths;
}

std::string FileName(const std::string& path) {
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
}  // namespace

// Each program imports only functions that Windows 7 SP1 without updates exports (a
// function that is missing there keeps the program from starting at all), and takes the
// libraries of the roads that need them only when they are first called.
TEST(Build, ProgramsImportOnlyWhatWindows7Exports) {
    std::set<std::pair<std::string, std::string>> allowed;
    for (const AllowedImport& entry : kWindows7Imports) allowed.insert({Lower(entry.dll), entry.function});
    for (const std::wstring& program : Programs()) {
        std::string image = ReadFileBytes(program);
        ASSERT_FALSE(image.empty()) << Narrow(program);
        ImageImports imports(image);
        ASSERT_TRUE(imports.Valid()) << Narrow(program);
        // The import table is read: the libraries every program needs are there.
        std::set<std::string> dlls;
        for (const Import& import : imports.Imports()) dlls.insert(import.dll);
        for (const char* needed : {"kernel32.dll", "user32.dll", "comctl32.dll"})
            EXPECT_TRUE(dlls.count(needed)) << Narrow(program) << " does not import from " << needed;
        for (const Import& import : imports.Imports()) {
            EXPECT_TRUE(allowed.count({import.dll, import.function}))
                << Narrow(program) << " imports " << import.dll << "!" << import.function
                << ", which is not on the list of what Windows 7 exports";
            // The 32-bit build imports everything at start (its toolchain's delay-load stubs
            // do not work).
            EXPECT_EQ(import.delayed, imports.Wide() && IsOnDemand(import.dll))
                << Narrow(program) << " imports " << import.dll << "!" << import.function
                << (import.delayed ? " on first call" : " at start");
        }
    }
}

// A library that a program imports and that is not a known DLL is searched for in the
// program's own folder first: a file of that name beside the program would run inside it
// before its first line. Each program imports only known DLLs and the common controls,
// whether at start or on first call; the media and power libraries are not imported.
TEST(Build, ProgramsImportOnlyLibrariesThatWindowsTakesFromTheSystemFolder) {
    for (const std::wstring& program : Programs()) {
        std::string image = ReadFileBytes(program);
        ASSERT_FALSE(image.empty()) << Narrow(program);
        ImageImports imports(image);
        ASSERT_TRUE(imports.Valid()) << Narrow(program);
        std::set<std::string> dlls;
        for (const Import& import : imports.Imports()) dlls.insert(import.dll);
        EXPECT_TRUE(dlls.count("kernel32.dll") && dlls.count(kCommonControls))
            << Narrow(program) << ": imports not read";
        for (const std::string& dll : dlls) {
            EXPECT_TRUE(IsListed(kKnownDlls, dll) || dll == kCommonControls)
                << Narrow(program) << " imports " << dll << ", which is not a known DLL";
            EXPECT_FALSE(IsListed(kLoadedByPathDlls, dll)) << Narrow(program) << " imports " << dll;
        }
    }
}

// The file names of the modules a program has loaded while it shows its first box; the
// box is then answered and the exit code returned.
std::set<std::string> ModulesWhileTheBoxShows(const std::wstring& exe, const std::wstring& arguments,
                                              const std::wstring& folder, DWORD* exitCode) {
    std::set<std::string> names;
    Program program;
    if (!program.Start(exe, arguments, folder)) return names;
    MessageBoxInfo box = program.WaitForMessageBox(kWait);
    if (!box) return names;
    for (const std::string& module : LoadedModules(program.Handle())) names.insert(FileName(module));
    PressButton(box.window, IDOK);
    if (!program.WaitExit(kWait, exitCode)) names.clear();
    return names;
}

// A start that is refused at once shows its box without loading the libraries that only
// the other roads use: it loads none of them that a program with the same manifest which
// only shows a message box does not load as well (the box's buttons come from the common
// controls of the manifest; under Wine the display driver itself loads OLE).
TEST(Startup, ARefusedStartLoadsNoLibraryOfTheOtherRoads) {
    if (sizeof(void*) == 4) GTEST_SKIP() << "TLR32.exe loads the libraries of every road at start";
    TempFolder folder;
    DWORD code = 99;
    std::set<std::string> box = ModulesWhileTheBoxShows(HelperPath(L"minimal_box"), L"", folder.Path(), &code);
    ASSERT_FALSE(box.empty()) << "the minimal box did not show";
    std::set<std::string> refused = ModulesWhileTheBoxShows(ProgramPath(), L"/x", folder.Path(), &code);
    ASSERT_FALSE(refused.empty()) << "the refused start did not show its box";
    EXPECT_EQ(code, 1u);
    EXPECT_TRUE(refused.count("kernel32.dll") && refused.count("user32.dll")) << "the modules were not read";
    for (const std::string& module : refused) {
        if (IsOnDemand(module) || IsListed(kLoadedByPathDlls, module)) {
            EXPECT_TRUE(box.count(module)) << "the refused start loaded " << module;
        }
    }
}

// The wizard's windows are made with the common controls of version 6, from the system's
// side-by-side store.
TEST(Startup, TheWizardHasTheCommonControlsOfVersionSix) {
    TempFolder folder;
    Program tlr;
    ASSERT_TRUE(tlr.Start(ProgramPath(), L"", folder.Path()));
    Wizard wizard = Wizard::WaitFor(tlr, kWait);
    ASSERT_TRUE(wizard) << "no wizard";
    ASSERT_TRUE(wizard.WaitForPage(110, kWait));
    std::vector<std::string> versions;
    for (const std::string& module : LoadedModules(tlr.Handle())) {
        if (FileName(module) == "comctl32.dll") versions.push_back(module);
    }
    ASSERT_EQ(versions.size(), 1u) << "comctl32 loaded " << versions.size() << " times";
    EXPECT_NE(versions[0].find("common-controls_6595b64144ccf1df_6."), std::string::npos) << versions[0];
    ASSERT_TRUE(wizard.Press(kSheetCancel));
    DWORD code = 99;
    ASSERT_TRUE(tlr.WaitExit(kWait, &code));
    EXPECT_EQ(code, 0u);
}
