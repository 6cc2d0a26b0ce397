#include "wizard/shortcut.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include "app/handles.h"
#include "app/message_box.h"
#include "app/paths.h"
#include "wizard/named_setting.h"

WideString SpecialFolderPath(int csidl) {
    if (csidl == -1) {
        wchar_t directory[MAX_PATH + 1] = {};
        DWORD length = GetCurrentDirectoryW(MAX_PATH, directory);
        ReportLastError(length != 0 && length < MAX_PATH, "GetCurrentDirectory");
        return (length != 0 && length < MAX_PATH) ? WideString(directory) : WideString();
    }
    ComPtr<IMalloc> allocator;
    if (ReportHResult(SHGetMalloc(allocator.Put()), "SHGetMalloc Error") < 0) return WideString();
    LPITEMIDLIST items = nullptr;
    if (ReportHResult(SHGetSpecialFolderLocation(nullptr, csidl, &items), "SHGetSpecialFolderLocation") < 0)
        return WideString();
    wchar_t path[MAX_PATH] = {};
    BOOL found = ReportLastError(SHGetPathFromIDListW(items, path), "SHGetPathFromIDList");
    allocator->Free(items);
    return found ? WideString(path) : WideString();
}

bool CreateProgramShortcut(const WideString& programPath, const WideString& linkPath, const WideString& arguments) {
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.PutVoid())))
        return false;
    WideString folder = ShortcutWorkingDirectory(programPath);
    if (FAILED(link->SetWorkingDirectory(folder.c_str()))) return false;
    if (FAILED(link->SetPath(programPath.c_str()))) return false;
    if (FAILED(link->SetArguments(arguments.c_str()))) return false;
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.PutVoid()))) return false;
    return SUCCEEDED(file->Save(linkPath.c_str(), TRUE));
}
