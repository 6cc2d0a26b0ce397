// The process road of the wizard as the user meets it: the live process list of page 130,
// the conditions of page 140 with the window tree, the condition test, and Finish, which
// starts the process watch on the choice. The processes watched are target programs that
// the tests start and drive, and Wine's notepad.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "driver/system_state.h"
#include "driver/views_driver.h"
#include "driver/wizard_driver.h"

using namespace e2e;

namespace {

const DWORD kWait = 15000;
const int kProcessRadio = 1110;
const int kList = 1301;
const int kNameColumn = 0, kAttributeColumn = 1, kPidColumn = 2, kFolderColumn = 3, kCpuColumn = 4;
const int kProcessColumns = 5;
const int kPath = 1401, kEndBox = 1402, kWindowsBox = 1403, kIdleBox = 1404, kChosenBox = 1405;
const int kTreeButton = 1406, kTestButton = 1407;
const int kTree = 1501, kTreeCancel = 1502, kTreeOk = 1503;
const wchar_t kTreeTitle[] = L"Tollerup の設定";
const wchar_t kTestTitle[] = L"条件のテスト";

// Messages that the target program understands.
const UINT kOpenSecond = WM_APP + 1;
const UINT kCloseSecond = WM_APP + 2;
const UINT kChangeTitle = WM_APP + 3;
const UINT kHang = WM_APP + 4;
const UINT kExit = WM_APP + 5;
const UINT kAddExtras = WM_APP + 6;

std::wstring FolderOf(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L'\\'));
}

// The attribute the list shows for a program this test starts: its bitness, and " 昇格"
// when it runs with a full token as this test does (always so under Wine).
std::wstring ExpectedAttribute() {
    std::wstring text = sizeof(void*) == 8 ? L"64bit" : L"32bit";
    if (TestTokenElevation() == TokenElevationTypeFull) text += L" 昇格";
    return text;
}

std::vector<DWORD> ThreadsOf(DWORD processId) {
    std::vector<DWORD> threads;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == processId) threads.push_back(entry.th32ThreadID);
        entry.dwSize = sizeof(entry);
    }
    CloseHandle(snapshot);
    return threads;
}

std::wstring RectText(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    wchar_t text[96];
    swprintf(text, 96, L"(%ld,%ld)-(%ld,%ld)", r.left, r.top, r.right, r.bottom);
    return text;
}

const TreeNode* FindNode(const std::vector<TreeNode>& nodes, const std::wstring& text) {
    for (const TreeNode& node : nodes) {
        if (node.text == text) return &node;
        if (const TreeNode* inner = FindNode(node.children, text)) return inner;
    }
    return nullptr;
}

const TreeNode* FindNodeByData(const std::vector<TreeNode>& nodes, LPARAM data) {
    for (const TreeNode& node : nodes) {
        if (node.data == data) return &node;
        if (const TreeNode* inner = FindNodeByData(node.children, data)) return inner;
    }
    return nullptr;
}

