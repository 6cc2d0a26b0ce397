// Small owners for system handles: each closes what it holds exactly once and cannot
// be copied. Move construction hands the handle on.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <commctrl.h>

#include <utility>

template <typename Traits>
class UniqueResource {
public:
    using Handle = typename Traits::Handle;
    UniqueResource() = default;
    explicit UniqueResource(Handle handle) : handle_(handle) {}
    UniqueResource(UniqueResource&& other) noexcept : handle_(other.Release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    ~UniqueResource() { Reset(); }

    Handle Get() const { return handle_; }
    bool IsValid() const { return Traits::IsValid(handle_); }
    explicit operator bool() const { return IsValid(); }
    Handle Release() {
        Handle handle = handle_;
        handle_ = Traits::Invalid();
        return handle;
    }
    // Closes the current handle; returns the close result (TRUE when nothing was held).
    BOOL Reset(Handle handle = Traits::Invalid()) {
        BOOL result = TRUE;
        if (Traits::IsValid(handle_)) result = Traits::Close(handle_);
        handle_ = handle;
        return result;
    }

private:
    Handle handle_ = Traits::Invalid();
};

struct KernelHandleTraits {  // process, thread, mutex, event, snapshot: null is invalid
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static BOOL Close(Handle h) { return CloseHandle(h); }
};
struct FileHandleTraits : KernelHandleTraits {  // CreateFile and snapshots fail with INVALID_HANDLE_VALUE
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
};
struct IconTraits {
    using Handle = HICON;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static BOOL Close(Handle h) { return DestroyIcon(h); }
};
struct CursorTraits {
    using Handle = HCURSOR;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static BOOL Close(Handle h) { return DestroyCursor(h); }
};
struct RegKeyTraits {
    using Handle = HKEY;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static BOOL Close(Handle h) { return RegCloseKey(h) == ERROR_SUCCESS; }
};
struct MemoryDcTraits {
    using Handle = HDC;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static BOOL Close(Handle h) { return DeleteDC(h); }
};
struct ModuleTraits {
    using Handle = HMODULE;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static BOOL Close(Handle h) { return FreeLibrary(h); }
};
struct WindowTraits {
    using Handle = HWND;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static BOOL Close(Handle h) { return DestroyWindow(h); }
};

struct HookTraits {
    using Handle = HHOOK;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static BOOL Close(Handle h) { return UnhookWindowsHookEx(h); }
};
struct ImageListTraits {
    using Handle = HIMAGELIST;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static BOOL Close(Handle h) { return ImageList_Destroy(h); }
};

struct MappedViewTraits {  // MapViewOfFile
    using Handle = void*;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static BOOL Close(Handle h) { return UnmapViewOfFile(h); }
};

using UniqueHandle = UniqueResource<KernelHandleTraits>;
using UniqueFile = UniqueResource<FileHandleTraits>;
using UniqueIcon = UniqueResource<IconTraits>;
using UniqueCursor = UniqueResource<CursorTraits>;
using UniqueRegKey = UniqueResource<RegKeyTraits>;
using UniqueMemoryDc = UniqueResource<MemoryDcTraits>;
using UniqueModule = UniqueResource<ModuleTraits>;
using UniqueWindow = UniqueResource<WindowTraits>;
using UniqueHook = UniqueResource<HookTraits>;
using UniqueImageList = UniqueResource<ImageListTraits>;
using UniqueMappedView = UniqueResource<MappedViewTraits>;

// Any GDI object (bitmap, brush, pen, font, region).
template <typename T>
class UniqueGdi {
public:
    UniqueGdi() = default;
    explicit UniqueGdi(T object) : object_(object) {}
    UniqueGdi(UniqueGdi&& other) noexcept : object_(other.Release()) {}
    UniqueGdi& operator=(UniqueGdi&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueGdi(const UniqueGdi&) = delete;
    UniqueGdi& operator=(const UniqueGdi&) = delete;
    ~UniqueGdi() { Reset(); }
    T Get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    T Release() {
        T object = object_;
        object_ = nullptr;
        return object;
    }
    BOOL Reset(T object = nullptr) {
        BOOL result = TRUE;
        if (object_) result = DeleteObject(object_);
        object_ = object;
        return result;
    }

private:
    T object_ = nullptr;
};

// A window's device context from GetDC (null window: the screen), released on scope exit.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() { Release(); }
    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }
    // Returns the ReleaseDC result (1 when released; 1 when nothing was held).
    int Release() {
        int result = 1;
        if (dc_) result = ReleaseDC(window_, dc_);
        dc_ = nullptr;
        return result;
    }

private:
    HWND window_;
    HDC dc_;
};

// Selects an object into a device context and selects the previous one back on scope exit.
class SelectionScope {
public:
    SelectionScope(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    SelectionScope(const SelectionScope&) = delete;
    SelectionScope& operator=(const SelectionScope&) = delete;
    ~SelectionScope() {
        if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A COM interface pointer, released on scope exit.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(ComPtr&& other) noexcept : ptr_(other.ptr_) { other.ptr_ = nullptr; }
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            ptr_ = other.ptr_;
            other.ptr_ = nullptr;
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { Reset(); }
    T* Get() const { return ptr_; }
    T* operator->() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }
    // Address for an out-parameter; releases what was held first.
    T** Put() {
        Reset();
        return &ptr_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    void Reset() {
        if (ptr_) ptr_->Release();
        ptr_ = nullptr;
    }

private:
    T* ptr_ = nullptr;
};

// OLE for the roads that use it: the wizard (shell links, files dropped on an edit box),
// the shell's "runas" and "open", and the media action's audio interfaces. Initialised on
// this thread before its first use, once however often it is asked for, and given back
// when the owner ends: start-up owns it, so it lasts until after the action. A road that
// only refuses its start never loads it.
class OleOnDemand {
public:
    OleOnDemand() = default;
    OleOnDemand(const OleOnDemand&) = delete;
    OleOnDemand& operator=(const OleOnDemand&) = delete;
    ~OleOnDemand() {
        if (initialised_) OleUninitialize();
    }
    void Ensure() {
        if (!initialised_) initialised_ = SUCCEEDED(OleInitialize(nullptr));
    }

private:
    bool initialised_ = false;
};
