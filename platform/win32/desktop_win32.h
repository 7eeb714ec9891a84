#pragma once
#include <vector>

#include "platform/desktop.h"

namespace kronvik {

class Win32Desktop : public Desktop {
public:
    WindowHandle Foreground() override;
    std::u16string ReadCaption(WindowHandle window) override;
    bool WriteCaption(WindowHandle window, const std::u16string& caption) override;
    void Flash(WindowHandle window, bool invert) override;
    void Beep() override;

private:
    std::vector<wchar_t> buffer_ = std::vector<wchar_t>(1024);
};

}  // namespace kronvik
