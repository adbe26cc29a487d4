// Owns one Win32 handle and closes it exactly once, whatever path leaves the
// scope.
#pragma once

#include <windows.h>

#include <utility>

namespace win32 {

// `Close` is called with the handle unless it equals `Invalid`.
template <class Handle, auto Close, Handle Invalid = Handle{}> class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Invalid; }
    Handle release() { return std::exchange(handle_, Invalid); }
    void reset(Handle handle = Invalid) {
        if (handle_ != Invalid) Close(handle_);
        handle_ = handle;
    }

  private:
    Handle handle_ = Invalid;
};

} // namespace win32

namespace win32 {

// A kernel object. Creation calls that fail return NULL, but for the file
// calls, which return INVALID_HANDLE_VALUE: take those through fileHandle().
using KernelHandle = UniqueHandle<HANDLE, CloseHandle>;

inline KernelHandle fileHandle(HANDLE handle) {
    return KernelHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

} // namespace win32
