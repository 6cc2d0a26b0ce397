#include "app/shell_folder.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "app/handles.h"
#include "app/message_box.h"

WideString ShellFolderPath(int csidl) {
    if (csidl == kCurrentFolder) {
        DWORD length = GetCurrentDirectoryW(0, nullptr);
        std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
        if (length == 0 || GetCurrentDirectoryW(length + 1, buffer.data()) == 0) {
            ReportLastError(FALSE, "GetCurrentDirectory");
            return WideString();
        }
        return WideString(buffer.data());
    }
    ComPtr<IMalloc> allocator;
    if (ReportHResult(SHGetMalloc(allocator.Put()), "SHGetMalloc Error") < 0) return WideString();
    PIDLIST_ABSOLUTE items = nullptr;
    if (ReportHResult(SHGetSpecialFolderLocation(nullptr, csidl, &items), "SHGetSpecialFolderLocation") < 0)
        return WideString();
    wchar_t path[MAX_PATH] = {};
    BOOL found = ReportLastError(SHGetPathFromIDListW(items, path), "SHGetPathFromIDList");
    allocator->Free(items);
    return found ? WideString(path) : WideString();
}