bool IsDecimal(const std::wstring& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

// "12.34567% 条件不成立" or "… 条件成立".
bool IsCpuVerdict(const std::wstring& text) {
    size_t percent = text.find(L"% ");
    if (percent == std::wstring::npos) return false;
    std::wstring number = text.substr(0, percent), verdict = text.substr(percent + 2);
    size_t point = number.find(L'.');
    if (point == std::wstring::npos || number.size() != point + 6) return false;
    if (!IsDecimal(number.substr(0, point)) || !IsDecimal(number.substr(point + 1))) return false;
    return verdict == L"条件成立" || verdict == L"条件不成立";
}

// The darkest pixel of a screen rectangle, as the sum of its three colour values.
int DarkestPixel(const RECT& rect) {
    int darkest = 3 * 255;
    for (DWORD p : GrabScreenPixels(rect)) {
        int sum = static_cast<int>((p >> 16) & 0xFF) + static_cast<int>((p >> 8) & 0xFF) + static_cast<int>(p & 0xFF);
        darkest = std::min(darkest, sum);
    }
    return darkest;
}

struct Target {
    Program program;
    HWND window = nullptr;
    std::wstring title;
};

class WizardProcessRoad : public ::testing::Test {
protected:
    void StartTarget(Target& target, const std::wstring& tag) {
        target.title = L"Target " + tag + L" " + CurrentTestName();
        ASSERT_TRUE(target.program.Start(HelperPath(L"watch_target"), target.title, folder_.Path()));
        target.window = target.program.WaitForWindowTitled(target.title, kWait);
        ASSERT_NE(target.window, nullptr) << "the target shows no window";
    }

    void AddExtras(const Target& target) {
        ASSERT_TRUE(target.program.Post(target.window, kAddExtras));
        ASSERT_TRUE(
            WaitUntil([&] { return FindWindowExW(target.window, nullptr, L"Button", nullptr) != nullptr; }, kWait));
    }

    void OpenProcessPage() {
        // Going back from the action page stores it: give it a parameter to store, unless
        // the test has set an action of its own.
        if (folder_.ReadSetting(L"Tollerup", L"ParamCmd").empty()) {
            folder_.WriteSetting(L"Tollerup", L"Act", 1);
            folder_.WriteSetting(L"Tollerup", L"ParamCmd", L"cmd /c exit");
        }
        ASSERT_TRUE(tlr_.Start(ProgramPath(), L"", folder_.Path()));
        wizard_ = Wizard::WaitFor(tlr_, kWait);
        ASSERT_TRUE(wizard_) << "no wizard";
        ASSERT_TRUE(wizard_.WaitForPage(110, kWait));
        ASSERT_TRUE(Click(wizard_.Control(kProcessRadio)));
        ASSERT_TRUE(WaitUntil([&] { return IsChecked(wizard_.Control(kProcessRadio)); }, kWait));
        ASSERT_TRUE(wizard_.Press(kSheetNext));
        ASSERT_TRUE(wizard_.WaitForPage(130, kWait));
    }

    HWND List() const { return wizard_.Control(kList); }

    // The row of a process (by its PID cell), waiting for the list to show it; -1 if it does not.
    int WaitForRow(DWORD pid, DWORD timeoutMs = kWait) const {
        int row = -1;
        WaitUntil(
            [&] {
                row = FindListRow(List(), kPidColumn, std::to_wstring(pid));
                return row >= 0;
            },
            timeoutMs);
        return row;
    }

    void SelectProcess(DWORD pid) {
        int row = WaitForRow(pid);
        ASSERT_GE(row, 0) << "process " << pid << " is not listed";
        ASSERT_TRUE(ClickListRow(List(), row));
        ASSERT_TRUE(WaitUntil([&] { return ListSelection(List()) == WaitForRow(pid); }, kWait));
        ASSERT_TRUE(wizard_.WaitForButtons(true, true, false, kWait));
    }

    // From page 130 with the process selected to page 140.
    void GoToConditions(DWORD pid) {
        ASSERT_NO_FATAL_FAILURE(SelectProcess(pid));
        ASSERT_TRUE(wizard_.Press(kSheetNext));
        ASSERT_TRUE(wizard_.WaitForPage(140, kWait));
    }

    HWND OpenTree() {
        if (!Click(wizard_.Control(kTreeButton))) return nullptr;
        return WaitForDialog(tlr_, kTreeTitle, kWait);
    }

    // Chooses a window in the tree with OK.
    void ChooseInTree(HWND window) {
        HWND dialog = OpenTree();
        ASSERT_NE(dialog, nullptr) << "no window tree";
        HWND tree = GetDlgItem(dialog, kTree);
        const TreeNode* node = nullptr;
        std::vector<TreeNode> nodes;
        ASSERT_TRUE(WaitUntil(
            [&] {
                nodes = ReadTree(tree);
                node = FindNodeByData(nodes, reinterpret_cast<LPARAM>(window));
                return node != nullptr;
            },
            kWait));
        ASSERT_TRUE(SelectTreeItem(tree, node->item));
        ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(dialog, kTreeOk)) != FALSE; }, kWait));
        ASSERT_TRUE(PressButton(dialog, kTreeOk));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, kWait));
        ASSERT_TRUE(WaitUntil([&] { return IsChecked(wizard_.Control(kChosenBox)); }, kWait));
    }

    void CancelWizard() {
        ASSERT_TRUE(wizard_.Press(kSheetCancel));
        DWORD code = 99;
        ASSERT_TRUE(tlr_.WaitExit(kWait, &code)) << "the program did not end after Cancel";
        EXPECT_EQ(code, 0u);
    }

    std::wstring Setting(const wchar_t* key, const wchar_t* fallback = L"") const {
        return folder_.ReadSetting(L"Tollerup", key, fallback);
    }

    TempFolder folder_{L"tlr wizard process"};
    Program tlr_;
    Wizard wizard_;
};

}  // namespace

