// The name prompt's growth for a prompt of several lines, and the shell link it leads to,
// written into a scratch folder and read back through the shell.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "../common/temp_dir.h"
#include "app/handles.h"
#include "wizard/shortcut.h"
#include "wizard/text_input_layout.h"

namespace {

// Dialog 9100 at 96 dpi: 189 x 63 units; the prompt 170 x 10 units at (9, 5).
TextInputLayout TemplateLayout() {
    TextInputLayout layout;
    layout.window = Box{400, 300, 400 + 290, 300 + 130};
    layout.prompt = Box{14, 8, 14 + 255, 8 + 16};
    layout.edit = Box{14, 33, 14 + 255, 33 + 20};
    layout.ok = Box{53, 65, 53 + 75, 65 + 24};
    layout.cancel = Box{158, 65, 158 + 75, 65 + 24};
    return layout;
}

void ExpectSame(const Box& a, const Box& b, const char* what) {
    EXPECT_EQ(a.left, b.left) << what;
    EXPECT_EQ(a.top, b.top) << what;
    EXPECT_EQ(a.right, b.right) << what;
    EXPECT_EQ(a.bottom, b.bottom) << what;
}

}  // namespace

TEST(TextInputLayout, OneLineThatFitsLeavesTheTemplateAsItIs) {
    TextInputLayout layout = TemplateLayout();
    Extent prompt = PromptExtent({Extent{180, 14}});
    Extent growth = PromptGrowth(prompt, Extent{layout.prompt.Width(), layout.prompt.Height()});
    EXPECT_EQ(growth.width, 0);
    EXPECT_EQ(growth.height, 0);
    TextInputLayout same = GrowTextInputLayout(layout, growth);
    ExpectSame(same.window, layout.window, "window");
    ExpectSame(same.prompt, layout.prompt, "prompt");
    ExpectSame(same.edit, layout.edit, "edit");
    ExpectSame(same.ok, layout.ok, "ok");
    ExpectSame(same.cancel, layout.cancel, "cancel");
}

TEST(TextInputLayout, TwoLinesGrowByWhatTheSecondNeedsAndMoveTheRestDown) {
    TextInputLayout layout = TemplateLayout();
    Extent prompt = PromptExtent({Extent{200, 14}, Extent{120, 14}});
    EXPECT_EQ(prompt.width, 200);
    EXPECT_EQ(prompt.height, 28);
    Extent growth = PromptGrowth(prompt, Extent{layout.prompt.Width(), layout.prompt.Height()});
    EXPECT_EQ(growth.width, 0);
    EXPECT_EQ(growth.height, 12);  // 28 needed, 16 there
    TextInputLayout grown = GrowTextInputLayout(layout, growth);
    ExpectSame(grown.window, Box{400, 300, 690, 442}, "window");
    ExpectSame(grown.prompt, Box{14, 8, 269, 36}, "prompt");
    ExpectSame(grown.edit, Box{14, 45, 269, 65}, "edit");
    ExpectSame(grown.ok, Box{53, 77, 128, 101}, "ok");
    ExpectSame(grown.cancel, Box{158, 77, 233, 101}, "cancel");
}

TEST(TextInputLayout, AWideLineWidensTheBoxAndTheEditButNotTheButtons) {
    TextInputLayout layout = TemplateLayout();
    // The widest of three lines decides; an empty line still has a height.
    Extent prompt = PromptExtent({Extent{100, 14}, Extent{4, 14}, Extent{300, 14}});
    Extent growth = PromptGrowth(prompt, Extent{layout.prompt.Width(), layout.prompt.Height()});
    EXPECT_EQ(growth.width, 45);
    EXPECT_EQ(growth.height, 26);
    TextInputLayout grown = GrowTextInputLayout(layout, growth);
    ExpectSame(grown.window, Box{400, 300, 735, 456}, "window");
    ExpectSame(grown.prompt, Box{14, 8, 314, 50}, "prompt");
    ExpectSame(grown.edit, Box{14, 59, 314, 79}, "edit");
    ExpectSame(grown.ok, Box{53, 91, 128, 115}, "ok");
    ExpectSame(grown.cancel, Box{158, 91, 233, 115}, "cancel");
    EXPECT_EQ(PromptExtent({}).height, 0);
}

namespace {

class ComScope {
public:
    ComScope() : hr_(CoInitialize(nullptr)) {}
    ~ComScope() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT hr_;
};

struct LinkContents {
    std::wstring path;
    std::wstring arguments;
    std::wstring directory;
};

bool ReadLink(const std::wstring& file, LinkContents& contents) {
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.PutVoid())))
        return false;
    ComPtr<IPersistFile> persist;
    if (FAILED(link->QueryInterface(IID_IPersistFile, persist.PutVoid()))) return false;
    if (FAILED(persist->Load(file.c_str(), STGM_READ))) return false;
    wchar_t text[1024] = {};
    if (FAILED(link->GetPath(text, 1024, nullptr, SLGP_RAWPATH))) return false;
    contents.path = text;
    if (FAILED(link->GetArguments(text, 1024))) return false;
    contents.arguments = text;
    if (FAILED(link->GetWorkingDirectory(text, 1024))) return false;
    contents.directory = text;
    return true;
}

}  // namespace

TEST(ProgramShortcut, TheLinkStartsTheProgramInItsFolderWithTheArgumentsAsGiven) {
    ComScope com;
    TempDir dir;
    std::wstring program = dir.File(L"my tools\\TLR64.exe");
    ASSERT_TRUE(CreateDirectoryW(dir.File(L"my tools").c_str(), nullptr));
    HANDLE made = CreateFileW(program.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(made, INVALID_HANDLE_VALUE);
    CloseHandle(made);
    std::wstring file = dir.File(L"夜 の 録画.lnk");
    ASSERT_TRUE(CreateProgramShortcut(program.c_str(), file.c_str(), L"#夜 の 録画"));
    LinkContents contents;
    ASSERT_TRUE(ReadLink(file, contents));
    EXPECT_EQ(_wcsicmp(contents.path.c_str(), program.c_str()), 0) << contents.path.size();
    EXPECT_EQ(contents.arguments, L"#夜 の 録画");
    EXPECT_EQ(_wcsicmp(contents.directory.c_str(), dir.File(L"my tools").c_str()), 0);

    // Into a folder that does not exist: the save fails and nothing is left.
    std::wstring nowhere = dir.File(L"missing\\x.lnk");
    EXPECT_FALSE(CreateProgramShortcut(program.c_str(), nowhere.c_str(), L"#x"));
    EXPECT_EQ(GetFileAttributesW(nowhere.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(ProgramShortcut, TheCurrentDirectoryIsASpecialFolderToo) {
    wchar_t current[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, current);
    EXPECT_EQ(SpecialFolderPath(-1), WideString(current));
    ComScope com;
    wchar_t desktop[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE));
    EXPECT_EQ(SpecialFolderPath(CSIDL_DESKTOP), WideString(desktop));
}
