#pragma once
// Creates a form's controls from its layout table.
#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <span>

#include "platform/layout.h"

namespace kronvik {

class FormLayout {
public:
    // font: the form's font, given to every control; nullptr keeps the system font.
    void Create(HWND form, std::span<const ControlSpec> table, HFONT font);
    HWND Control(int32_t id) const;
    // Gives every control whose flags hold flag this font.
    void SetFontWhere(uint32_t flag, HFONT font);
    // Sets a control's text; a control sized to its text is sized again.
    void SetText(int32_t id, const std::string& text);
    // Answers WM_CTLCOLOR* for one of the layout's controls: the brush, with
    // the text colour set on the device context.
    LRESULT Colors(WPARAM device_context, LPARAM control) const;

private:
    std::map<int32_t, HWND> controls_;
    std::map<int32_t, uint32_t> flags_;
    std::set<int32_t> auto_sized_;
};

// Reads a WM_NOTIFY from one of a layout's up-down controls: true for a click
// on an arrow, with the control's id and whether it was the upper arrow. The
// form answers TRUE, so the position stays in the middle of its range.
bool SpinClick(LPARAM notification, int32_t& id, bool& up);

// Window class of panels and tab pages: paints its background (black for
// kBlack, with lowered bevels for kSunken) and hands commands and colour
// requests of its children on to the form.
void RegisterPanelClass(HINSTANCE instance);

}  // namespace kronvik
