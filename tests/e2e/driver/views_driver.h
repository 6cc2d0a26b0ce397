// Reads and clicks list views and tree views of another process. Messages that carry
// pointers get buffers allocated in the target process (VirtualAllocEx) and read back
// with ReadProcessMemory; clicks are real mouse input (SendInput) on the window's pixels.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace e2e {

// Memory inside the process that owns a window, freed at the end of the scope.
class RemoteBuffer {
public:
    RemoteBuffer(HWND window, size_t bytes);
    ~RemoteBuffer();
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    explicit operator bool() const { return address_ != nullptr; }
    // The address as the target sees it, at an offset.
    void* At(size_t offset = 0) const { return static_cast<char*>(address_) + offset; }
    bool Write(const void* data, size_t bytes, size_t offset = 0);
    bool Read(void* data, size_t bytes, size_t offset = 0) const;

private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
};

// List view.
int ListRowCount(HWND list);
std::wstring ListCell(HWND list, int row, int column);
// Every row's cells, columns 0 to columns - 1.
std::vector<std::vector<std::wstring>> ListRows(HWND list, int columns);
// The first selected row, or -1.
int ListSelection(HWND list);
// The row whose cell in the column reads text, or -1.
int FindListRow(HWND list, int column, const std::wstring& text);
// Brings the top-level window of the list to the front and clicks the row (twice for a
// double click) in its first column.
bool ClickListRow(HWND list, int row, bool doubleClick = false);
// Clicks a column header.
bool ClickListHeader(HWND list, int column);

// Tree view.
struct TreeNode {
    HTREEITEM item = nullptr;
    std::wstring text;
    LPARAM data = 0;
    int image = -1;
    bool hasButton = false;  // cChildren
    bool expanded = false;
    bool selected = false;
    std::vector<TreeNode> children;
};
std::vector<TreeNode> ReadTree(HWND tree);
HTREEITEM TreeSelection(HWND tree);
// Selects an item as the keyboard would (TVM_SELECTITEM; the tree tells its owner).
bool SelectTreeItem(HWND tree, HTREEITEM item);
// The item's text rectangle on the screen, as far as the tree shows it.
bool TreeItemScreenRect(HWND tree, HTREEITEM item, RECT& rect);

// Brings a window to the front and clicks a point of the screen.
bool ClickScreen(HWND topLevel, POINT point, bool doubleClick = false);

}  // namespace e2e
