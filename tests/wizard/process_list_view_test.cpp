// The process list in a real list view of this test, fed by a process table the test
// gives: rows in place across refreshes, the selection, the sorts and the CPU column.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/handles.h"
#include "wizard/fake_process_catalog.h"
#include "wizard/process_list_view.h"

namespace {

// The window that holds the list answers its questions for the CPU column, as the page does.
const ProcessListView* shownView = nullptr;

LRESULT CALLBACK ListOwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == LVN_GETDISPINFOW && shownView) {
        shownView->OnGetDispInfo(*reinterpret_cast<NMLVDISPINFOW*>(lParam));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class ProcessListViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        WNDCLASSW owner = {};
        owner.lpfnWndProc = ListOwnerProc;
        owner.hInstance = GetModuleHandleW(nullptr);
        owner.lpszClassName = L"TLRTESTLISTOWNER";
        RegisterClassW(&owner);
        owner_.Reset(CreateWindowExW(0, L"TLRTESTLISTOWNER", L"", WS_POPUP, 0, 0, 520, 320, nullptr, nullptr,
                                     GetModuleHandleW(nullptr), nullptr));
        ASSERT_TRUE(owner_);
        list_.Reset(CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 0,
                                    0, 500, 300, owner_.Get(), nullptr, GetModuleHandleW(nullptr), nullptr));
        ASSERT_TRUE(list_);
        view_.Attach(list_.Get());
        shownView = &view_;
    }
    void TearDown() override { shownView = nullptr; }

    std::wstring Cell(int row, int column) const {
        wchar_t text[300] = {};
        LVITEMW item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = 300;
        SendMessageW(list_.Get(), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        return text;
    }
    int Rows() const { return static_cast<int>(SendMessageW(list_.Get(), LVM_GETITEMCOUNT, 0, 0)); }
    // The PID column, or the image name for a task, row by row.
    std::vector<std::wstring> Column(int column) const {
        std::vector<std::wstring> cells;
        for (int i = 0; i < Rows(); ++i) cells.push_back(Cell(i, column));
        return cells;
    }
    std::wstring SelectedPid() const {
        int known = view_.SelectedProcess();
        return known < 0 ? L"-" : std::to_wstring(model_.Entry(known).record.id);
    }
    // Every row of the list view carries the known position that the view has for it.
    void ExpectRowsMatchTheView() const {
        ASSERT_EQ(static_cast<size_t>(Rows()), view_.RowsInOrder().size());
        for (int row = 0; row < Rows(); ++row) {
            LVITEMW item = {};
            item.mask = LVIF_PARAM;
            item.iItem = row;
            SendMessageW(list_.Get(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
            EXPECT_EQ(item.lParam, view_.RowsInOrder()[static_cast<size_t>(row)]) << "row " << row;
            EXPECT_EQ(Cell(row, kPidColumn), std::to_wstring(model_.Entry(static_cast<int>(item.lParam)).record.id));
        }
    }
    void Select(int row) {
        LVITEMW state = {};
        state.stateMask = LVIS_SELECTED;
        state.state = LVIS_SELECTED;
        SendMessageW(list_.Get(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
    }

    FakeProcessCatalog catalog_;
    ProcessListModel model_{catalog_};
    ProcessListView view_{model_};
    UniqueWindow owner_;
    UniqueWindow list_;  // destroyed before its owner
};

}  // namespace

TEST_F(ProcessListViewTest, FillSortsByNameAndSelectsTheChosenProcess) {
    catalog_.Start(30, L"C:\\tools\\zeta.exe", kBitness32);
    catalog_.Start(10, L"C:\\apps\\alpha.exe", kBitness64, 3);
    catalog_.Start(20, L"D:\\mid.exe");
    view_.Fill(20, L"D:\\mid.exe");
    ASSERT_EQ(Rows(), 3);
    EXPECT_EQ(Column(kNameColumn), (std::vector<std::wstring>{L"alpha.exe", L"mid.exe", L"zeta.exe"}));
    EXPECT_EQ(Cell(0, kAttributeColumn), L"64bit 昇格");
    EXPECT_EQ(Cell(2, kAttributeColumn), L"32bit");
    EXPECT_EQ(Column(kPidColumn), (std::vector<std::wstring>{L"10", L"20", L"30"}));
    EXPECT_EQ(Column(kFolderColumn), (std::vector<std::wstring>{L"C:\\apps", L"D:\\", L"C:\\tools"}));
    EXPECT_EQ(SelectedPid(), L"20");
    EXPECT_EQ(view_.SortKey(), 1);

    // The same id with another path is another process: nothing is selected.
    view_.Fill(20, L"D:\\MID.EXE");
    EXPECT_EQ(SelectedPid(), L"-");
    view_.Fill(21, L"D:\\mid.exe");
    EXPECT_EQ(SelectedPid(), L"-");
}

TEST_F(ProcessListViewTest, RefreshAddsAndRemovesInPlaceAndKeepsTheSelection) {
    catalog_.Start(10, L"C:\\b.exe");
    catalog_.Start(20, L"C:\\d.exe");
    catalog_.Start(30, L"C:\\f.exe");
    view_.Fill(0, L"");
    Select(1);
    ASSERT_EQ(SelectedPid(), L"20");

    catalog_.Start(40, L"C:\\a.exe");
    catalog_.Start(50, L"C:\\e.exe");
    catalog_.End(30);
    view_.Refresh();
    EXPECT_EQ(Column(kNameColumn), (std::vector<std::wstring>{L"a.exe", L"b.exe", L"d.exe", L"e.exe"}));
    EXPECT_EQ(SelectedPid(), L"20");
    EXPECT_EQ(Column(kCpuColumn), (std::vector<std::wstring>{L"0", L"0", L"0", L"0"}));

    // The selected process ends: its row goes and nothing is selected.
    catalog_.End(20);
    view_.Refresh();
    EXPECT_EQ(Rows(), 3);
    EXPECT_EQ(SelectedPid(), L"-");
}

TEST_F(ProcessListViewTest, CpuColumnAndCpuSortFromOneReadPerRow) {
    catalog_.Start(10, L"C:\\idle.exe");
    catalog_.Start(20, L"C:\\busy.exe");
    catalog_.Start(30, L"C:\\some.exe");
    view_.Fill(0, L"");
    catalog_.cpu[20] = 20000000;  // two processors busy for the whole second
    catalog_.cpu[30] = 1250000;

    int reads = catalog_.cpuReads;
    view_.Refresh();
    EXPECT_EQ(catalog_.cpuReads - reads, 3);
    EXPECT_EQ(Column(kNameColumn), (std::vector<std::wstring>{L"busy.exe", L"idle.exe", L"some.exe"}));
    EXPECT_EQ(Column(kCpuColumn), (std::vector<std::wstring>{L"100", L"0", L"13"}));

    // First click on CPU: busiest first; second click: idlest first. One read per row each.
    reads = catalog_.cpuReads;
    view_.SortByColumn(kCpuColumn);
    EXPECT_EQ(catalog_.cpuReads - reads, 3);
    EXPECT_EQ(Column(kPidColumn), (std::vector<std::wstring>{L"20", L"30", L"10"}));
    view_.SortByColumn(kCpuColumn);
    EXPECT_EQ(view_.SortKey(), -5);
    EXPECT_EQ(Column(kPidColumn), (std::vector<std::wstring>{L"10", L"30", L"20"}));

    // While sorted by CPU a refresh reorders by the new values and reads each row once.
    catalog_.cpu[10] = 50000000;
    catalog_.cpu[20] = 0;
    reads = catalog_.cpuReads;
    view_.Refresh();
    EXPECT_EQ(catalog_.cpuReads - reads, 3);
    EXPECT_EQ(Column(kPidColumn), (std::vector<std::wstring>{L"20", L"30", L"10"}));
    EXPECT_EQ(Column(kCpuColumn), (std::vector<std::wstring>{L"0", L"13", L"100"}));
}

TEST_F(ProcessListViewTest, RowsOfEqualKeysStayWhereTheyAreAcrossRefreshes) {
    catalog_.Start(10, L"C:\\one\\same.exe");
    catalog_.Start(20, L"C:\\two\\same.exe");
    catalog_.Start(30, L"C:\\three\\same.exe");
    view_.Fill(0, L"");
    view_.SortByColumn(kAttributeColumn);
    std::vector<std::wstring> order = Column(kPidColumn);
    for (int i = 0; i < 4; ++i) {
        catalog_.Start(100 + i, L"C:\\new\\same.exe");
        view_.Refresh();
        std::vector<std::wstring> now = Column(kPidColumn);
        now.resize(order.size());
        EXPECT_EQ(now, order) << "refresh " << i;
    }
    view_.SortByColumn(kAttributeColumn);
    view_.SortByColumn(kAttributeColumn);
    std::vector<std::wstring> now = Column(kPidColumn);
    now.resize(order.size());
    EXPECT_EQ(now, order);
}

// A box shown during a sort runs the next tick: the refresh waits for the next tick, and
// the rows, their positions and the selection stay those of one list.
TEST_F(ProcessListViewTest, ATickDuringASortIsLeftToTheNextTick) {
    catalog_.Start(10, L"C:\\b.exe");
    catalog_.Start(20, L"C:\\c.exe");
    catalog_.Start(30, L"C:\\a.exe");
    view_.Fill(0, L"");
    Select(2);  // c.exe
    ASSERT_EQ(SelectedPid(), L"20");
    catalog_.Start(40, L"C:\\d.exe");
    bool ticked = false;
    catalog_.atNextCpuRead = [&] {
        ticked = true;
        view_.Refresh();
    };
    view_.SortByColumn(kCpuColumn);
    ASSERT_TRUE(ticked);
    EXPECT_EQ(Rows(), 3);  // nothing added or removed inside the sort
    ExpectRowsMatchTheView();
    EXPECT_EQ(SelectedPid(), L"20");

    view_.Refresh();
    EXPECT_EQ(Rows(), 4);
    ExpectRowsMatchTheView();
    EXPECT_EQ(SelectedPid(), L"20");
    EXPECT_EQ(view_.SortKey(), kCpuColumn + 1);
}

// A box shown during a refresh runs a column click: the list is sorted by it once the
// refresh is done, every row has had its CPU read, and two clicks on one column there
// turn its direction twice.
TEST_F(ProcessListViewTest, AColumnClickDuringARefreshSortsWhenItIsDone) {
    catalog_.Start(30, L"C:\\a.exe");
    catalog_.Start(10, L"C:\\c.exe");
    view_.Fill(0, L"");
    catalog_.Start(20, L"C:\\b.exe");
    catalog_.cpu[10] = 5000000;
    catalog_.cpu[20] = 2000000;
    catalog_.cpu[30] = 1000000;
    catalog_.atNextCpuRead = [&] { view_.SortByColumn(kPidColumn); };
    view_.Refresh();
    EXPECT_EQ(view_.SortKey(), kPidColumn + 1);
    EXPECT_EQ(Column(kPidColumn), (std::vector<std::wstring>{L"10", L"20", L"30"}));
    EXPECT_EQ(Column(kCpuColumn), (std::vector<std::wstring>{L"50", L"20", L"10"}));
    ExpectRowsMatchTheView();

    catalog_.Start(5, L"C:\\z.exe");
    catalog_.atNextCpuRead = [&] {
        view_.SortByColumn(kNameColumn);
        view_.SortByColumn(kNameColumn);
    };
    view_.Refresh();
    EXPECT_EQ(view_.SortKey(), -(kNameColumn + 1));
    EXPECT_EQ(Column(kNameColumn), (std::vector<std::wstring>{L"z.exe", L"c.exe", L"b.exe", L"a.exe"}));
    ExpectRowsMatchTheView();
}
