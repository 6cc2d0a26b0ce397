// Libraries of the system that the programs do not import: the media (winmm, msvfw32),
// the power scheme (powrprof) and the 16-bit tasks (vdmdbg). Windows searches the
// program's own folder first for a library that a program imports and that is not one of
// its known DLLs, so a file of the same name beside the program would run inside it. These
// are loaded at run time by their full path in the system folder instead, and their
// functions are looked up by name.
#pragma once

#include <windows.h>

#include "app/handles.h"
#include "app/wide_string.h"

// The library's full path in the system folder; empty when the folder cannot be read.
WideString SystemLibraryPath(const wchar_t* name);

// Loads a library of the system by its full path; what it needs in turn also comes from
// the system folder. Null when it cannot be loaded, the reason in GetLastError.
HMODULE LoadSystemLibrary(const wchar_t* name);

// One library of the system for the life of its owner.
class SystemLibrary {
public:
    explicit SystemLibrary(const wchar_t* name);
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;

    bool IsLoaded() const { return module_.IsValid(); }

    // The address of an exported function, or null with the reason in *error:
    // ERROR_MOD_NOT_FOUND or another load error when the library did not load,
    // ERROR_PROC_NOT_FOUND when it has no such function. For functions that return an
    // error code of their own: the caller reports *error as that call's failure.
    FARPROC Lookup(const char* function, DWORD* error) const;
    // The same for a function whose failure the caller does not report by its code: a
    // function that cannot be found shows "<function> Error Code =<reason>" and gives null.
    FARPROC Find(const char* function) const;

    template <typename Function>
    Function LookupAs(const char* function, DWORD* error) const {
        return reinterpret_cast<Function>(Lookup(function, error));
    }
    template <typename Function>
    Function FindAs(const char* function) const {
        return reinterpret_cast<Function>(Find(function));
    }

private:
    UniqueModule module_;
    DWORD loadError_ = ERROR_SUCCESS;
};
