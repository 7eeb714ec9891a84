#pragma once
// What the caption writer knows of one window, learned only from what the
// window was seen to show: its own title, what it does with a text it is
// given, and a write whose fate is still open. The writer writes only over a
// caption this record recognises, so another program's title is never
// overwritten with anything but its own clock line or itself.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/desktop.h"

namespace kronvik {

struct WindowCaption {
    WindowHandle window = 0;
    uint32_t thread = 0;     // a handle on another thread is another window
    std::u16string own;      // its title as it set it, without any text of ours
    std::u16string shows;    // what it was last seen to show
    // What it puts before and after any text it keeps (a frame its document),
    // learned from a text of ours it took and showed.
    std::u16string prefix, suffix;
    bool ours = false;       // `shows` is `sent` as the window took it
    bool missed = false;     // the last text sent was not taken
    std::u16string sent;
    std::u16string tail;     // "   <clock or appointment><marker>" as last taken
    // A write that got no answer: `pending` may still land over `before`;
    // `newer` is a title the window was seen to set meanwhile, before our
    // text was seen to land.
    bool unknown = false;
    bool seen_landed = false;
    std::u16string pending, before;
    std::optional<std::u16string> newer;
    int32_t misses = 0;      // captions given back in this minute that it did not take

    // Taken into the foreground afresh: `shown` is its own title, but for
    // the `left` characters at its end, a clock an earlier run left there.
    void Adopt(const std::u16string& shown, size_t left);
    // Looked at again: false when it set a title of its own meanwhile.
    bool Unchanged(const std::u16string& shown);
    // Still showing text of ours: its own title is owed.
    bool Owed() const { return unknown || shows != own; }
    // The text written before the clock and given back: its own title
    // without what it adds to any text itself.
    std::u16string_view Base() const;
    // The window answered the write of `text` over `shown_before` and now
    // shows `after`: true when it took the text.
    bool Took(const std::u16string& shown_before, const std::u16string& text, const std::u16string& after);
    // Whether it shows `text` already as it shows any text it takes (a frame
    // that switched to the document it showed it with).
    bool ShowsAsTaken(const std::u16string& text);
    // The write of `text` over `shown_before` got no answer; `now` is read.
    void Pending(const std::u16string& shown_before, const std::u16string& text, const std::u16string& now);
    // Read while that write waits.
    void SeenWhilePending(const std::u16string& shown);
    // The window answered again after that write.
    void Resolve(const std::u16string& shown);

private:
    std::u16string WithoutOurs(const std::u16string& shown) const;
    bool ShowsText(const std::u16string& shown, const std::u16string& text) const;
    bool Landed(const std::u16string& shown) const;
    void Retitle(const std::u16string& shown);
    bool Keep(const std::u16string& text, const std::u16string& after, size_t base);
};

}  // namespace kronvik
