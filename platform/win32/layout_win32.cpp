#include "platform/win32/layout_win32.h"

#include <commctrl.h>

#include "platform/win32/barrier_win32.h"
#include "platform/win32/contrast_win32.h"
#include "platform/win32/dpi_win32.h"
#include "platform/win32/forms_win32.h"
#include "platform/win32/win32_text.h"

namespace kronvik {

namespace {

constexpr wchar_t kPanelClass[] = L"KronvikPanel";

struct WindowKind {
    const wchar_t* class_name;
    DWORD style;
    DWORD ex_style;
};

WindowKind ButtonKindOf(const ControlSpec& entry) {
    switch (entry.kind) {
    case ControlKind::RadioButton:
        // Tab stops at a group's first choice; the arrow keys move within it.
        return {L"BUTTON", static_cast<DWORD>(BS_AUTORADIOBUTTON | ((entry.flags & kGroupStart) ? WS_TABSTOP : 0)), 0};
    case ControlKind::CheckBox:
        return {L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0};
    case ControlKind::SpeedButton:
        // A push-like radio stays down and releases the others of its group;
        // a flat one is drawn by the form.
        if (entry.flags & kPushLike) return {L"BUTTON", BS_AUTORADIOBUTTON | BS_PUSHLIKE | WS_TABSTOP, 0};
        if (entry.flags & kFlat) return {L"BUTTON", BS_OWNERDRAW | WS_TABSTOP, 0};
        return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
    default:
        return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
    }
}

WindowKind KindOf(const ControlSpec& entry) {
    const bool notify = (entry.flags & kNotify) != 0;
    switch (entry.kind) {
    case ControlKind::Label: {
        DWORD align = SS_LEFT;
        if (entry.flags & kAlignRight) align = SS_RIGHT;
        if (entry.flags & kAlignCenter) align = SS_CENTER;
        // A label always takes its clicks, so a click on it never reaches a
        // picture underneath.
        return {L"STATIC", align | SS_NOPREFIX | SS_NOTIFY, 0};
    }
    case ControlKind::Edit:
        return {L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlKind::Button:
    case ControlKind::RadioButton:
    case ControlKind::CheckBox:
    case ControlKind::SpeedButton:
        return ButtonKindOf(entry);
    case ControlKind::CSpinButton:
        // A tab stop: the arrow keys step the number it changes (SpinProc).
        return {UPDOWN_CLASSW, WS_TABSTOP, 0};
    case ControlKind::GroupBox:
        return {L"BUTTON", BS_GROUPBOX, WS_EX_CONTROLPARENT};
    case ControlKind::Panel:
        // A title panel only shows its text.
        if (entry.flags & kTealTitle) return {L"STATIC", SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, 0};
        return {kPanelClass, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
    case ControlKind::TabPage:
        return {kPanelClass, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
    case ControlKind::Image: {
        const DWORD centre = (entry.flags & kCentreImage) ? SS_CENTERIMAGE : 0;
        return {L"STATIC", static_cast<DWORD>(SS_BITMAP | centre | (notify ? SS_NOTIFY : 0)), 0};
    }
    case ControlKind::PageControl:
        return {WC_TABCONTROLW, TCS_HOTTRACK | WS_CLIPSIBLINGS | WS_TABSTOP, 0};
    }
    return {L"STATIC", 0, 0};
}

// Messages that the children of a container send upwards go to the form.
bool ForwardedToForm(UINT message) {
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_DRAWITEM:
    case WM_VSCROLL:
        return true;
    default:
        return false;
    }
}

LRESULT CALLBACK GroupBoxProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                              DWORD_PTR) {
    if (message == WM_NCDESTROY) RemoveWindowSubclass(window, Barrier<GroupBoxProc>, 1);
    if (ForwardedToForm(message)) return SendMessageW(GetAncestor(window, GA_ROOT), message, wparam, lparam);
    return DefSubclassProc(window, message, wparam, lparam);
}

// A spin takes the arrow keys from the dialog's navigation and shows that it
// has the focus, which the system's spin does not. Up and Down step it as a
// click on an arrow does; the spin's own key handling is left out, since
// Wine's steps down once more when the mouse rests on the spin.
LRESULT CALLBACK SpinProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
    switch (message) {
    case WM_NCDESTROY:
        RemoveWindowSubclass(window, Barrier<SpinProc>, 1);
        break;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_KEYDOWN: {
        if (wparam != VK_UP && wparam != VK_DOWN) break;
        NMUPDOWN step{};
        step.hdr.hwndFrom = window;
        step.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(window));
        step.hdr.code = UDN_DELTAPOS;
        step.iDelta = wparam == VK_UP ? 1 : -1;
        SendMessageW(GetParent(window), WM_NOTIFY, step.hdr.idFrom, reinterpret_cast<LPARAM>(&step));
        return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(window, nullptr, FALSE);
        break;
    case WM_PAINT: {
        const LRESULT result = DefSubclassProc(window, message, wparam, lparam);
        if (GetFocus() == window) {
            RECT rect;
            GetClientRect(window, &rect);
            InflateRect(&rect, -1, -1);
            const HDC dc = GetDC(window);
            DrawFocusRect(dc, &rect);
            ReleaseDC(window, dc);
        }
        return result;
    }
    default:
        break;
    }
    return DefSubclassProc(window, message, wparam, lparam);
}

std::wstring WindowText(HWND control) {
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), length + 1)));
    return text;
}