TEST_F(WizardProcessRoad, TheListShowsATargetLiveAndNextFollowsTheSelection) {
    Target first;
    ASSERT_NO_FATAL_FAILURE(StartTarget(first, L"1"));
    ASSERT_NO_FATAL_FAILURE(OpenProcessPage());
    int row = WaitForRow(first.program.Pid());
    ASSERT_GE(row, 0);
    std::wstring exe = HelperPath(L"watch_target");
    EXPECT_EQ(ListCell(List(), row, kNameColumn), L"watch_target.exe");
    EXPECT_EQ(ListCell(List(), row, kAttributeColumn), ExpectedAttribute());
    EXPECT_EQ(ListCell(List(), row, kFolderColumn), FolderOf(exe));
    // Nothing chosen before: no selection, Back only.
    EXPECT_EQ(ListSelection(List()), -1);
    EXPECT_TRUE(wizard_.WaitForButtons(true, false, false, kWait));

    // The CPU column is filled by the refresh with whole percents.
    EXPECT_TRUE(WaitUntil(
        [&] {
            std::wstring cpu = ListCell(List(), WaitForRow(first.program.Pid()), kCpuColumn);
            return IsDecimal(cpu) && std::stoi(cpu) <= 100;
        },
        kWait));

    // A target started now appears; one that ends disappears.
    Target second;
    ASSERT_NO_FATAL_FAILURE(StartTarget(second, L"2"));
    EXPECT_GE(WaitForRow(second.program.Pid(), 5000), 0) << "a new process did not appear";
    ASSERT_TRUE(first.program.Post(first.window, kExit));
    ASSERT_TRUE(first.program.WaitExit(kWait, nullptr));
    EXPECT_TRUE(
        WaitUntil([&] { return FindListRow(List(), kPidColumn, std::to_wstring(first.program.Pid())) < 0; }, 5000))
        << "an ended process is still listed";

    // Choosing enables Next; Next writes the choice; Back selects it again.
    ASSERT_NO_FATAL_FAILURE(GoToConditions(second.program.Pid()));
    EXPECT_EQ(Setting(L"pid"), std::to_wstring(second.program.Pid()));
    EXPECT_EQ(Setting(L"filename"), exe);
    EXPECT_EQ(WindowText(wizard_.Control(kPath)), exe);
    ASSERT_TRUE(wizard_.Press(kSheetBack));
    ASSERT_TRUE(wizard_.WaitForPage(130, kWait));
    EXPECT_EQ(ListSelection(List()), WaitForRow(second.program.Pid()));
    EXPECT_TRUE(wizard_.WaitForButtons(true, true, false, kWait));
    ASSERT_TRUE(wizard_.Press(kSheetNext));
    ASSERT_TRUE(wizard_.WaitForPage(140, kWait));
    CancelWizard();
}

TEST_F(WizardProcessRoad, ColumnClicksSortByNameBothWaysByFolderAndByPid) {
    Target target;
    ASSERT_NO_FATAL_FAILURE(StartTarget(target, L"sort"));
    ASSERT_NO_FATAL_FAILURE(OpenProcessPage());
    ASSERT_GE(WaitForRow(target.program.Pid()), 0);
    HWND list = List();
    auto ordered = [&](int column, int direction) {
        std::vector<std::vector<std::wstring>> rows = ListRows(list, kProcessColumns);
        if (rows.size() < 3) return false;
        for (size_t i = 1; i < rows.size(); ++i) {
            const std::wstring& a = rows[i - 1][static_cast<size_t>(column)];
            const std::wstring& b = rows[i][static_cast<size_t>(column)];
            int order;
            if (column == kPidColumn) {
                long long x = a.empty() ? 0 : std::stoll(a), y = b.empty() ? 0 : std::stoll(b);
                order = x < y ? -1 : (x > y ? 1 : 0);
            } else {
                order = lstrcmpW(a.c_str(), b.c_str());
            }
            if (order * direction > 0) return false;
        }
        return true;
    };
    EXPECT_TRUE(ordered(kNameColumn, 1)) << "the page opens sorted by name";
    ASSERT_TRUE(ClickListHeader(list, kNameColumn));
    EXPECT_TRUE(WaitUntil([&] { return ordered(kNameColumn, -1); }, kWait)) << "name, descending";
    ASSERT_TRUE(ClickListHeader(list, kNameColumn));
    EXPECT_TRUE(WaitUntil([&] { return ordered(kNameColumn, 1); }, kWait)) << "name, ascending again";
    ASSERT_TRUE(ClickListHeader(list, kFolderColumn));
    EXPECT_TRUE(WaitUntil([&] { return ordered(kFolderColumn, 1); }, kWait)) << "folder";
    ASSERT_TRUE(ClickListHeader(list, kPidColumn));
    EXPECT_TRUE(WaitUntil([&] { return ordered(kPidColumn, 1); }, kWait)) << "PID ascending";
    ASSERT_TRUE(ClickListHeader(list, kPidColumn));
    EXPECT_TRUE(WaitUntil([&] { return ordered(kPidColumn, -1); }, kWait)) << "PID descending";
    // The order holds across refreshes: one that adds a row and one that removes it.
    Target added;
    ASSERT_NO_FATAL_FAILURE(StartTarget(added, L"added"));
    ASSERT_GE(WaitForRow(added.program.Pid()), 0) << "a new process did not appear";
    EXPECT_TRUE(ordered(kPidColumn, -1)) << "after a refresh that added a row";
    ASSERT_TRUE(added.program.Post(added.window, kExit));
    ASSERT_TRUE(added.program.WaitExit(kWait, nullptr));
    ASSERT_TRUE(
        WaitUntil([&] { return FindListRow(list, kPidColumn, std::to_wstring(added.program.Pid())) < 0; }, kWait))
        << "an ended process is still listed";
    EXPECT_TRUE(ordered(kPidColumn, -1)) << "after a refresh that removed a row";
    CancelWizard();
}

