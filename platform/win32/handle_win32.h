#pragma once
// One owner for every kind of Win32 handle: it closes its handle exactly
// once, when it goes or takes another; it can be moved but not copied.
#include <windows.h>

#include <utility>

namespace kronvik {

template <typename Handle, auto Close, Handle kNone = Handle{}>
class Owned {
public:
    Owned() = default;
    explicit Owned(Handle handle) : handle_(handle) {}
    Owned(Owned&& other) noexcept : handle_(other.release()) {}
    Owned& operator=(Owned&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~Owned() { reset(); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != kNone; }
    Handle release() { return std::exchange(handle_, kNone); }
    void reset(Handle handle = kNone) {
        if (handle_ != kNone) Close(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = kNone;
};

using KernelHandle = Owned<HANDLE, CloseHandle>;
using Menu = Owned<HMENU, DestroyMenu>;
using Icon = Owned<HICON, DestroyIcon>;
using MemoryDc = Owned<HDC, DeleteDC>;

inline void ReleaseScreenDc(HDC dc) { ReleaseDC(nullptr, dc); }
// The screen's device context, GetDC(nullptr).
using ScreenDc = Owned<HDC, ReleaseScreenDc>;

}  // namespace kronvik
