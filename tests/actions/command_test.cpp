// How a command text becomes the shell call, and what a failed start shows.
#include <gtest/gtest.h>

#include "actions/command.h"
#include "common/box_recorder.h"

TEST(CommandWorkingDirectory, FolderOfTheProgram) {
    EXPECT_EQ(CommandWorkingDirectory(L"C:\\Tools\\x.exe"), WideString(L"C:\\Tools"));
    EXPECT_EQ(CommandWorkingDirectory(L"C:\\Program Files\\A B\\x.exe"), WideString(L"C:\\Program Files\\A B"));
    // A program at a drive root keeps the root with its backslash.
    EXPECT_EQ(CommandWorkingDirectory(L"C:\\x.exe"), WideString(L"C:\\"));
    EXPECT_TRUE(CommandWorkingDirectory(L"notepad.exe").IsEmpty());
    EXPECT_EQ(CommandWorkingDirectory(L"tools\\x.bat"), WideString(L"tools"));
    EXPECT_EQ(CommandWorkingDirectory(L"\\\\server\\share\\x.exe"), WideString(L"\\\\server\\share"));
}

TEST(PlanCommand, SplitTrimAndShowCommand) {
    CommandLaunch quoted = PlanCommand(L"Icon \"C:\\Program Files\\A B\\x.exe\"  -a \"b c\"  ");
    EXPECT_EQ(quoted.program, WideString(L"C:\\Program Files\\A B\\x.exe"));
    EXPECT_EQ(quoted.arguments, WideString(L"-a \"b c\""));
    EXPECT_EQ(quoted.directory, WideString(L"C:\\Program Files\\A B"));
    EXPECT_EQ(quoted.showCommand, SW_MINIMIZE);

    CommandLaunch bare = PlanCommand(L"   notepad.exe   notes.txt   ");
    EXPECT_EQ(bare.program, WideString(L"notepad.exe"));
    EXPECT_EQ(bare.arguments, WideString(L"notes.txt"));
    EXPECT_TRUE(bare.directory.IsEmpty());
    EXPECT_EQ(bare.showCommand, SW_SHOWNORMAL);

    // An unquoted path with blanks is cut at the first blank.
    CommandLaunch cut = PlanCommand(L"C:\\Program Files\\x.exe /s");
    EXPECT_EQ(cut.program, WideString(L"C:\\Program"));
    EXPECT_EQ(cut.arguments, WideString(L"Files\\x.exe /s"));
    EXPECT_EQ(cut.directory, WideString(L"C:\\"));

    CommandLaunch lower = PlanCommand(L"icon notepad.exe");
    EXPECT_EQ(lower.showCommand, SW_SHOWNORMAL);
    EXPECT_EQ(lower.program, WideString(L"icon"));
    EXPECT_EQ(lower.arguments, WideString(L"notepad.exe"));
}

TEST(PlanCommand, TextsWithoutAProgram) {
    CommandLaunch onlyFlag = PlanCommand(L"Icon ");
    EXPECT_TRUE(onlyFlag.program.IsEmpty());
    EXPECT_EQ(onlyFlag.showCommand, SW_MINIMIZE);

    CommandLaunch unbalanced = PlanCommand(L"\"C:\\a b\\x.exe -q");
    EXPECT_TRUE(unbalanced.program.IsEmpty());
    EXPECT_EQ(unbalanced.arguments, WideString(L"C:\\a b\\x.exe -q"));

    EXPECT_TRUE(PlanCommand(L"     ").program.IsEmpty());
}

TEST(RunCommand, FailuresShowTheShellValue) {
    BoxRecorder boxes;
    HWND owner = GetDesktopWindow();
    EXPECT_FALSE(RunCommand(owner, L"tlr_no_such_program_h3.exe /x"));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, L"Execute Error Code = 2");
    EXPECT_EQ(boxes.boxes[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(boxes.boxes[0].owner, owner);

    // Texts without a program fail the same way, without reaching the shell.
    const wchar_t* empty[] = {L"", L"Icon ", L"    ", L"\"C:\\a b\\x.exe -q"};
    for (const wchar_t* text : empty) {
        boxes.boxes.clear();
        EXPECT_FALSE(RunCommand(nullptr, text));
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].text, L"Execute Error Code = 2");
    }
}
