#pragma once
// What the caption writer knows of one window: its own title, the text of
// ours it shows, and whether a write to it is still unsettled. The writer
// writes only over a caption this record recognises, so another program's
// title is never overwritten with anything but its own clock line.
#include <string>

#include "platform/desktop.h"

namespace kronvik {

struct WindowCaption {
    enum class State {
        Clean,    // shows a title of its own and nothing of ours
        Clocked,  // shows `written` followed by `addition`: a text of ours it took
        Unknown,  // a write did not finish: nothing more is sent until it answers
    };

    WindowHandle window = 0;
    State state = State::Clean;
    std::u16string own;       // its title as it shows it by itself
    std::u16string written;   // the text of ours it last took; empty when none is there
    std::u16string addition;  // what it adds to any text it is given (a frame its document)
    std::u16string sent;      // Unknown: the text that may or may not land
    bool sent_back = false;   // Unknown: that text was its own caption given back

    // Takes what the window shows as its own title.
    void Adopt(const std::u16string& shown);
    // Whether the window shows text of ours. A frame that switched documents
    // shows our text with another addition: the new one replaces the old,
    // in its own title too.
    bool ShowsOurs(const std::u16string& shown);
    // The text to give back: the window adds its addition again itself.
    std::u16string OwnToGiveBack() const;
    // The window said yes to `text` and now shows `shown`.
    void Took(const std::u16string& text, const std::u16string& shown);
    // The window answered again after a write that did not finish: whatever
    // it had taken has landed and the rest was cancelled, so `shown` tells
    // which.
    void Resolve(const std::u16string& shown);

private:
    bool ShowsWritten(const std::u16string& shown) const;
    void Learn(const std::u16string& text, const std::u16string& shown);
    void SwitchAddition(std::u16string next);
};

}  // namespace kronvik
