// The setup wizard as the user meets it: the sheet, its page order, the mode page with
// the saved settings, and cancelling on every page.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "driver/driver.h"
#include "driver/system_state.h"
#include "driver/views_driver.h"
#include "driver/wizard_driver.h"
#include "tollerup_version.h"

using namespace e2e;

namespace {
const DWORD kWait = 15000;
const int kScreenRadio = 1109;
const int kProcessRadio = 1110;
const int kSavedList = 1111;
const int kDeleteButton = 1112;
const int kProcessList = 1301;
const int kPidColumn = 2;

struct OpenWizard {
    Program tlr;
    Wizard wizard;
};

void Open(OpenWizard& open, const TempFolder& folder) {
    ASSERT_TRUE(open.tlr.Start(ProgramPath(), L"", folder.Path()));
    open.wizard = Wizard::WaitFor(open.tlr, kWait);
    ASSERT_TRUE(open.wizard) << "no wizard";
    ASSERT_TRUE(open.wizard.WaitForPage(110, kWait));
}

// Chooses this test's own process in the list of the process page.
void ChooseThisProcess(OpenWizard& open) {
    HWND list = open.wizard.Control(kProcessList);
    const std::wstring pid = std::to_wstring(GetCurrentProcessId());
    int row = -1;
    ASSERT_TRUE(WaitUntil(
        [&] {
            row = FindListRow(list, kPidColumn, pid);
            return row >= 0;
        },
        kWait))
        << "this test's process is not listed";
    ASSERT_TRUE(ClickListRow(list, row));
    ASSERT_TRUE(open.wizard.WaitForButtons(true, true, false, kWait)) << "choosing a process did not enable Next";
}

void CancelAndExpectQuietEnd(OpenWizard& open) {
    ASSERT_TRUE(open.wizard.Press(kSheetCancel));
    DWORD code = 99;
    ASSERT_TRUE(open.tlr.WaitExit(kWait, &code)) << "the program did not end after Cancel";
    EXPECT_EQ(code, 0u);
}

}  // namespace

TEST(WizardFrame, OpensOnTheModePageWithNextOnlyAndCancelEndsQuietly) {
    TempFolder folder;
    OpenWizard open;
    ASSERT_NO_FATAL_FAILURE(Open(open, folder));
    EXPECT_EQ(open.wizard.Caption(), PageTitle(L"Tollerup モード指定"));
    EXPECT_TRUE(open.wizard.WaitForButtons(false, true, false, kWait));
    EXPECT_TRUE(IsChecked(open.wizard.Control(kScreenRadio)));
    EXPECT_EQ(WindowText(open.wizard.Control(1103)), std::wstring(L"Ver.") + TLR_VERSION_WIDE_TEXT);
    // The wizard starts without a chosen window.
    EXPECT_EQ(folder.ReadSetting(L"Tollerup", L"PCHandle"), L"0");
    CancelAndExpectQuietEnd(open);
    EXPECT_EQ(open.tlr.StartedProcesses(), 0);
}

namespace {

// The version the program file carries: its version resource and its manifest.
struct ProgramFileVersion {
    DWORD numbersHigh = 0;  // major, minor
    DWORD numbersLow = 0;   // patch, tweak
    std::wstring fileVersion;
    std::wstring productVersion;
    std::string manifest;
};

std::wstring VersionText(std::vector<BYTE>& block, const wchar_t* name) {
    std::wstring query = std::wstring(L"\\StringFileInfo\\041104b0\\") + name;
    wchar_t* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &length) || !text) return L"";
    return text;
}

ProgramFileVersion ReadProgramFileVersion(const std::wstring& path) {
    ProgramFileVersion version;
    DWORD ignored = 0;
    std::vector<BYTE> block(GetFileVersionInfoSizeW(path.c_str(), &ignored));
    if (!block.empty() && GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data())) {
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        if (VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed) {
            version.numbersHigh = fixed->dwFileVersionMS;
            version.numbersLow = fixed->dwFileVersionLS;
        }
        version.fileVersion = VersionText(block, L"FileVersion");
        version.productVersion = VersionText(block, L"ProductVersion");
    }
    std::unique_ptr<std::remove_pointer<HMODULE>::type, decltype(&FreeLibrary)> module(
        LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE), &FreeLibrary);
    HRSRC resource = module ? FindResourceW(module.get(), MAKEINTRESOURCEW(1), RT_MANIFEST) : nullptr;
    HGLOBAL loaded = resource ? LoadResource(module.get(), resource) : nullptr;
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (bytes) version.manifest.assign(bytes, SizeofResource(module.get(), resource));
    return version;
}

}  // namespace

