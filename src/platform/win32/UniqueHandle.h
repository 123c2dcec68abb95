#pragma once
// One owner for every kind of Win32 handle: movable, not copyable, closed by
// its destructor. A Closer names the handle's "nothing" value and how to
// close it:
//   struct Closer { static T Invalid() noexcept; static void Close(T) noexcept; };
#include <windows.h>

#include <utility>

template <class T, class Closer>
class UniqueHandle {
public:
    UniqueHandle() noexcept : handle_(Closer::Invalid()) {}
    explicit UniqueHandle(T handle) noexcept : handle_(handle) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    T get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Closer::Invalid(); }

    // Gives the handle up without closing it.
    T release() noexcept { return std::exchange(handle_, Closer::Invalid()); }
    void reset(T handle = Closer::Invalid()) noexcept {
        T old = std::exchange(handle_, handle);
        if (old != Closer::Invalid()) Closer::Close(old);
    }
    // For APIs that return the handle through an out parameter; closes what
    // was held first.
    T* put() noexcept {
        reset();
        return &handle_;
    }

private:
    T handle_;
};

// The common case: "nothing" is a null handle, one function closes it.
template <class T, auto CloseFn>
struct NullHandleCloser {
    static T Invalid() noexcept { return T{}; }
    static void Close(T handle) noexcept { CloseFn(handle); }
};

// Files and searches: "nothing" is INVALID_HANDLE_VALUE, not null.
template <auto CloseFn>
struct InvalidHandleCloser {
    static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) noexcept { CloseFn(handle); }
};

// Opened keys only: the predefined roots (HKEY_CURRENT_USER...) are never owned.
using UniqueHKey = UniqueHandle<HKEY, NullHandleCloser<HKEY, ::RegCloseKey>>;
using UniqueModule = UniqueHandle<HMODULE, NullHandleCloser<HMODULE, ::FreeLibrary>>;
using UniqueFile = UniqueHandle<HANDLE, InvalidHandleCloser<::CloseHandle>>;
using UniqueFind = UniqueHandle<HANDLE, InvalidHandleCloser<::FindClose>>;
// Processes, events and other kernel objects whose failure value is null.
using UniqueKernelHandle = UniqueHandle<HANDLE, NullHandleCloser<HANDLE, ::CloseHandle>>;
using UniqueHLocal = UniqueHandle<HLOCAL, NullHandleCloser<HLOCAL, ::LocalFree>>;
using UniqueServiceHandle = UniqueHandle<SC_HANDLE, NullHandleCloser<SC_HANDLE, ::CloseServiceHandle>>;
using UniqueHwnd = UniqueHandle<HWND, NullHandleCloser<HWND, ::DestroyWindow>>;
using UniqueHFont = UniqueHandle<HFONT, NullHandleCloser<HFONT, ::DeleteObject>>;
using UniqueHBrush = UniqueHandle<HBRUSH, NullHandleCloser<HBRUSH, ::DeleteObject>>;
using UniqueHMenu = UniqueHandle<HMENU, NullHandleCloser<HMENU, ::DestroyMenu>>;
