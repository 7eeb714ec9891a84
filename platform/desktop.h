#pragma once
// Desktop port: the foreground window and the captions of top-level windows of
// any process. Captions are UTF-16 exactly as the window holds them.
#include <cstdint>
#include <string>

namespace kronvik {

using WindowHandle = std::uintptr_t;

// What became of a caption sent to a window.
//  Written:  the window's thread handled the text and said yes.
//  Refused:  it said no, or the system would not let the text through (a
//            window of a program running with higher rights).
//  Retitled: the window no longer showed the caption the write was meant
//            for, so nothing was sent.
//  Unknown:  no answer in time. A text the thread had not taken yet is
//            cancelled; one it had taken still completes, later. Which of
//            the two happened shows only once the window answers again.
enum class CaptionWrite { Written, Refused, Retitled, Unknown };

class Desktop {
public:
    virtual ~Desktop() = default;
    virtual WindowHandle Foreground() = 0;
    virtual bool Exists(WindowHandle window) = 0;
    // Asks the system, not the window, so a hung window cannot block the
    // read; empty for a window that is gone. Valid until the next call.
    virtual const std::u16string& ReadCaption(WindowHandle window) = 0;
    // Sends text only while the window still shows `shown`. Waits a few
    // hundred ms at most, and not at all for a window the system already
    // takes for hung (which is sent nothing).
    virtual CaptionWrite WriteCaption(WindowHandle window, const std::u16string& shown,
                                      const std::u16string& text) = 0;
    // A message that does nothing, answered only after everything sent to the
    // window before it: true when the window's thread answered. Answers waits
    // briefly and gives up at once on a window the system takes for hung;
    // AwaitAnswer waits up to wait_ms for any window.
    virtual bool Answers(WindowHandle window) = 0;
    virtual bool AwaitAnswer(WindowHandle window, uint32_t wait_ms) = 0;
    // A monotonic count of milliseconds, to bound waits on other programs.
    virtual uint64_t Milliseconds() = 0;
    virtual void Flash(WindowHandle window, bool invert) = 0;
    // The simple beep (MessageBeep with all bits set); any thread.
    virtual void Beep() = 0;
};

}  // namespace kronvik