TEST_F(WizardProcessRoad, DoubleClickShowsTheProcessInformation) {
    Target target;
    ASSERT_NO_FATAL_FAILURE(StartTarget(target, L"info"));
    ASSERT_NO_FATAL_FAILURE(OpenProcessPage());
    int row = WaitForRow(target.program.Pid());
    ASSERT_GE(row, 0);
    ASSERT_TRUE(ClickListRow(List(), row, true));
    MessageBoxInfo box = tlr_.WaitForMessageBox(kWait);
    ASSERT_TRUE(box) << "no information box";
    EXPECT_EQ(box.caption, L"Tollerup");
    EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONINFORMATION));
    std::wstring expected = L"プロセスＩＤ：" + std::to_wstring(target.program.Pid()) + L"\nフルパス：" +
                            HelperPath(L"watch_target") + L"\n親ウインドウ数：1\n開始時間：";
    ASSERT_EQ(box.text.substr(0, expected.size()), expected);
    std::wstring time = box.text.substr(expected.size());
    // 2024/03/05 09:07:02.045
    ASSERT_EQ(time.size(), 23u) << Narrow(time);
    EXPECT_EQ(time[4], L'/');
    EXPECT_EQ(time[10], L' ');
    EXPECT_EQ(time[19], L'.');
    ASSERT_TRUE(PressButton(box.window, IDOK));
    ASSERT_TRUE(WaitForEnabled(wizard_.Sheet(), true, kWait));
    CancelWizard();
}

TEST_F(WizardProcessRoad, CheckBoxesAreWrittenAsTheConditionBits) {
    Target target;
    ASSERT_NO_FATAL_FAILURE(StartTarget(target, L"bits"));
    ASSERT_NO_FATAL_FAILURE(OpenProcessPage());
    ASSERT_NO_FATAL_FAILURE(GoToConditions(target.program.Pid()));
    EXPECT_TRUE(IsChecked(wizard_.Control(kEndBox)));
    EXPECT_FALSE(IsWindowEnabled(wizard_.Control(kEndBox)));
    EXPECT_FALSE(IsChecked(wizard_.Control(kChosenBox)));
    const struct {
        bool windows, idle;
        const wchar_t* bits;
    } cases[] = {{false, false, L"0"}, {true, false, L"1"}, {false, true, L"2"}, {true, true, L"3"}};
    for (const auto& c : cases) {
        if (IsChecked(wizard_.Control(kWindowsBox)) != c.windows) {
            ASSERT_TRUE(Click(wizard_.Control(kWindowsBox)));
        }
        if (IsChecked(wizard_.Control(kIdleBox)) != c.idle) {
            ASSERT_TRUE(Click(wizard_.Control(kIdleBox)));
        }
        ASSERT_TRUE(WaitUntil(
            [&] {
                return IsChecked(wizard_.Control(kWindowsBox)) == c.windows &&
                       IsChecked(wizard_.Control(kIdleBox)) == c.idle;
            },
            kWait));
        ASSERT_TRUE(wizard_.Press(kSheetNext));
        ASSERT_TRUE(wizard_.WaitForPage(170, kWait));
        EXPECT_EQ(Setting(L"PCParam"), c.bits);
        EXPECT_EQ(Setting(L"PCHandle"), L"0");
        // Back: the page shows what was written.
        ASSERT_TRUE(wizard_.Press(kSheetBack));
        ASSERT_TRUE(wizard_.WaitForPage(140, kWait));
        EXPECT_EQ(IsChecked(wizard_.Control(kWindowsBox)), c.windows);
        EXPECT_EQ(IsChecked(wizard_.Control(kIdleBox)), c.idle);
    }
    CancelWizard();
}

