#include "app/system_library.h"

#include <vector>

#include "app/message_box.h"
#include "app/paths.h"

namespace {

// Whether LoadLibraryExW takes LOAD_LIBRARY_SEARCH_SYSTEM32: Windows 8 and later, and
// Windows 7 with its loader update, which also brought SetDefaultDllDirectories.
bool HasSearchFlags() {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    return kernel && GetProcAddress(kernel, "SetDefaultDllDirectories") != nullptr;
}

}  // namespace

WideString SystemLibraryPath(const wchar_t* name) {
    std::vector<wchar_t> folder(MAX_PATH, L'\0');
    UINT length = GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
    if (length >= folder.size()) {
        folder.assign(length + 1, L'\0');
        length = GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
    }
    if (length == 0 || length >= folder.size()) return WideString();
    return JoinPath(WideString(folder.data()), name);
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
    WideString path = SystemLibraryPath(name);
    if (path.IsEmpty()) return nullptr;
    // Without the search flag, a full path with the altered search order makes the
    // library's own folder, the system folder, the first place for what it imports.
    DWORD flags = HasSearchFlags() ? LOAD_LIBRARY_SEARCH_SYSTEM32 : LOAD_WITH_ALTERED_SEARCH_PATH;
    return LoadLibraryExW(path.c_str(), nullptr, flags);
}

SystemLibrary::SystemLibrary(const wchar_t* name) : module_(LoadSystemLibrary(name)) {
    if (!module_) {
        loadError_ = GetLastError();
        if (loadError_ == ERROR_SUCCESS) loadError_ = ERROR_MOD_NOT_FOUND;
    }
}

FARPROC SystemLibrary::Lookup(const char* function, DWORD* error) const {
    if (!module_) {
        *error = loadError_;
        return nullptr;
    }
    FARPROC address = GetProcAddress(module_.Get(), function);
    *error = address ? ERROR_SUCCESS : ERROR_PROC_NOT_FOUND;
    return address;
}

FARPROC SystemLibrary::Find(const char* function) const {
    DWORD error = ERROR_SUCCESS;
    FARPROC address = Lookup(function, &error);
    if (!address) ReportErrorCode(static_cast<long>(error), function);
    return address;
}
