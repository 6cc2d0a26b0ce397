#include "driver/views_driver.h"

#include <cstdlib>

#include "driver/driver.h"
#include "driver/mouse_driver.h"

namespace e2e {

RemoteBuffer::RemoteBuffer(HWND window, size_t bytes) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (process_) address_ = VirtualAllocEx(process_, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

RemoteBuffer::~RemoteBuffer() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
}

bool RemoteBuffer::Write(const void* data, size_t bytes, size_t offset) {
    SIZE_T done = 0;
    return address_ && WriteProcessMemory(process_, At(offset), data, bytes, &done) && done == bytes;
}

bool RemoteBuffer::Read(void* data, size_t bytes, size_t offset) const {
    SIZE_T done = 0;
    return address_ && ReadProcessMemory(process_, At(offset), data, bytes, &done) && done == bytes;
}

namespace {

const size_t kTextChars = 1024;

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result)) return 0;
    return static_cast<LRESULT>(result);
}

// The top-level window that a click at the point reaches.
HWND TopLevelAt(POINT point) {
    HWND window = WindowFromPoint(point);
    return window ? GetAncestor(window, GA_ROOT) : nullptr;
}

}  // namespace

bool ClickScreen(HWND topLevel, POINT point, bool doubleClick) {
    // A click soon after the last one and near it would make a double click of both: the
    // next one is taken a little aside, out of the system's double-click rectangle.
    static DWORD lastClick = 0;
    static POINT lastPoint = {0, 0};
    if (!doubleClick && lastClick && GetTickCount() - lastClick <= GetDoubleClickTime() &&
        labs(point.x - lastPoint.x) <= GetSystemMetrics(SM_CXDOUBLECLK) &&
        labs(point.y - lastPoint.y) <= GetSystemMetrics(SM_CYDOUBLECLK))
        point.x = lastPoint.x + GetSystemMetrics(SM_CXDOUBLECLK) + 1;
    SetForegroundWindow(topLevel);
    SetWindowPos(topLevel, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (!WaitUntil([&] { return TopLevelAt(point) == topLevel; }, 5000)) return false;
    // Each press and release carries the point, as the driver's mouse input does.
    for (int i = 0; i < (doubleClick ? 2 : 1); ++i) {
        if (!MousePress(MouseButton::Left, point) || !MouseRelease(MouseButton::Left, point)) return false;
    }
    lastClick = GetTickCount();
    lastPoint = point;
    return true;
}

int ListRowCount(HWND list) {
    return static_cast<int>(Send(list, LVM_GETITEMCOUNT, 0, 0));
}

std::wstring ListCell(HWND list, int row, int column) {
    RemoteBuffer buffer(list, sizeof(LVITEMW) + kTextChars * sizeof(wchar_t));
    if (!buffer) return std::wstring();
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = static_cast<wchar_t*>(buffer.At(sizeof(LVITEMW)));
    item.cchTextMax = static_cast<int>(kTextChars);
    wchar_t empty = L'\0';
    buffer.Write(&item, sizeof(item));
    buffer.Write(&empty, sizeof(empty), sizeof(LVITEMW));
    Send(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(buffer.At()));
    std::vector<wchar_t> text(kTextChars + 1, L'\0');
    buffer.Read(text.data(), kTextChars * sizeof(wchar_t), sizeof(LVITEMW));
    return text.data();
}

std::vector<std::vector<std::wstring>> ListRows(HWND list, int columns) {
    std::vector<std::vector<std::wstring>> rows;
    int count = ListRowCount(list);
    for (int row = 0; row < count; ++row) {
        std::vector<std::wstring> cells;
        for (int column = 0; column < columns; ++column) cells.push_back(ListCell(list, row, column));
        rows.push_back(cells);
    }
    return rows;
}

int ListSelection(HWND list) {
    return static_cast<int>(Send(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

int FindListRow(HWND list, int column, const std::wstring& text) {
    int count = ListRowCount(list);
    for (int row = 0; row < count; ++row) {
        if (ListCell(list, row, column) == text) return row;
    }
    return -1;
}

bool ClickListRow(HWND list, int row, bool doubleClick) {
    Send(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    RemoteBuffer buffer(list, sizeof(RECT));
    RECT rect = {};
    rect.left = LVIR_LABEL;
    if (!buffer || !buffer.Write(&rect, sizeof(rect))) return false;
    if (!Send(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(buffer.At()))) return false;
    buffer.Read(&rect, sizeof(rect));
    POINT point = {rect.left + 8, (rect.top + rect.bottom) / 2};
    ClientToScreen(list, &point);
    return ClickScreen(GetAncestor(list, GA_ROOT), point, doubleClick);
}

bool ClickListHeader(HWND list, int column) {
    HWND header = reinterpret_cast<HWND>(Send(list, LVM_GETHEADER, 0, 0));
    if (!header) return false;
    RemoteBuffer buffer(header, sizeof(RECT));
    if (!buffer) return false;
    if (!Send(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(buffer.At())))
        return false;
    RECT rect = {};
    buffer.Read(&rect, sizeof(rect));
    POINT point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ClientToScreen(header, &point);
    return ClickScreen(GetAncestor(list, GA_ROOT), point);
}

namespace {

bool ReadTreeItem(HWND tree, HTREEITEM handle, TreeNode& node) {
    RemoteBuffer buffer(tree, sizeof(TVITEMW) + kTextChars * sizeof(wchar_t));
    if (!buffer) return false;
    TVITEMW item = {};
    item.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_CHILDREN | TVIF_STATE;
    item.hItem = handle;
    item.stateMask = TVIS_EXPANDED | TVIS_SELECTED;
    item.pszText = static_cast<wchar_t*>(buffer.At(sizeof(TVITEMW)));
    item.cchTextMax = static_cast<int>(kTextChars);
    buffer.Write(&item, sizeof(item));
    if (!Send(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(buffer.At()))) return false;
    buffer.Read(&item, sizeof(item));
    std::vector<wchar_t> text(kTextChars + 1, L'\0');
    buffer.Read(text.data(), kTextChars * sizeof(wchar_t), sizeof(TVITEMW));
    node.item = handle;
    node.text = text.data();
    node.data = item.lParam;
    node.image = item.iImage;
    node.hasButton = item.cChildren != 0;
    node.expanded = (item.state & TVIS_EXPANDED) != 0;
    node.selected = (item.state & TVIS_SELECTED) != 0;
    return true;
}

std::vector<TreeNode> ReadLevel(HWND tree, HTREEITEM first) {
    std::vector<TreeNode> nodes;
    for (HTREEITEM item = first; item;
         item = reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
        TreeNode node;
        if (!ReadTreeItem(tree, item, node)) break;
        HTREEITEM child =
            reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
        node.children = ReadLevel(tree, child);
        nodes.push_back(node);
    }
    return nodes;
}

}  // namespace

std::vector<TreeNode> ReadTree(HWND tree) {
    return ReadLevel(tree, reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)));
}

HTREEITEM TreeSelection(HWND tree) {
    return reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

bool SelectTreeItem(HWND tree, HTREEITEM item) {
    return Send(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)) != 0;
}

bool TreeItemScreenRect(HWND tree, HTREEITEM item, RECT& rect) {
    RemoteBuffer buffer(tree, sizeof(RECT));
    // On input the rectangle holds the item.
    if (!buffer || !buffer.Write(&item, sizeof(item))) return false;
    if (!Send(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(buffer.At()))) return false;
    buffer.Read(&rect, sizeof(rect));
    // The part that the tree shows.
    RECT client = {};
    GetClientRect(tree, &client);
    IntersectRect(&rect, &rect, &client);
    POINT corners[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
    MapWindowPoints(tree, nullptr, corners, 2);
    rect = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    return true;
}

}  // namespace e2e
