#pragma once
// What screen readers read for a form's controls. Every control answers
// WM_GETOBJECT with the system's own accessible object for it, wrapped so that
// the role follows the control's kind and the name and value follow the
// form's table (or the control's own text): a panel of digit pictures reads
// as the one number they show, a spin as the number it changes, a clickable
// picture as the button it is. The same answer under every Windows version
// and under Wine, whose oleacc names a control only by its window text.
#include <windows.h>

#include <map>
#include <optional>
#include <span>
#include <string>

#include "platform/layout.h"

namespace kronvik {

class FormLayout;

class FormAccess {
public:
    // From now on every control of the layout answers screen readers. The
    // layout and both tables must live as long as the form.
    void Attach(const FormLayout& layout, std::span<const ControlSpec> table, std::span<const AccessibleEntry> names);
    // A control's value changed under the keyboard: screen readers say the
    // new one. For a spin or a digit panel, the one that goes with it too.
    void ValueChanged(int32_t id) const;

    // What a control tells now; asked anew at every call.
    std::wstring Name(int32_t id) const;
    long Role(int32_t id) const;
    // Empty when the system's own object tells it (an edit's text).
    std::optional<std::wstring> Value(int32_t id) const;
    // A digit panel: its pictures are read as its number, not one by one.
    bool IsNumber(int32_t id) const;
    bool IsDigit(int32_t id) const;
    // A picture that acts when clicked.
    bool IsPictureButton(int32_t id) const;
    bool Checked(int32_t id) const;

private:
    std::wstring TextOf(int32_t id) const;
    std::wstring NumberOf(int32_t panel) const;

    const FormLayout* layout_ = nullptr;
    std::span<const ControlSpec> table_;
    std::map<int32_t, const ControlSpec*> entries_;
    std::map<int32_t, const AccessibleEntry*> names_;
};

}  // namespace kronvik