TEST_F(WizardProcessRoad, AProcessThatEndedBeforeNextSendsTheUserBackToTheList) {
    Target target;
    ASSERT_NO_FATAL_FAILURE(StartTarget(target, L"ended"));
    ASSERT_NO_FATAL_FAILURE(OpenProcessPage());
    ASSERT_NO_FATAL_FAILURE(GoToConditions(target.program.Pid()));
    ASSERT_TRUE(Click(wizard_.Control(kWindowsBox)));
    ASSERT_TRUE(target.program.Post(target.window, kExit));
    ASSERT_TRUE(target.program.WaitExit(kWait, nullptr));
    ASSERT_TRUE(wizard_.Press(kSheetNext));
    MessageBoxInfo box = tlr_.WaitForMessageBox(kWait);
    ASSERT_TRUE(box);
    EXPECT_EQ(box.text, L"プロセスが既に終了しています。再指定してください。");
    EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONERROR));
    ASSERT_TRUE(PressButton(box.window, IDOK));
    EXPECT_TRUE(wizard_.WaitForPage(130, kWait));
    EXPECT_EQ(Setting(L"PCParam", L"none"), L"none") << "the conditions were written for an ended process";
    EXPECT_EQ(ListSelection(List()), -1);
    CancelWizard();
}

TEST_F(WizardProcessRoad, TheTreeShowsThreadsWindowsAndChildrenAndOnlyWindowsCanBeChosen) {
    Target target;
    ASSERT_NO_FATAL_FAILURE(StartTarget(target, L"tree"));
    ASSERT_NO_FATAL_FAILURE(AddExtras(target));
    ASSERT_NO_FATAL_FAILURE(OpenProcessPage());
    ASSERT_NO_FATAL_FAILURE(GoToConditions(target.program.Pid()));
    HWND dialog = OpenTree();
    ASSERT_NE(dialog, nullptr);
    HWND tree = GetDlgItem(dialog, kTree);
    HWND ok = GetDlgItem(dialog, kTreeOk);
    std::vector<TreeNode> nodes = ReadTree(tree);

    // One line per thread, in the order of a thread snapshot.
    std::vector<DWORD> threads = ThreadsOf(target.program.Pid());
    ASSERT_GE(threads.size(), 2u);
    ASSERT_EQ(nodes.size(), threads.size());
    for (size_t i = 0; i < threads.size(); ++i) {
        EXPECT_EQ(nodes[i].text, L"thread id =" + std::to_wstring(threads[i]));
        EXPECT_EQ(nodes[i].image, 0);
        EXPECT_EQ(nodes[i].data, 0);
    }
    DWORD mainThread = GetWindowThreadProcessId(target.window, nullptr);
    const TreeNode* main = FindNode(nodes, L"thread id =" + std::to_wstring(mainThread));
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(main->hasButton);
    // The second thread of the target has no windows: no expand button.
    bool threadWithoutWindows = false;
    for (const TreeNode& node : nodes)
        threadWithoutWindows = threadWithoutWindows || (!node.hasButton && node.children.empty());
    EXPECT_TRUE(threadWithoutWindows);

    const TreeNode* window = FindNode(main->children, L"{TLRWATCHTARGET}" + target.title + RectText(target.window));
    ASSERT_NE(window, nullptr) << "no line for the main window";
    EXPECT_EQ(window->image, 1);
    EXPECT_EQ(window->data, reinterpret_cast<LPARAM>(target.window));
    EXPECT_TRUE(window->hasButton);
    HWND button = FindWindowExW(target.window, nullptr, L"Button", nullptr);
    ASSERT_EQ(window->children.size(), 1u);
    EXPECT_EQ(window->children[0].text, L"{Button}Child button");
    EXPECT_EQ(window->children[0].image, 2);
    EXPECT_EQ(window->children[0].data, reinterpret_cast<LPARAM>(button));
    EXPECT_FALSE(window->children[0].hasButton);
    HWND hiddenWindow = FindWindowW(L"TLRWATCHTARGETSECOND", L"Hidden window");
    ASSERT_NE(hiddenWindow, nullptr);
    const TreeNode* hidden =
        FindNode(main->children, L"{TLRWATCHTARGETSECOND}Hidden window" + RectText(hiddenWindow) + L"hidden");
    ASSERT_NE(hidden, nullptr) << "no line for the hidden window";
    EXPECT_FALSE(hidden->hasButton);

    // OK follows the selection: threads and hidden windows cannot be chosen.
    auto okAfterSelecting = [&](HTREEITEM item, bool enabled) {
        return SelectTreeItem(tree, item) &&
               WaitUntil([&] { return (IsWindowEnabled(ok) != FALSE) == enabled; }, kWait);
    };
    EXPECT_FALSE(IsWindowEnabled(ok)) << "nothing chosen yet";
    EXPECT_TRUE(okAfterSelecting(window->item, true));
    EXPECT_TRUE(okAfterSelecting(hidden->item, false));
    EXPECT_TRUE(okAfterSelecting(window->children[0].item, true));
    EXPECT_TRUE(okAfterSelecting(main->item, false));

    // The hidden window is written in grey, the main window in the text colour.
    RECT hiddenRect = {}, windowRect = {};
    ASSERT_TRUE(TreeItemScreenRect(tree, hidden->item, hiddenRect));
    ASSERT_TRUE(TreeItemScreenRect(tree, window->item, windowRect));
    COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
    int greySum = GetRValue(grey) + GetGValue(grey) + GetBValue(grey);
    EXPECT_TRUE(WaitUntil([&] { return DarkestPixel(windowRect) < greySum - 60; }, kWait))
        << "the main window's line is not drawn dark";
    EXPECT_GE(DarkestPixel(hiddenRect), greySum - 30) << "the hidden window's line is not grey";

    // OK on the main window: the page shows a chosen window and Next writes it.
    ASSERT_TRUE(okAfterSelecting(window->item, true));
    ASSERT_TRUE(PressButton(dialog, kTreeOk));
    ASSERT_TRUE(WaitUntil([&] { return IsChecked(wizard_.Control(kChosenBox)); }, kWait));
    ASSERT_TRUE(wizard_.Press(kSheetNext));
    ASSERT_TRUE(wizard_.WaitForPage(170, kWait));
    EXPECT_EQ(Setting(L"PCHandle"), HandleText(target.window));
    CancelWizard();
}