TEST(WizardFrame, TheProgramFileCarriesTheVersionTheModePageShows) {
    ProgramFileVersion version = ReadProgramFileVersion(ProgramPath());
    EXPECT_EQ(version.numbersHigh, static_cast<DWORD>(MAKELONG(TLR_VERSION_MINOR, TLR_VERSION_MAJOR)));
    EXPECT_EQ(version.numbersLow, static_cast<DWORD>(MAKELONG(TLR_VERSION_TWEAK, TLR_VERSION_PATCH)));
    EXPECT_EQ(version.fileVersion, TLR_VERSION_WIDE_TEXT);
    EXPECT_EQ(version.productVersion, TLR_VERSION_WIDE_TEXT);
    std::string identity = "name=\"Tollerup\" version=\"" + std::to_string(TLR_VERSION_MAJOR) + "." +
                           std::to_string(TLR_VERSION_MINOR) + "." + std::to_string(TLR_VERSION_PATCH) + "." +
                           std::to_string(TLR_VERSION_TWEAK) + "\"";
    EXPECT_NE(version.manifest.find(identity), std::string::npos) << version.manifest;
}

// Cancel on every page of both roads ends the program with code 0 and starts nothing: no
// relaunch, no watch, no command (the mode page: the test above). The settings let the
// user on from each page: a range that can be watched, a command, and this test's own
// process chosen on the process page.
TEST(WizardFrame, CancelOnEveryPageOfBothRoadsEndsWithoutAWatch) {
    // The pages from the mode page to the one where Cancel is pressed.
    const std::vector<int> roads[] = {{110, 120}, {110, 120, 170}, {110, 130}, {110, 130, 140}, {110, 130, 140, 170}};
    for (const std::vector<int>& pages : roads) {
        SCOPED_TRACE(pages.back());
        TempFolder folder;
        folder.WriteRange(L"Tollerup", Rect(100, 100, 300, 200));
        folder.WriteSetting(L"Tollerup", L"Act", 1);
        folder.WriteSetting(L"Tollerup", L"ParamCmd", L"cmd /c exit");
        OpenWizard open;
        ASSERT_NO_FATAL_FAILURE(Open(open, folder));
        if (pages[1] == 130) {
            ASSERT_TRUE(Click(open.wizard.Control(kProcessRadio)));
            ASSERT_TRUE(WaitUntil([&] { return IsChecked(open.wizard.Control(kProcessRadio)); }, kWait));
        }
        for (size_t i = 1; i < pages.size(); ++i) {
            if (pages[i - 1] == 130) {
                ASSERT_NO_FATAL_FAILURE(ChooseThisProcess(open));
            }
            ASSERT_TRUE(open.wizard.Press(kSheetNext));
            ASSERT_TRUE(open.wizard.WaitForPage(pages[i], kWait)) << "page " << pages[i];
        }
        ASSERT_NO_FATAL_FAILURE(CancelAndExpectQuietEnd(open));
        EXPECT_EQ(open.tlr.StartedProcesses(), 0);
    }
}

