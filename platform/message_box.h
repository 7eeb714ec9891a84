#pragma once
// Message box port.
#include <string>

namespace kronvik {

enum class BoxStyle {
    Confirm,       // OK and Cancel, with the information icon
    ConfirmRisky,  // OK and Cancel, with the warning icon; Cancel is the default
    Error,         // OK alone, with the error icon
};

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shown without an owner window; true when the user chose OK.
    virtual bool Show(const std::string& text, const std::string& caption, BoxStyle style) = 0;
};

}  // namespace kronvik
