#include "platform/win32/edit_limit_win32.h"

#include <commctrl.h>

#include <string>

#include "platform/cp932.h"
#include "platform/win32/barrier_win32.h"

namespace kronvik {
namespace {

constexpr UINT_PTR kSubclassId = 0x4B56;  // one limit per edit control

std::u16string EditText(HWND edit) {
    std::u16string text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, u'\0');
    const int length =
        GetWindowTextW(edit, reinterpret_cast<wchar_t*>(text.data()), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return text;
}

bool ChangesText(UINT message) {
    switch (message) {
    case WM_CHAR:
    case WM_IME_CHAR:
    case WM_IME_COMPOSITION:
    case WM_PASTE:
    case EM_REPLACESEL:
    case WM_UNDO:
    case EM_UNDO:
        return true;
    default:
        return false;
    }
}

// Cuts what the message inserted to what fits: the text before and after the
// selection stay, the insertion keeps its beginning.
void Fit(HWND edit, const std::u16string& before, DWORD sel_start, DWORD sel_end,
         std::size_t max_bytes) {
    const std::u16string after = EditText(edit);
    if (Cp932Bytes(after) <= max_bytes) return;
    MessageBeep(MB_OK);
    const std::size_t start = sel_start <= before.size() ? sel_start : before.size();
    const std::size_t end = sel_end <= before.size() && sel_end >= start ? sel_end : start;
    const std::u16string head = before.substr(0, start);
    const std::u16string tail = before.substr(end);
    const bool framed = after.size() >= head.size() + tail.size() &&
                        after.compare(0, head.size(), head) == 0 &&
                        after.compare(after.size() - tail.size(), tail.size(), tail) == 0;
    std::u16string inserted;
    if (framed) inserted = after.substr(head.size(), after.size() - head.size() - tail.size());
    const std::size_t room =
        max_bytes > Cp932Bytes(head) + Cp932Bytes(tail) ? max_bytes - Cp932Bytes(head) - Cp932Bytes(tail) : 0;
    std::u16string fitted = head;
    fitted += Cp932Prefix(inserted, room);
    const auto caret = static_cast<WPARAM>(fitted.size());
    fitted += tail;
    // Text that was over the limit before the message (set by the program)
    // is left as it was.
    if (Cp932Bytes(fitted) > max_bytes) fitted = before;
    SetWindowTextW(edit, reinterpret_cast<const wchar_t*>(fitted.c_str()));
    SendMessageW(edit, EM_SETSEL, caret, static_cast<LPARAM>(caret));
}

LRESULT CALLBACK LimitProc(HWND edit, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                           DWORD_PTR max_bytes) {
    if (message == WM_NCDESTROY) RemoveWindowSubclass(edit, Barrier<LimitProc>, kSubclassId);
    if (!ChangesText(message)) return DefSubclassProc(edit, message, wparam, lparam);
    const std::u16string before = EditText(edit);
    DWORD sel_start = 0;
    DWORD sel_end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&sel_start), reinterpret_cast<LPARAM>(&sel_end));
    const LRESULT result = DefSubclassProc(edit, message, wparam, lparam);
    Fit(edit, before, sel_start, sel_end, static_cast<std::size_t>(max_bytes));
    return result;
}

}  // namespace

void LimitEditBytes(HWND edit, std::size_t max_bytes) {
    SetWindowSubclass(edit, Barrier<LimitProc>, kSubclassId, static_cast<DWORD_PTR>(max_bytes));
}

}  // namespace kronvik