TEST_F(WizardProcessRoad, TheChosenWindowIsPreselectedAndCancelInTheTreeClearsIt) {
    Target target;
    ASSERT_NO_FATAL_FAILURE(StartTarget(target, L"preselect"));
    ASSERT_NO_FATAL_FAILURE(AddExtras(target));
    HWND button = FindWindowExW(target.window, nullptr, L"Button", nullptr);
    ASSERT_NO_FATAL_FAILURE(OpenProcessPage());
    ASSERT_NO_FATAL_FAILURE(GoToConditions(target.program.Pid()));
    ASSERT_NO_FATAL_FAILURE(ChooseInTree(button));

    HWND dialog = OpenTree();
    ASSERT_NE(dialog, nullptr);
    HWND tree = GetDlgItem(dialog, kTree);
    std::vector<TreeNode> nodes = ReadTree(tree);
    const TreeNode* chosen = FindNodeByData(nodes, reinterpret_cast<LPARAM>(button));
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(TreeSelection(tree), chosen->item);
    // Its parents are open.
    const TreeNode* window = FindNodeByData(nodes, reinterpret_cast<LPARAM>(target.window));
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->expanded);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, kTreeOk)));

    // Cancel forgets the window chosen before.
    ASSERT_TRUE(PressButton(dialog, kTreeCancel));
    ASSERT_TRUE(WaitUntil([&] { return !IsChecked(wizard_.Control(kChosenBox)); }, kWait));
    ASSERT_TRUE(wizard_.Press(kSheetNext));
    ASSERT_TRUE(wizard_.WaitForPage(170, kWait));
    EXPECT_EQ(Setting(L"PCHandle"), L"0");
    CancelWizard();
}

TEST_F(WizardProcessRoad, AWindowOfOneProcessIsNotKeptForAnother) {
    Target first, second;
    ASSERT_NO_FATAL_FAILURE(StartTarget(first, L"A"));
    ASSERT_NO_FATAL_FAILURE(StartTarget(second, L"B"));
    ASSERT_NO_FATAL_FAILURE(OpenProcessPage());
    ASSERT_NO_FATAL_FAILURE(GoToConditions(first.program.Pid()));
    ASSERT_NO_FATAL_FAILURE(ChooseInTree(first.window));
    ASSERT_TRUE(wizard_.Press(kSheetNext));
    ASSERT_TRUE(wizard_.WaitForPage(170, kWait));
    ASSERT_EQ(Setting(L"PCHandle"), HandleText(first.window));

    // The same process again: its window stays chosen.
    ASSERT_TRUE(wizard_.Press(kSheetBack));
    ASSERT_TRUE(wizard_.WaitForPage(140, kWait));
    ASSERT_TRUE(wizard_.Press(kSheetBack));
    ASSERT_TRUE(wizard_.WaitForPage(130, kWait));
    ASSERT_TRUE(wizard_.WaitForButtons(true, true, false, kWait));
    ASSERT_TRUE(wizard_.Press(kSheetNext));
    ASSERT_TRUE(wizard_.WaitForPage(140, kWait));
    EXPECT_TRUE(IsChecked(wizard_.Control(kChosenBox)));
    EXPECT_EQ(Setting(L"PCHandle"), HandleText(first.window));

    // Another process: the window is forgotten.
    ASSERT_TRUE(wizard_.Press(kSheetBack));
    ASSERT_TRUE(wizard_.WaitForPage(130, kWait));
    ASSERT_NO_FATAL_FAILURE(GoToConditions(second.program.Pid()));
    EXPECT_FALSE(IsChecked(wizard_.Control(kChosenBox)));
    EXPECT_EQ(Setting(L"PCHandle"), L"0");
    CancelWizard();
}

