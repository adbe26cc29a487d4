#pragma once
#include <windows.h>

#include <utility>

namespace install {

// Owns one kernel handle and closes it once. Creation functions that fail
// return either NULL or INVALID_HANDLE_VALUE; both count as empty.
class unique_handle {
  public:
    unique_handle() = default;
    explicit unique_handle(HANDLE h) : h_(h) {}
    unique_handle(unique_handle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    unique_handle& operator=(unique_handle&& o) noexcept {
        reset(std::exchange(o.h_, nullptr));
        return *this;
    }
    ~unique_handle() { reset(); }

    HANDLE get() const { return h_; }
    HANDLE release() { return std::exchange(h_, nullptr); }
    explicit operator bool() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
    void reset(HANDLE h = nullptr) {
        if (*this) CloseHandle(h_);
        h_ = h;
    }

  private:
    HANDLE h_ = nullptr;
};

} // namespace install
