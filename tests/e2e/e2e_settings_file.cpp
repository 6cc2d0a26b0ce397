// Settings files a user may hand the program: damaged, huge or in another encoding. Each
// run either works or says why, never crashes or hangs, and never changes the file.
#include <gtest/gtest.h>

#include <string>

#include "driver/driver.h"

using namespace e2e;

namespace {
const DWORD kWait = 30000;

// Runs "#section" on the file and expects the exit code, and the box text when one is
// expected; the file must be byte for byte what it was.
void RunOnFile(const std::string& bytes, const std::wstring& arguments, DWORD expectedCode,
               const std::wstring& expectedBox) {
    TempFolder folder;
    ASSERT_TRUE(folder.WriteBytes(L"TLR.ini", bytes));
    Program tlr;
    ASSERT_TRUE(tlr.Start(ProgramPath(), arguments, folder.Path()));
    if (!expectedBox.empty()) {
        MessageBoxInfo box = tlr.WaitForMessageBox(kWait);
        ASSERT_TRUE(box) << "no box for " << Narrow(arguments.substr(0, 40));
        EXPECT_EQ(box.text, expectedBox);
        PressButton(box.window, IDOK);
    }
    DWORD code = 99;
    bool ended = tlr.WaitExit(kWait, &code);
    if (!ended) {
        MessageBoxInfo box = tlr.WaitForMessageBox(100);
        FAIL() << "did not end; box: " << Narrow(box.text);
    }
    EXPECT_EQ(code, expectedCode);
    EXPECT_TRUE(folder.ReadBytes(L"TLR.ini") == bytes) << "the settings file was changed";
}

const char kQuiet[] = "WatchMode=2\r\nAct=3\r\n";
}  // namespace

TEST(SettingsFile, RandomBytes) {
    std::string bytes;
    unsigned state = 12345;
    for (int i = 0; i < 64 * 1024; ++i) {
        state = state * 1103515245u + 12345u;
        char ch = static_cast<char>(state >> 16);
        bytes += ch == '[' ? 'x' : ch;  // no accidental section headers
    }
    RunOnFile(bytes, L"#setting", 1, L"セクションがありません");
}

TEST(SettingsFile, LineOfAMegabyte) {
    std::string bytes = std::string("[big]\r\n") + kQuiet + "Long=" + std::string(1024 * 1024, 'L') + "\r\n";
    RunOnFile(bytes, L"#big", 0, L"");
}

TEST(SettingsFile, FiveThousandSections) {
    std::string bytes;
    for (int i = 0; i < 5000; ++i) bytes += "[s" + std::to_string(i) + "]\r\n" + kQuiet;
    RunOnFile(bytes, L"#s4999", 0, L"");
    RunOnFile(bytes, L"#s5000", 1, L"セクションがありません");
}

TEST(SettingsFile, Utf16WithByteOrderMark) {
    std::wstring text = L"\xFEFF[設定]\r\nWatchMode=2\r\nAct=3\r\n";
    std::string bytes(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    RunOnFile(bytes, L"#設定", 0, L"");
}

TEST(SettingsFile, ShiftJisInTheJapaneseCodePage) {
    ASSERT_EQ(GetACP(), 932u) << "the tests run in the Japanese code page (LANG=ja_JP.UTF-8)";
    // "[設定]" in Shift-JIS.
    std::string bytes = std::string("[\x90\xdd\x92\xe8]\r\n") + kQuiet;
    RunOnFile(bytes, L"#設定", 0, L"");
}

TEST(SettingsFile, LongAndOddSectionNames) {
    std::wstring longName(1000, L'n');
    std::string longBytes = "[" + Narrow(longName) + "]\r\n" + kQuiet;
    RunOnFile(longBytes, L"#" + longName, 0, L"");
    RunOnFile(longBytes, L"#" + longName + L"x", 1, L"セクションがありません");
    // Characters that a file or kernel object name cannot hold.
    std::string odd = std::string("[a\\b/c:d*e?f\"g<h>i|j%k]\r\n") + kQuiet;
    RunOnFile(odd, L"#a\\b/c:d*e?f\"g<h>i|j%k", 0, L"");
}
