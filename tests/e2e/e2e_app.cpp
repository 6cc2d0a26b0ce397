// Start-up as the user meets it: the roads, their boxes and exit codes, the single
// instance rule, and what the programs import.
#include <gtest/gtest.h>

#include <string>

#include "driver/driver.h"

using namespace e2e;

namespace {
const DWORD kWait = 15000;

// Starts the program with the argument text, expects one error box with the text, presses
// OK and expects the exit code.
void ExpectRefusal(const std::wstring& arguments, const std::wstring& text, DWORD expectedCode,
                   const std::wstring& folder) {
    Program tlr;
    ASSERT_TRUE(tlr.Start(ProgramPath(), arguments, folder));
    MessageBoxInfo box = tlr.WaitForMessageBox(kWait);
    ASSERT_TRUE(box) << "no message box for arguments " << Narrow(arguments);
    EXPECT_EQ(box.caption, L"Tollerup");
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONERROR));
    ASSERT_TRUE(PressButton(box.window, IDOK));
    DWORD code = 99;
    ASSERT_TRUE(tlr.WaitExit(kWait, &code));
    EXPECT_EQ(code, expectedCode);
}
}  // namespace

TEST(Roads, WrongArgumentIsRefused) {
    TempFolder folder;
    ExpectRefusal(L"/setting", L"引数が間違っています", 1, folder.Path());
    ExpectRefusal(L"setting", L"引数が間違っています", 1, folder.Path());
}
