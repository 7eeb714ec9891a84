#include "display/window_caption.h"

namespace kronvik {

void WindowCaption::Adopt(const std::u16string& shown, size_t left) {
    own = shown.substr(0, shown.size() - left);
    shows = shown;
    tail = shown.substr(own.size());
    // A clock left behind is text of ours: written over and given back.
    ours = left != 0;
    sent = shown;
}

bool WindowCaption::Unchanged(const std::u16string& shown) {
    if (shown == shows) return true;
    Retitle(shown);
    return false;
}

std::u16string_view WindowCaption::Base() const {
    std::u16string_view base = own;
    if (!prefix.empty() && base.starts_with(prefix)) base.remove_prefix(prefix.size());
    if (!suffix.empty() && base.ends_with(suffix)) base.remove_suffix(suffix.size());
    return base;
}

// Exactly the text, or the text with something before or after it, or its
// beginning cut short: taken. What it showed before: refused. Anything else
// is a title of its own.
bool WindowCaption::Took(const std::u16string& shown_before, const std::u16string& text,
                         const std::u16string& after) {
    const size_t base = Base().size();
    missed = after == shown_before || !ShowsText(after, text);
    if (missed) {
        ++misses;
        if (after != shown_before) Retitle(after);
        return false;
    }
    if (const size_t at = after.find(text); at != std::u16string::npos) {
        prefix = after.substr(0, at);
        suffix = after.substr(at + text.size());
    }
    return Keep(text, after, base);
}

// The text whole, with something around it, or cut short but longer than
// the title before our text; an empty one with only what the window adds.
bool WindowCaption::ShowsText(const std::u16string& shown, const std::u16string& text) const {
    if (text.empty()) return shown == prefix + suffix;
    return shown.find(text) != std::u16string::npos || (shown.size() > Base().size() && text.starts_with(shown));
}

bool WindowCaption::Keep(const std::u16string& text, const std::u16string& after, size_t base) {
    missed = false;
    // A caption given back that shows as its own title leaves nothing of ours.
    ours = after != own;
    sent = text;
    shows = after;
    if (text.size() > base) tail = text.substr(base);
    return true;
}

// Its title is what it shows with our text taken out, wherever it stands.
std::u16string WindowCaption::WithoutOurs(const std::u16string& shown) const {
    std::u16string title = shown;
    if (const size_t at = tail.empty() ? std::u16string::npos : title.find(tail); at != std::u16string::npos)
        title.erase(at, tail.size());
    return title;
}

void WindowCaption::Retitle(const std::u16string& shown) {
    own = WithoutOurs(shown);
    shows = shown;
    ours = false;
}

bool WindowCaption::ShowsAsTaken(const std::u16string& text) {
    if (shows != prefix + text + suffix) return false;
    ours = true;
    missed = false;
    sent = text;
    return true;
}

void WindowCaption::Pending(const std::u16string& shown_before, const std::u16string& text,
                            const std::u16string& now) {
    unknown = true;
    pending = text;
    before = shown_before;
    newer.reset();
    seen_landed = false;
    SeenWhilePending(now);
}

// Our clock may show with what the window adds to it; the title given back
// shows only as it is known to show, since a newer title often contains the
// older one.
bool WindowCaption::Landed(const std::u16string& shown) const {
    if (pending.size() != Base().size()) return ShowsText(shown, pending);
    return shown == pending || shown == prefix + pending + suffix;
}

// A title seen after our text was seen to land is the window's own, later
// than ours.
void WindowCaption::SeenWhilePending(const std::u16string& shown) {
    if (Landed(shown)) {
        seen_landed = true;
    } else if (shown != before) {
        newer.reset();
        if (!seen_landed) newer = WithoutOurs(shown);
    }
}

// Our text did not land or was replaced since: what the window shows is its
// own. It landed over a title the window set after we had read it: that
// title is its own, and our text built from the older one is replaced.
void WindowCaption::Resolve(const std::u16string& shown) {
    unknown = false;
    if (!Landed(shown)) {
        missed = true;
        ++misses;
        if (shown != before) Retitle(shown);
        return;
    }
    Took(before, pending, shown);
    if (!newer) return;
    own = *newer;
    ours = true;
}

}  // namespace kronvik