TEST_F(WizardProcessRoad, TheConditionTestShowsEveryVerdictAndOnlyItsButtonEndsIt) {
    Target target;
    ASSERT_NO_FATAL_FAILURE(StartTarget(target, L"test"));
    ASSERT_NO_FATAL_FAILURE(OpenProcessPage());
    ASSERT_NO_FATAL_FAILURE(GoToConditions(target.program.Pid()));
    ASSERT_NO_FATAL_FAILURE(ChooseInTree(target.window));

    ASSERT_TRUE(Click(wizard_.Control(kTestButton)));
    HWND dialog = WaitForDialog(tlr_, kTestTitle, kWait);
    ASSERT_NE(dialog, nullptr) << "no condition test";
    HWND sheet = wizard_.Sheet();
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(sheet) != FALSE; }, kWait)) << "the wizard was not minimised";
    EXPECT_NE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    auto field = [&](int id) { return WindowTextTimeout(GetDlgItem(dialog, id), 1000); };
    EXPECT_EQ(field(1601), L"watch_target.exe");
    EXPECT_EQ(field(1602), L"条件不成立");
    EXPECT_EQ(field(1605), target.title);
    EXPECT_TRUE(WaitUntil([&] { return field(1603) == L"1 条件不成立"; }, kWait)) << Narrow(field(1603));
    EXPECT_TRUE(IsCpuVerdict(field(1604))) << Narrow(field(1604));

    // Esc and Enter do nothing: the dialog keeps ticking.
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(GetDlgItem(dialog, 1603), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"-"), SMTO_ABORTIFHUNG, 2000,
                        &ignored);
    EXPECT_TRUE(WaitUntil([&] { return field(1603) == L"1 条件不成立"; }, kWait));
    EXPECT_TRUE(IsWindowVisible(dialog));

    ASSERT_TRUE(target.program.Post(target.window, kOpenSecond));
    EXPECT_TRUE(WaitUntil([&] { return field(1603) == L"1→2 条件成立"; }, kWait)) << Narrow(field(1603));
    ASSERT_TRUE(target.program.Post(target.window, kCloseSecond));
    EXPECT_TRUE(WaitUntil([&] { return field(1603) == L"1→1 条件成立"; }, kWait)) << Narrow(field(1603));
    ASSERT_TRUE(target.program.Post(target.window, kChangeTitle));
    EXPECT_TRUE(WaitUntil([&] { return field(1605) == L"条件成立(" + target.title + L" *)"; }, kWait))
        << Narrow(field(1605));
    EXPECT_EQ(field(1602), L"条件不成立");
    ASSERT_TRUE(target.program.Post(target.window, kExit));
    EXPECT_TRUE(WaitUntil([&] { return field(1602) == L"条件成立"; }, kWait)) << Narrow(field(1602));
    EXPECT_TRUE(IsWindowVisible(dialog)) << "the test ended by itself";

    ASSERT_TRUE(PressButton(dialog, 1606));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, kWait));
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(sheet) && IsWindowEnabled(sheet); }, kWait))
        << "the wizard was not restored";
    EXPECT_EQ(wizard_.CurrentPageId(), 140);
    CancelWizard();
}

TEST_F(WizardProcessRoad, AHungTargetDoesNotFreezeTheTreeOrTheTest) {
    Target target;
    ASSERT_NO_FATAL_FAILURE(StartTarget(target, L"hung"));
    ASSERT_NO_FATAL_FAILURE(AddExtras(target));
    ASSERT_NO_FATAL_FAILURE(OpenProcessPage());
    ASSERT_NO_FATAL_FAILURE(GoToConditions(target.program.Pid()));
    ASSERT_NO_FATAL_FAILURE(ChooseInTree(target.window));
    ASSERT_TRUE(target.program.Post(target.window, kHang));

    HWND dialog = OpenTree();
    ASSERT_NE(dialog, nullptr) << "the tree did not open for a target that does not answer";
    std::vector<TreeNode> nodes = ReadTree(GetDlgItem(dialog, kTree));
    // The silent window is listed with an empty text.
    EXPECT_NE(FindNode(nodes, L"{TLRWATCHTARGET}" + RectText(target.window)), nullptr);
    ASSERT_TRUE(PressButton(dialog, kTreeCancel));
    ASSERT_TRUE(WaitUntil([&] { return !IsChecked(wizard_.Control(kChosenBox)); }, kWait));
    ASSERT_NO_FATAL_FAILURE(ChooseInTree(target.window));

    ASSERT_TRUE(Click(wizard_.Control(kTestButton)));
    HWND test = WaitForDialog(tlr_, kTestTitle, kWait);
    ASSERT_NE(test, nullptr);
    HWND windows = GetDlgItem(test, 1603);
    for (int round = 0; round < 2; ++round) {
        DWORD_PTR ignored = 0;
        ASSERT_TRUE(SendMessageTimeoutW(windows, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"-"), SMTO_ABORTIFHUNG, 2000,
                                        &ignored))
            << "the test does not answer";
        EXPECT_TRUE(WaitUntil([&] { return WindowTextTimeout(windows, 1000) == L"1 条件不成立"; }, kWait))
            << "round " << round;
    }
    // A window that keeps silent is not a change.
    EXPECT_EQ(WindowTextTimeout(GetDlgItem(test, 1605), 1000).find(L"条件成立("), std::wstring::npos);
    ASSERT_TRUE(PressButton(test, 1606));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(wizard_.Sheet()) != FALSE; }, kWait));
    CancelWizard();
}