SIZE TextSize(HFONT font, const std::wstring& text) {
    const ScreenDc dc(GetDC(nullptr));
    const HGDIOBJ old = SelectObject(dc.get(), font ? font : GetStockObject(DEFAULT_GUI_FONT));
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc.get(), old);
    return size;
}

LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_ERASEBKGND) {
        RECT rect;
        GetClientRect(window, &rect);
        const auto flags = static_cast<uint32_t>(GetWindowLongPtrW(window, GWLP_USERDATA));
        HBRUSH brush = GetSysColorBrush(COLOR_BTNFACE);
        if (flags & kBlack)
            brush = HighContrast() ? GetSysColorBrush(COLOR_WINDOW) : static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        FillRect(reinterpret_cast<HDC>(wparam), &rect, brush);
        if (flags & kSunken) DrawEdge(reinterpret_cast<HDC>(wparam), &rect, EDGE_SUNKEN, BF_RECT);
        return 1;
    }
    if (ForwardedToForm(message)) return SendMessageW(GetAncestor(window, GA_ROOT), message, wparam, lparam);
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

// The panel paints its own background; a child window shows no icon.
void RegisterPanelClass(HINSTANCE instance) { RegisterFormClass<PanelProc>(instance, kPanelClass); }

LRESULT FormLayout::Colors(WPARAM device_context, LPARAM control) const {
    const auto it = entries_.find(GetDlgCtrlID(reinterpret_cast<HWND>(control)));
    const uint32_t flags = it == entries_.end() ? 0 : it->second->flags;
    const auto dc = reinterpret_cast<HDC>(device_context);
    if (high_contrast_) {
        // The system's colours only: a chosen one may vanish on the user's background.
        const int text = (flags & kBlack) ? COLOR_WINDOWTEXT : COLOR_BTNTEXT;
        const int back = (flags & kBlack) ? COLOR_WINDOW : COLOR_BTNFACE;
        SetTextColor(dc, GetSysColor(text));
        SetBkColor(dc, GetSysColor(back));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(back));
    }
    if (flags & kBlack) {
        SetTextColor(dc, RGB(255, 255, 255));
        SetBkColor(dc, RGB(0, 0, 0));
        return reinterpret_cast<LRESULT>(GetStockObject(BLACK_BRUSH));
    }
    COLORREF text = GetSysColor(COLOR_BTNTEXT);
    if (flags & kRedText) text = RGB(255, 0, 0);
    if (flags & kBlueText) text = RGB(0, 0, 255);
    if (flags & kTealTitle) text = RGB(0, 128, 128);
    SetTextColor(dc, text);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void FormLayout::Create(HWND form, std::span<const ControlSpec> table, std::span<const FormFont> fonts,
                        SIZE client) {
    form_ = form;
    font_table_ = fonts;
    client_ = client;
    dpi_ = WindowDpi(form);
    high_contrast_ = HighContrast();
    MakeFonts();
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(form, GWLP_HINSTANCE));
    for (const ControlSpec& entry : table) {
        const int32_t id = ControlId(entry.kind, entry.number);
        const HWND parent = entry.parent_id == 0 ? form : Control(entry.parent_id);
        const WindowKind kind = KindOf(entry);
        const std::wstring text = Wide(entry.text ? entry.text : "");
        const DWORD visible = (entry.flags & kHidden) ? 0 : WS_VISIBLE;
        const DWORD group = (entry.flags & kGroupStart) ? WS_GROUP : 0;
        const HWND control = CreateWindowExW(
            kind.ex_style, kind.class_name, text.c_str(), WS_CHILD | WS_CLIPSIBLINGS | visible | group | kind.style, 0, 0,
            0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        if (control == nullptr) continue;
        SetWindowLongPtrW(control, GWLP_USERDATA, static_cast<LONG_PTR>(entry.flags));
        if (entry.kind == ControlKind::GroupBox) SetWindowSubclass(control, Barrier<GroupBoxProc>, 1, 0);
        if (entry.kind == ControlKind::CSpinButton) {
            SetWindowSubclass(control, Barrier<SpinProc>, 1, 0);
            // Never at an end: every click is one step up or down.
            SendMessageW(control, UDM_SETRANGE32, 0, 100);
            SendMessageW(control, UDM_SETPOS32, 0, 50);
        }
        controls_[id] = control;
        entries_[id] = &entry;
        if (const HFONT font = FontOf(entry)) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        Place(entry);
    }
    // A group box only frames: controls placed over it stay in front.
    for (const ControlSpec& entry : table) {
        if (entry.kind != ControlKind::GroupBox) continue;
        SetWindowPos(Control(ControlId(entry.kind, entry.number)), HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    FitForm(0, 0, SWP_NOMOVE);
    // The focus shows from the start, not only after the first key.
    SendMessageW(form, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

void FormLayout::DpiChanged(WPARAM wparam, LPARAM lparam) {
    const UINT dpi = LOWORD(wparam);
    if (dpi == 0) return;
    dpi_ = dpi;
    // The controls let go of the old fonts and pictures before they go.
    const std::vector<Font> old_fonts = std::move(fonts_);
    const std::map<HBITMAP, Bitmap> old_pictures = std::move(shown_);
    fonts_.clear();
    shown_.clear();
    MakeFonts();
    for (const auto& [id, entry] : entries_) {
        if (const HFONT font = FontOf(*entry)) SendMessageW(Control(id), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    ShowAllPictures();
    for (const auto& [id, entry] : entries_) Place(*entry);
    const auto* suggested = reinterpret_cast<const RECT*>(lparam);
    if (suggested != nullptr) {
        FitForm(suggested->left, suggested->top, 0);
    } else {
        FitForm(0, 0, SWP_NOMOVE);
    }
    InvalidateRect(form_, nullptr, TRUE);
}

int FormLayout::Scaled(int pixels) const { return ScaledPixels(pixels, dpi_); }

void FormLayout::MakeFonts() {
    for (const FormFont& font : font_table_)
        fonts_.push_back(MakeFont(Scaled(font.height), font.weight, font.face, font.charset));
}

HFONT FormLayout::FontOf(const ControlSpec& entry) const {
    HFONT chosen = nullptr;
    for (std::size_t i = 0; i < font_table_.size() && i < fonts_.size(); ++i) {
        const uint32_t flag = font_table_[i].flag;
        if (flag == 0 && chosen == nullptr) chosen = fonts_[i].get();
        if (flag != 0 && (entry.flags & flag) != 0) return fonts_[i].get();
    }
    return chosen;
}

void FormLayout::Place(const ControlSpec& entry) const {
    const HWND control = Control(ControlId(entry.kind, entry.number));
    int x = Scaled(entry.x);
    int width = Scaled(entry.width);
    int height = Scaled(entry.height);
    if (entry.width == 0) {
        // Sized to its text; a right-aligned one grows to the left of x,
        // a radio or check box leaves room for its box.
        const SIZE size = TextSize(FontOf(entry), WindowText(control));
        const bool boxed = entry.kind == ControlKind::RadioButton || entry.kind == ControlKind::CheckBox;
        width = size.cx + Scaled(boxed ? 20 : 2);
        if (entry.height == 0) height = boxed ? Scaled(17) : size.cy;
        if (entry.flags & kAlignRight) x -= width;
    }
    SetWindowPos(control, nullptr, x, Scaled(entry.y), width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

HBITMAP FormLayout::ShownPicture(const ControlSpec& entry, HBITMAP picture) {
    const bool recoloured = high_contrast_ && (entry.flags & kDigit) != 0;
    if (dpi_ == kDesignDpi && !recoloured) return picture;
    auto it = shown_.find(picture);
    if (it == shown_.end()) {
        Bitmap coloured = recoloured ? InTextColours(picture) : Bitmap();
        const HBITMAP source = coloured ? coloured.get() : picture;
        it = shown_.emplace(picture, dpi_ == kDesignDpi ? std::move(coloured) : ScaledBitmap(source, dpi_)).first;
    }
    return it->second ? it->second.get() : picture;
}

void FormLayout::SetImage(int32_t id, HBITMAP picture) {
    const auto it = entries_.find(id);
    if (it == entries_.end()) return;
    pictures_[id] = picture;
    SendMessageW(Control(id), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(ShownPicture(*it->second, picture)));
}

void FormLayout::SetDigit(int32_t id, int digit, HBITMAP picture) {
    digits_[id] = digit;
    SetImage(id, picture);
}

int FormLayout::Digit(int32_t id) const {
    const auto it = digits_.find(id);
    return it == digits_.end() ? -1 : it->second;
}

void FormLayout::ShowAllPictures() {
    for (const auto& [id, picture] : pictures_) SetImage(id, picture);
}

void FormLayout::ColoursChanged() {
    high_contrast_ = HighContrast();
    // The controls let go of the old pictures before they go.
    const std::map<HBITMAP, Bitmap> old_pictures = std::move(shown_);
    shown_.clear();
    ShowAllPictures();
    RedrawWindow(form_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void FormLayout::FitForm(int left, int top, UINT flags) const {
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(form_, GWL_STYLE));
    const auto ex_style = static_cast<DWORD>(GetWindowLongPtrW(form_, GWL_EXSTYLE));
    const SIZE client{Scaled(client_.cx), Scaled(client_.cy)};
    const SIZE frame = FrameSize(client, style, ex_style, dpi_);
    SetWindowPos(form_, nullptr, left, top, frame.cx, frame.cy, flags | SWP_NOZORDER | SWP_NOACTIVATE);
    // A frame that is not yet drawn for the new DPI is made up for.
    RECT actual;
    GetClientRect(form_, &actual);
    if (actual.right == client.cx && actual.bottom == client.cy) return;
    SetWindowPos(form_, nullptr, 0, 0, frame.cx + client.cx - actual.right, frame.cy + client.cy - actual.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormLayout::SetText(int32_t id, const std::string& text) {
    SetWindowTextW(Control(id), Wide(text).c_str());
    const auto it = entries_.find(id);
    if (it != entries_.end() && it->second->width == 0) Place(*it->second);
}

std::string FormLayout::Text(int32_t id) const { return Narrow(WindowText(Control(id))); }

HWND FormLayout::Control(int32_t id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

}  // namespace kronvik
