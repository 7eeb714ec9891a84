#pragma once
// The program's four top-level windows, created hidden once at start-up.
#include <windows.h>

#include <span>

#include "platform/win32/accessible_win32.h"
#include "platform/win32/barrier_win32.h"
#include "platform/win32/layout_win32.h"

namespace kronvik {

// Registers a window class (arrow cursor, button-face background, MAINICON)
// whose procedure runs behind the barrier.
template <WNDPROC Procedure>
void RegisterFormClass(HINSTANCE instance, const wchar_t* class_name) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = Barrier<Procedure>;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, L"MAINICON");
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = class_name;
    RegisterClassExW(&wc);
}

// A hidden top-level window whose client area has the given size. A window
// with an owner gets no taskbar button of its own.
HWND CreateForm(HINSTANCE instance, const wchar_t* class_name, const wchar_t* caption,
                DWORD style, DWORD ex_style, int client_width, int client_height,
                HWND owner = nullptr);

// Shows a dialog non-modally and brings it to the front; the first showing
// centres it, later ones leave it where the user put it.
void ShowDialog(HWND window, bool& shown_before);

// The first control within container that Tab would stop at: visible,
// enabled and a tab stop, in the order Tab goes; nullptr when there is none.
HWND FirstTabStop(HWND container);

// The tooltip window of a form, and a hint shown over one of its controls.
HWND CreateHints(HWND form);
void AddHint(HWND hints, HWND form, HWND control, const wchar_t* text);

// What the three dialogs share: a hidden form whose controls come from a
// layout table and answer screen readers, and one window procedure that
// answers colours and DPI changes, keeps the keyboard focus on a control and
// hands the dialog its commands, spin clicks and close box.
class FormView {
public:
    virtual ~FormView() = default;
    HWND Window() const { return window_; }

protected:
    struct Form {
        const wchar_t* class_name;
        const wchar_t* caption;
        DWORD style;
        DWORD ex_style;
        std::span<const ControlSpec> layout;
        std::span<const FormFont> fonts;
        SIZE client;  // 96-DPI pixels
        std::span<const AccessibleEntry> accessible;
    };
    // A window with an owner gets no taskbar button of its own.
    void MakeForm(HINSTANCE instance, const Form& form, HWND owner = nullptr);

    // A control's WM_COMMAND; true when the dialog handled it.
    virtual bool Command(int32_t id, UINT code) = 0;
    virtual void Spin(int32_t /*id*/, bool /*up*/) {}
    // The close box: hidden, never destroyed.
    virtual void Close() { ShowWindow(window_, SW_HIDE); }
    // Sees every message first; true, with its result, when it handled it.
    virtual bool Handle(UINT /*message*/, WPARAM /*wparam*/, LPARAM /*lparam*/, LRESULT& /*result*/) {
        return false;
    }

    HWND window_ = nullptr;
    FormLayout layout_;
    FormAccess access_;

private:
    // Activated, the form gives the focus back to the control that had it,
    // or to its first tab stop: never to itself, where nobody sees it.
    void Activated(bool active);

    HWND last_focus_ = nullptr;
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
};

}  // namespace kronvik
