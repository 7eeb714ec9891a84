#include "display/window_caption.h"

#include <utility>

namespace kronvik {

void WindowCaption::Adopt(const std::u16string& shown) {
    state = State::Clean;
    own = shown;
    written.clear();
}

bool WindowCaption::ShowsWritten(const std::u16string& shown) const {
    return !written.empty() && shown.size() == written.size() + addition.size() &&
           shown.starts_with(written) && shown.ends_with(addition);
}

bool WindowCaption::ShowsOurs(const std::u16string& shown) {
    if (written.empty() || !shown.starts_with(written)) return false;
    if (shown.size() - written.size() != addition.size() || !shown.ends_with(addition))
        SwitchAddition(shown.substr(written.size()));
    return true;
}

std::u16string WindowCaption::OwnToGiveBack() const {
    if (addition.empty() || !own.ends_with(addition)) return own;
    return own.substr(0, own.size() - addition.size());
}

void WindowCaption::Took(const std::u16string& text, const std::u16string& shown) {
    // Not what it was given: it put a title of its own in place at once.
    if (!shown.starts_with(text)) return Adopt(shown);
    Learn(text, shown);
}

void WindowCaption::Resolve(const std::u16string& shown) {
    if (sent_back) {
        if (ShowsOurs(shown)) {
            state = State::Clocked;
        } else {
            Adopt(shown);
        }
        return;
    }
    // What it showed before is checked first: the text sent may be a
    // beginning of it (the clock without the marker of a synchronisation that
    // has ended), and the rest is no addition of the window's.
    if (ShowsWritten(shown)) {
        state = State::Clocked;
    } else if (shown.starts_with(sent)) {
        Learn(sent, shown);
    } else if (ShowsOurs(shown)) {
        state = State::Clocked;
    } else {
        Adopt(shown);
    }
}

void WindowCaption::Learn(const std::u16string& text, const std::u16string& shown) {
    state = State::Clocked;
    written = text;
    if (shown.size() - text.size() != addition.size() || !shown.ends_with(addition))
        SwitchAddition(shown.substr(text.size()));
}

void WindowCaption::SwitchAddition(std::u16string next) {
    if (!addition.empty() && own.ends_with(addition)) {
        own.resize(own.size() - addition.size());
        own += next;
    }
    addition = std::move(next);
}

}  // namespace kronvik