TEST(WizardModePage, ListsSavedSettingsInFileOrderAndDeletesAtOnce) {
    TempFolder folder;
    folder.WriteSetting(L"夜 の 録画", L"WatchMode", 0);
    folder.WriteSetting(L"Tollerup", L"Act", 1);
    folder.WriteSetting(L"alpha", L"WatchMode", 0);
    folder.WriteSetting(L"tollerup2", L"WatchMode", 0);
    OpenWizard open;
    ASSERT_NO_FATAL_FAILURE(Open(open, folder));
    HWND list = open.wizard.Control(kSavedList);
    std::vector<std::wstring> expected = {L"前回と同じ", L"夜 の 録画", L"alpha", L"tollerup2"};
    EXPECT_EQ(ComboItems(list), expected);
    EXPECT_EQ(ComboSelection(list), 0);
    EXPECT_FALSE(IsEnabled(open.wizard.Control(kDeleteButton)));

    ASSERT_TRUE(ChooseComboItem(list, 2));
    ASSERT_TRUE(WaitUntil([&] { return IsEnabled(open.wizard.Control(kDeleteButton)); }, kWait));
    ASSERT_TRUE(Click(open.wizard.Control(kDeleteButton)));
    ASSERT_TRUE(WaitUntil([&] { return ComboItems(list).size() == 3; }, kWait));
    EXPECT_EQ(folder.ReadSetting(L"alpha", L"WatchMode", L"gone"), L"gone");
    EXPECT_EQ(folder.ReadSetting(L"夜 の 録画", L"WatchMode"), L"0");
    EXPECT_EQ(ComboSelection(list), 0);
    EXPECT_FALSE(IsEnabled(open.wizard.Control(kDeleteButton)));

    // The process mode works on the working section only.
    ASSERT_TRUE(ChooseComboItem(list, 1));
    ASSERT_TRUE(Click(open.wizard.Control(kProcessRadio)));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowEnabled(list); }, kWait));
    EXPECT_EQ(ComboSelection(list), 0);
    EXPECT_FALSE(IsEnabled(open.wizard.Control(kDeleteButton)));
    ASSERT_TRUE(Click(open.wizard.Control(kScreenRadio)));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(list) != FALSE; }, kWait));
    CancelAndExpectQuietEnd(open);
    // The deletion stays although the wizard was cancelled.
    EXPECT_EQ(folder.ReadSetting(L"alpha", L"WatchMode", L"gone"), L"gone");
}

TEST(WizardModePage, NextWritesTheModeIntoTheChosenSection) {
    TempFolder folder;
    folder.WriteSetting(L"saved", L"WatchMode", 1);
    OpenWizard open;
    ASSERT_NO_FATAL_FAILURE(Open(open, folder));
    ASSERT_TRUE(ChooseComboItem(open.wizard.Control(kSavedList), 1));
    ASSERT_TRUE(open.wizard.Press(kSheetNext));
    ASSERT_TRUE(open.wizard.WaitForPage(120, kWait));
    EXPECT_EQ(open.wizard.Caption(), PageTitle(L"Tollerup 画面範囲の指定"));
    EXPECT_EQ(folder.ReadSetting(L"saved", L"WatchMode"), L"0");

    // Back refills the list with the first entry selected; the process mode goes to 130
    // and writes into the working section.
    ASSERT_TRUE(open.wizard.Press(kSheetBack));
    ASSERT_TRUE(open.wizard.WaitForPage(110, kWait));
    EXPECT_EQ(ComboSelection(open.wizard.Control(kSavedList)), 0);
    ASSERT_TRUE(Click(open.wizard.Control(kProcessRadio)));
    ASSERT_TRUE(WaitUntil([&] { return IsChecked(open.wizard.Control(kProcessRadio)); }, kWait));
    ASSERT_TRUE(open.wizard.Press(kSheetNext));
    ASSERT_TRUE(open.wizard.WaitForPage(130, kWait));
    EXPECT_EQ(open.wizard.Caption(), PageTitle(L"Tollerup プロセスの指定"));
    EXPECT_EQ(folder.ReadSetting(L"Tollerup", L"WatchMode"), L"1");
    EXPECT_EQ(folder.ReadSetting(L"saved", L"WatchMode"), L"0");
    CancelAndExpectQuietEnd(open);
}

TEST(WizardModePage, LastCaptureMissingIsReported) {
    TempFolder folder;
    OpenWizard open;
    ASSERT_NO_FATAL_FAILURE(Open(open, folder));
    ASSERT_TRUE(Click(open.wizard.Control(1113)));
    MessageBoxInfo box = open.tlr.WaitForMessageBox(kWait);
    ASSERT_TRUE(box);
    EXPECT_EQ(box.caption, L"Tollerup");
    EXPECT_EQ(box.text, L"キャプチャーファイルが見つかりません");
    EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONERROR));
    ASSERT_TRUE(PressButton(box.window, IDOK));
    ASSERT_TRUE(WaitForEnabled(open.wizard.Sheet(), true, kWait));
    CancelAndExpectQuietEnd(open);
}