TEST_F(WizardProcessRoad, NotepadIsListedAndItsEditBoxIsInTheTree) {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    Program notepad;
    ASSERT_TRUE(notepad.Start(std::wstring(system) + L"\\notepad.exe", L"", folder_.Path()));
    HWND notepadWindow = notepad.WaitForWindow([](HWND w) { return ClassName(w) == L"Notepad"; }, kWait);
    ASSERT_NE(notepadWindow, nullptr);
    wchar_t path[MAX_PATH] = {};
    ASSERT_GT(K32GetModuleFileNameExW(notepad.Handle(), nullptr, path, MAX_PATH), 0u);

    ASSERT_NO_FATAL_FAILURE(OpenProcessPage());
    int row = WaitForRow(notepad.Pid());
    ASSERT_GE(row, 0);
    std::wstring full(path);
    EXPECT_EQ(ListCell(List(), row, kNameColumn), full.substr(full.find_last_of(L'\\') + 1));
    EXPECT_EQ(ListCell(List(), row, kFolderColumn), FolderOf(full));

    ASSERT_NO_FATAL_FAILURE(GoToConditions(notepad.Pid()));
    EXPECT_EQ(WindowText(wizard_.Control(kPath)), full);
    HWND dialog = OpenTree();
    ASSERT_NE(dialog, nullptr);
    std::vector<TreeNode> nodes = ReadTree(GetDlgItem(dialog, kTree));
    const TreeNode* window = FindNodeByData(nodes, reinterpret_cast<LPARAM>(notepadWindow));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->text.rfind(L"{Notepad}", 0), 0u) << Narrow(window->text);
    bool edit = false;
    for (const TreeNode& child : window->children) edit = edit || child.text.rfind(L"{Edit}", 0) == 0;
    EXPECT_TRUE(edit) << "no edit box under notepad's window";
    ASSERT_TRUE(PressButton(dialog, kTreeCancel));
    ASSERT_TRUE(WaitForEnabled(wizard_.Sheet(), true, kWait));
    CancelWizard();
}

TEST_F(WizardProcessRoad, FinishWatchesTheChosenProcessAndItsEndRunsTheCommand) {
    folder_.WriteSetting(L"Tollerup", L"Act", 1);
    folder_.WriteSetting(L"Tollerup", L"ParamCmd", L"cmd.exe /c echo x > marker.txt");
    Target target;
    ASSERT_NO_FATAL_FAILURE(StartTarget(target, L"finish"));
    ASSERT_NO_FATAL_FAILURE(OpenProcessPage());
    ASSERT_NO_FATAL_FAILURE(GoToConditions(target.program.Pid()));
    ASSERT_TRUE(Click(wizard_.Control(kWindowsBox)));
    ASSERT_TRUE(WaitUntil([&] { return IsChecked(wizard_.Control(kWindowsBox)); }, kWait));
    ASSERT_TRUE(wizard_.Press(kSheetNext));
    ASSERT_TRUE(wizard_.WaitForPage(170, kWait));
    ASSERT_TRUE(wizard_.WaitForButtons(true, false, true, kWait));
    ASSERT_TRUE(wizard_.Press(kSheetFinish));

    HWND watch = tlr_.WaitForWindowTitled(L"Tollerup 監視中", kWait);
    ASSERT_NE(watch, nullptr) << "no process watch after Finish";
    EXPECT_EQ(WindowTextTimeout(GetDlgItem(watch, 1801)), L"watch_target.exe");
    EXPECT_EQ(WindowTextTimeout(GetDlgItem(watch, 1804)), L"プロセス終了 親Win変化");
    EXPECT_FALSE(folder_.Exists(L"marker.txt"));
    ASSERT_TRUE(target.program.Post(target.window, kExit));
    EXPECT_TRUE(WaitUntil([&] { return folder_.Exists(L"marker.txt"); }, kWait)) << "the command did not run";
    DWORD code = 99;
    EXPECT_TRUE(tlr_.WaitExit(kWait, &code));
    EXPECT_EQ(code, 0u);
}
