#pragma once
// Desktop port: the foreground window and the captions of top-level windows of
// any process. Captions are UTF-16 exactly as the window holds them.
#include <cstdint>
#include <string>

namespace kronvik {

using WindowHandle = std::uintptr_t;

// What became of a caption sent to a window. What the window answered is not
// told: windows keep a text and say no, or say yes and keep nothing, so only
// the caption read afterwards tells what a window did.
//  Answered: the window's thread handled the text, or the system let nothing
//            through (a window of a program running with higher rights).
//  Retitled: the window no longer showed the caption the write was meant
//            for, or is gone, so nothing was sent.
//  Unknown:  no answer in time. A text the thread had not taken yet is
//            cancelled; one it had taken still completes, later. Which of
//            the two happened shows only once the window answers again.
enum class CaptionWrite { Answered, Retitled, Unknown };

class Desktop {
public:
    virtual ~Desktop() = default;
    virtual WindowHandle Foreground() = 0;
    // The thread that runs the window; 0 for a window that is gone. A handle
    // taken again by a new window comes back with that window's thread.
    virtual uint32_t Thread(WindowHandle window) = 0;
    // Asks the system, not the window, so a hung window cannot block the
    // read; empty for a window that is gone. Valid until the next call.
    virtual const std::u16string& ReadCaption(WindowHandle window) = 0;
    // Sends text only while the window still shows `shown`, and waits up to
    // wait_ms; a window the system already takes for hung is sent nothing.
    virtual CaptionWrite WriteCaption(WindowHandle window, const std::u16string& shown,
                                      const std::u16string& text, uint32_t wait_ms) = 0;
    // A message that does nothing, answered only after everything sent to the
    // window before it: true when the window's thread answered within wait_ms.
    // Answers gives up at once on a thread the system takes for hung;
    // AwaitAnswer waits for any.
    virtual bool Answers(WindowHandle window, uint32_t wait_ms) = 0;
    virtual bool AwaitAnswer(WindowHandle window, uint32_t wait_ms) = 0;
    // A monotonic count of milliseconds, to bound waits on other programs.
    virtual uint64_t Milliseconds() = 0;
    virtual void Flash(WindowHandle window, bool invert) = 0;
    // The simple beep (MessageBeep with all bits set); any thread.
    virtual void Beep() = 0;
};

}  // namespace kronvik
