#pragma once
// Creates a form's controls from its layout table and lays them out for the
// DPI of the form's monitor, again whenever the form moves to another one.
#include <windows.h>

#include <map>
#include <span>
#include <string>
#include <vector>

#include "platform/layout.h"
#include "platform/win32/gdi_win32.h"

namespace kronvik {

// A font of a form, its height in 96-DPI pixels. The form's font has flag 0;
// a control whose flags hold another entry's flag gets that entry's font.
struct FormFont {
    uint32_t flag;
    int height;
    int weight;
    const wchar_t* face;
    BYTE charset;
};

class FormLayout {
public:
    // Creates the controls of table on form and sizes the form so that its
    // client area is client, both in 96-DPI pixels.
    void Create(HWND form, std::span<const ControlSpec> table, std::span<const FormFont> fonts, SIZE client);
    // WM_DPICHANGED: fonts, controls, pictures and the form's size follow the
    // new DPI; the form takes the top-left corner Windows suggests, if any.
    void DpiChanged(WPARAM wparam, LPARAM lparam);
    // A length of the 96-DPI design in the form's pixels.
    int Scaled(int pixels) const;
    HWND Control(int32_t id) const;
    // Sets a control's text; a control sized to its text is sized again.
    void SetText(int32_t id, const std::string& text);
    std::string Text(int32_t id) const;
    // Shows a 96-DPI picture, scaled to the form's DPI, in an image control.
    // The picture must live as long as the layout.
    void SetImage(int32_t id, HBITMAP picture);
    // Shows digit d with its picture in a digit control; screen readers read
    // the digits back from here.
    void SetDigit(int32_t id, int digit, HBITMAP picture);
    // The digit a digit control shows, -1 before it shows one.
    int Digit(int32_t id) const;
    // WM_SYSCOLORCHANGE or WM_SETTINGCHANGE: high contrast on or off, or
    // other system colours; the pictures and colours follow.
    void ColoursChanged();
    // Answers WM_CTLCOLOR* for one of the layout's controls: the brush, with
    // the text colour set on the device context.
    LRESULT Colors(WPARAM device_context, LPARAM control) const;

private:
    void MakeFonts();
    HFONT FontOf(const ControlSpec& entry) const;
    void Place(const ControlSpec& entry) const;
    // A picture as the form shows it: scaled to its DPI and, in high
    // contrast, a digit in the system's text colours.
    HBITMAP ShownPicture(const ControlSpec& entry, HBITMAP picture);
    void ShowAllPictures();
    void FitForm(int left, int top, UINT flags) const;

    HWND form_ = nullptr;
    std::span<const FormFont> font_table_;
    SIZE client_{};
    UINT dpi_ = 96;
    bool high_contrast_ = false;
    std::vector<Font> fonts_;
    std::map<int32_t, HWND> controls_;
    std::map<int32_t, const ControlSpec*> entries_;
    std::map<int32_t, HBITMAP> pictures_;     // the 96-DPI picture each image shows
    std::map<HBITMAP, Bitmap> shown_;         // those pictures as shown now
    std::map<int32_t, int> digits_;
};

// Window class of panels and tab pages: paints its background (black for
// kBlack, with lowered bevels for kSunken) and hands commands and colour
// requests of its children on to the form.
void RegisterPanelClass(HINSTANCE instance);

}  // namespace kronvik
