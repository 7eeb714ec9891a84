#pragma once
#include <windows.h>

#include <string>

#include "platform/win32/forms_win32.h"
#include "platform/win32/gdi_win32.h"

namespace kronvik {

// TForm2: the logo with the version; a click on the picture hides it.
class Win32AboutView : public FormView {
public:
    void Create(HINSTANCE instance);
    // Sets the version text and shows the box: centred the first time, where
    // the user left it afterwards; brought to the front when already shown.
    void Show(const std::string& version);

private:
    bool Command(int32_t id, UINT code) override;

    Bitmap logo_;
    bool shown_before_ = false;
};

}  // namespace kronvik
