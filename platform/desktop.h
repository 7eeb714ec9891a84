#pragma once
// Desktop port: the foreground window and the captions of top-level windows of
// any process. Captions are UTF-16 exactly as the window holds them.
#include <cstdint>
#include <string>

namespace kronvik {

using WindowHandle = std::uintptr_t;

// What became of a caption written into a window. Pending: the window is
// busy and has not taken the text yet; it still waits in the window's queue
// and lands, in order, when the window answers again.
enum class CaptionWrite { Written, Refused, Pending };

class Desktop {
public:
    virtual ~Desktop() = default;
    virtual WindowHandle Foreground() = 0;
    // Empty for a null or destroyed window. Never blocks on the window's thread.
    // The text stays valid until the next call.
    virtual const std::u16string& ReadCaption(WindowHandle window) = 0;
    // Bounded: a window that does not answer within a few hundred ms is given up on.
    virtual CaptionWrite WriteCaption(WindowHandle window, const std::u16string& caption) = 0;
    virtual void Flash(WindowHandle window, bool invert) = 0;
    // The simple beep (MessageBeep with all bits set); any thread.
    virtual void Beep() = 0;
};

}  // namespace kronvik
